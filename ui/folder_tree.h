#pragma once

#include <QTreeWidget>

#include <functional>
#include <string>
#include <vector>

namespace quillmere {

// The folder tree: the folders from the root down to the current folder, and
// below it the current folder's subfolders. A double-click, Enter or Space
// makes a folder current; a single click or an arrow key only highlights it.
// A folder that cannot be read is named in a message, and the current
// folder stays.
class FolderTree : public QTreeWidget {
    Q_OBJECT

public:
    explicit FolderTree(QWidget* parent);

    // What lists a folder's subfolders, as listSubfolders does: set before
    // a folder is opened.
    void setLister(std::function<std::vector<std::string>(const std::string& folder)> lister);

    // The current folder, with a trailing separator only at a root ("C:\",
    // "/"), as the folder path is written throughout the program, and as
    // shownPath shows it.
    const QString& path() const { return path_; }
    // The same folder as the file system names it, byte for byte.
    const std::string& fileName() const { return fileName_; }
    // Makes folder the current folder and reads its subfolders. Throws
    // CatalogueError, changing nothing, when folder cannot be read.
    void setPath(const QString& folder);
    void setFileName(const std::string& folder);

signals:
    // Emitted before setPath() returns, whenever the path changes.
    void pathChanged(const QString& path);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void open(QTreeWidgetItem* item);
    void fill(const std::string& folder, const std::vector<std::string>& subfolders);

    std::function<std::vector<std::string>(const std::string& folder)> lister_;
    QString path_;
    std::string fileName_;
};

}  // namespace quillmere
