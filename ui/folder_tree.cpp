#include "ui/folder_tree.h"

#include "core/catalogue_error.h"
#include "core/folder.h"
#include "ui/answering_reader.h"
#include "ui/failure_message.h"
#include "ui/local_text.h"
#include "ui/shown_text.h"

#include <QKeyEvent>
#include <QStyle>

#include <filesystem>

namespace fs = std::filesystem;

namespace quillmere {
namespace {

// Absolute and clean, without a trailing separator except at a root.
fs::path cleanFolderPath(const std::string& folder) {
    fs::path path = fs::absolute(fs::path(folder)).lexically_normal();
    if (!path.has_filename() && path != path.root_path()) {
        path = path.parent_path();
    }
    return path.make_preferred();
}

// The folders from the root down to folder, root first.
std::vector<fs::path> lineage(fs::path folder) {
    std::vector<fs::path> folders{folder};
    while (folder != folder.root_path() && folder.has_parent_path()) {
        folder = folder.parent_path();
        folders.insert(folders.begin(), folder);
    }
    return folders;
}

QString shownName(const fs::path& folder) {
    return folder == folder.root_path() ? shownPath(folder.string()) : shownText(folder.filename().string());
}

}  // namespace

FolderTree::FolderTree(QWidget* parent) : QTreeWidget(parent) {
    setHeaderHidden(true);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setExpandsOnDoubleClick(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QTreeWidget::itemDoubleClicked, this, &FolderTree::open);
}

void FolderTree::setLister(std::function<std::vector<std::string>(const std::string& folder)> lister) {
    lister_ = std::move(lister);
}

void FolderTree::setPath(const QString& folder) {
    setFileName(toFileName(folder));
}

void FolderTree::setFileName(const std::string& folder) {
    const std::string newFileName = cleanFolderPath(folder).string();
    const std::vector<std::string> subfolders = lister_(newFileName);
    fill(newFileName, subfolders);
    if (newFileName != fileName_) {
        fileName_ = newFileName;
        path_ = shownPath(fileName_);
        emit pathChanged(path_);
    }
}

void FolderTree::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if ((key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) && currentItem()) {
        open(currentItem());
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

// The item's folder by its real bytes; one that cannot be read is named,
// and the current folder stays.
void FolderTree::open(QTreeWidgetItem* item) {
    try {
        setFileName(item->data(0, Qt::UserRole).toByteArray().toStdString());
    } catch (const ReadAbandoned&) {
        return;
    } catch (const CatalogueError& error) {
        showFailure(this, error);
    }
}

void FolderTree::fill(const std::string& folder, const std::vector<std::string>& subfolders) {
    clear();
    const QIcon openIcon = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closedIcon = style()->standardIcon(QStyle::SP_DirClosedIcon);

    QTreeWidgetItem* current = nullptr;
    for (const fs::path& ancestor : lineage(fs::path(folder))) {
        auto* item = current ? new QTreeWidgetItem(current) : new QTreeWidgetItem(this);
        item->setText(0, shownName(ancestor));
        item->setIcon(0, openIcon);
        item->setData(0, Qt::UserRole, QByteArray::fromStdString(ancestor.string()));
        current = item;
    }
    for (const std::string& name : subfolders) {
        auto* item = new QTreeWidgetItem(current);
        item->setText(0, shownText(name));
        item->setIcon(0, closedIcon);
        item->setData(0, Qt::UserRole, QByteArray::fromStdString(joinPath(folder, name)));
    }
    expandAll();
    setCurrentItem(current);
    scrollToItem(current);
}

}  // namespace quillmere
