#include "core/preference_order.h"

#include "core/catalogue_observer.h"

#include <stdexcept>
#include <utility>

namespace quillmere {
namespace {

void checkRow(int row, int count, const char* list) {
    if (row < PreferenceOrder::kNoRow || row >= count) {
        throw std::out_of_range(std::string("The ") + list + " has no row " + std::to_string(row) + ".");
    }
}

const std::string& selectedRow(const std::vector<std::string>& rows, int selection) {
    static const std::string none;
    return selection == PreferenceOrder::kNoRow ? none : rows[static_cast<std::size_t>(selection)];
}

}  // namespace

const std::string& PreferenceOrder::selectedFile() const {
    return selectedRow(files_, fileSelection_);
}

const std::string& PreferenceOrder::selectedTitle() const {
    return selectedRow(titles_, titleSelection_);
}

void PreferenceOrder::setTitleListShown(bool shown) {
    if (shown == titleListShown_) {
        return;
    }
    titleListShown_ = shown;
    if (observer_) {
        observer_->titleListShownChanged(shown);
    }
}

void PreferenceOrder::replaceFiles(std::vector<std::string> fileNames) {
    files_ = std::move(fileNames);
    fileSelection_ = kNoRow;
    titles_.clear();
    titleSelection_ = kNoRow;
    if (observer_) {
        observer_->listReset(ListId::Files);
        observer_->listReset(ListId::Titles);
    }
}

void PreferenceOrder::replaceTitles(std::vector<std::string> titles) {
    titles_ = std::move(titles);
    titleSelection_ = kNoRow;
    if (observer_) {
        observer_->listReset(ListId::Titles);
    }
    if (!titles_.empty()) {
        SelectTitleRow(titleCount() - 1);
    }
}

void PreferenceOrder::SelectFileRow(int row) {
    checkRow(row, fileCount(), "file list");
    if (row == fileSelection_) {
        return;
    }
    fileSelection_ = row;
    if (observer_) {
        observer_->selectionChanged(ListId::Files, row);
    }
    // A title list without this row keeps its selection.
    if (row < titleCount()) {
        SelectTitleRow(row);
    }
}

void PreferenceOrder::SelectTitleRow(int row) {
    checkRow(row, titleCount(), "title list");
    if (row == titleSelection_) {
        return;
    }
    titleSelection_ = row;
    if (observer_) {
        observer_->selectionChanged(ListId::Titles, row);
    }
    // The title list is never longer than the file list.
    SelectFileRow(row);
}

MoveResult PreferenceOrder::MoveUp() {
    return move(-1);
}

MoveResult PreferenceOrder::MoveDown() {
    return move(+1);
}

MoveResult PreferenceOrder::move(int step) {
    const int row = fileSelection_;
    const int target = row + step;
    // The edge test comes first: MoveDown on an empty list stops silently.
    if (step < 0 ? row == 0 : row == fileCount() - 1) {
        return MoveResult::Stopped;
    }
    if (row == kNoRow) {
        return MoveResult::NothingSelected;
    }
    std::swap(files_[static_cast<std::size_t>(row)], files_[static_cast<std::size_t>(target)]);
    notifySwap(ListId::Files, row, target);
    SelectFileRow(target);
    if (titleSelection_ == kNoRow) {
        return MoveResult::Moved;
    }
    // After a Get Names that stopped early the title list is shorter; rows
    // it does not hold are left alone.
    if (row < titleCount() && target < titleCount()) {
        std::swap(titles_[static_cast<std::size_t>(row)], titles_[static_cast<std::size_t>(target)]);
        notifySwap(ListId::Titles, row, target);
        SelectTitleRow(target);
    }
    return MoveResult::Moved;
}

void PreferenceOrder::notifySwap(ListId list, int rowA, int rowB) {
    if (observer_) {
        observer_->rowsSwapped(list, rowA, rowB);
    }
}

}  // namespace quillmere
