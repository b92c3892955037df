#pragma once

#include <QWidget>

#include <string>

namespace quillmere {

class Catalogue;

// The hidden file box: the folder the lists are filled from. The listing
// itself lives in the catalogue; the box only binds it and counts it.
class FileBox : public QWidget {
public:
    FileBox(Catalogue& catalogue, QWidget* parent);

    // Lists path and makes it the bound folder. Throws CatalogueError, and
    // keeps the folder and listing it had, when path cannot be listed.
    void bind(const std::string& path);
    int rowCount() const;

private:
    Catalogue& catalogue_;
};

}  // namespace quillmere
