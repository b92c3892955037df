#include "ui/file_box.h"

#include "core/catalogue.h"
#include "ui/local_text.h"

namespace quillmere {

FileBox::FileBox(Catalogue& catalogue, QWidget* parent) : QWidget(parent), catalogue_(catalogue) {
    hide();
}

void FileBox::bind(const std::string& path) {
    catalogue_.bindFolder(path);
}

int FileBox::rowCount() const {
    return static_cast<int>(catalogue_.folderListing().size());
}

}  // namespace quillmere
