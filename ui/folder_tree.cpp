#include "folder_tree.h"

#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QStyle>

namespace quillmere {
namespace {

QString nativeFolderPath(const QString& folder) {
    return QDir::toNativeSeparators(QDir::cleanPath(QFileInfo(folder).absoluteFilePath()));
}

// The folders from the root down to folder, root first.
QStringList lineage(const QString& folder) {
    QStringList folders;
    QDir dir(folder);
    folders.prepend(dir.absolutePath());
    while (!dir.isRoot() && dir.cdUp()) {
        folders.prepend(dir.absolutePath());
    }
    return folders;
}

QString shownName(const QString& folder) {
    const QDir dir(folder);
    return dir.isRoot() ? QDir::toNativeSeparators(dir.absolutePath()) : dir.dirName();
}

}  // namespace

FolderTree::FolderTree(QWidget* parent) : QTreeWidget(parent) {
    setHeaderHidden(true);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setExpandsOnDoubleClick(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item) { setPath(item->data(0, Qt::UserRole).toString()); });
}

bool FolderTree::setPath(const QString& folder) {
    const QDir dir(folder);
    if (!dir.exists() || !dir.isReadable()) {
        return false;
    }
    const QString newPath = nativeFolderPath(folder);
    fill(newPath);
    if (newPath != path_) {
        path_ = newPath;
        emit pathChanged(path_);
    }
    return true;
}

void FolderTree::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if ((key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) && currentItem()) {
        setPath(currentItem()->data(0, Qt::UserRole).toString());
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

void FolderTree::fill(const QString& folder) {
    clear();
    const QIcon openIcon = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closedIcon = style()->standardIcon(QStyle::SP_DirClosedIcon);

    QTreeWidgetItem* current = nullptr;
    for (const QString& ancestor : lineage(folder)) {
        auto* item = current ? new QTreeWidgetItem(current) : new QTreeWidgetItem(this);
        item->setText(0, shownName(ancestor));
        item->setIcon(0, openIcon);
        item->setData(0, Qt::UserRole, ancestor);
        current = item;
    }
    const QDir dir(folder);
    const QStringList subfolders =
        dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QString& name : subfolders) {
        auto* item = new QTreeWidgetItem(current);
        item->setText(0, name);
        item->setIcon(0, closedIcon);
        item->setData(0, Qt::UserRole, dir.filePath(name));
    }
    expandAll();
    setCurrentItem(current);
    scrollToItem(current);
}

}  // namespace quillmere
