#pragma once

#include <string>
#include <vector>

namespace quillmere {

class CatalogueObserver;
enum class ListId;

// Outcome of a move: MoveUp/MoveDown stop silently at the list's edge, and
// ask for a selection when none is made.
enum class MoveResult { Moved, Stopped, NothingSelected };

// The file list in the user's order of preference and the title list shown
// in its place, with one selected row each. While the title list holds
// rows, selecting a row in either list selects the same row in the other.
class PreferenceOrder {
public:
    static constexpr int kNoRow = -1;

    void setObserver(CatalogueObserver* observer) { observer_ = observer; }

    const std::vector<std::string>& files() const { return files_; }
    const std::vector<std::string>& titles() const { return titles_; }
    int fileCount() const { return static_cast<int>(files_.size()); }
    int titleCount() const { return static_cast<int>(titles_.size()); }
    int fileSelection() const { return fileSelection_; }
    int titleSelection() const { return titleSelection_; }
    // The selected row's text, or "" when nothing is selected.
    const std::string& selectedFile() const;
    const std::string& selectedTitle() const;

    bool titleListShown() const { return titleListShown_; }
    void setTitleListShown(bool shown);

    // Empties both lists, then fills the file list with fileNames in order.
    void replaceFiles(std::vector<std::string> fileNames);
    // Replaces the title list; a non-empty one selects its last row, and the
    // file list follows.
    void replaceTitles(std::vector<std::string> titles);

    // Each selects row (or -1 for none) and pairs the other list. A row that
    // the list does not hold throws std::out_of_range and changes nothing.
    void SelectFileRow(int row);
    void SelectTitleRow(int row);

    MoveResult MoveUp();
    MoveResult MoveDown();

private:
    MoveResult move(int step);
    void notifySwap(ListId list, int rowA, int rowB);

    std::vector<std::string> files_;
    std::vector<std::string> titles_;
    int fileSelection_ = kNoRow;
    int titleSelection_ = kNoRow;
    bool titleListShown_ = false;
    CatalogueObserver* observer_ = nullptr;
};

}  // namespace quillmere
