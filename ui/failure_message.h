#pragma once

class QWidget;

namespace quillmere {

class CatalogueError;

// Shows the failure that ended an action: the catalogue's sentence names
// the file or folder and the cause.
void showFailure(QWidget* parent, const CatalogueError& error);

}  // namespace quillmere
