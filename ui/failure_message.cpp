#include "failure_message.h"

#include "catalogue_error.h"
#include "local_text.h"

#include <QCoreApplication>
#include <QMessageBox>

namespace quillmere {

void showFailure(QWidget* parent, const CatalogueError& error) {
    QMessageBox::critical(parent, QCoreApplication::translate("quillmere::Form1", "Quillmere"), fromLocal(error.what()));
}

}  // namespace quillmere
