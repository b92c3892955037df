#include "failure_message.h"

#include "catalogue_error.h"
#include "local_text.h"

#include <QMessageBox>

namespace quillmere {

void showFailure(QWidget* parent, const CatalogueError& error) {
    QMessageBox::critical(parent, QStringLiteral("Quillmere"), fromLocal(error.what()));
}

}  // namespace quillmere
