#pragma once

#include <QTreeWidget>

namespace quillmere {

// The folder tree: the folders from the root down to the current folder, and
// below it the current folder's subfolders. A double-click, Enter or Space
// makes a folder current; a single click or an arrow key only highlights it.
class FolderTree : public QTreeWidget {
    Q_OBJECT

public:
    explicit FolderTree(QWidget* parent);

    // The current folder, with a trailing separator only at a root ("C:\",
    // "/"), as the folder path is written throughout the program.
    const QString& path() const { return path_; }
    // Makes folder the current folder and reads its subfolders. Returns
    // false, changing nothing, when folder cannot be read.
    bool setPath(const QString& folder);

signals:
    // Emitted before setPath() returns, whenever the path changes.
    void pathChanged(const QString& path);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void fill(const QString& folder);

    QString path_;
};

}  // namespace quillmere
