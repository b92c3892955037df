#include "ui/failure_message.h"

#include "core/catalogue_error.h"
#include "ui/shown_text.h"

#include <QCoreApplication>
#include <QMessageBox>

namespace quillmere {

void showFailure(QWidget* parent, const CatalogueError& error) {
    QMessageBox::critical(parent, QCoreApplication::translate("quillmere::Form1", "Quillmere"),
                          shownSentence(error.sentence()));
}

}  // namespace quillmere
