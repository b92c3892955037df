#pragma once

#include <QString>

#include <string>
#include <vector>

namespace quillmere {

// Why the folder window was opened last: the main window's mode flag erm.
enum class FolderWindowMode {
    Unset,           // not opened by "Change" yet
    ChangingFolder,  // opened by "Change": its OK applies the folder
    Cancelled,       // closed by its Cancel
};

// The main window as the folder window sees it: all that the folder window
// may read or change there.
class FolderWindowHost {
public:
    virtual FolderWindowMode erm() const = 0;
    // Binds folder, shows its path and file count, and refreshes the lists.
    // Throws CatalogueError, changing nothing, when the folder cannot be
    // listed.
    virtual void takeFolder(const std::string& folder) = 0;
    // As listSubfolders, without freezing the windows. Throws ReadAbandoned
    // when the program ends first.
    virtual std::vector<std::string> subfoldersOf(const std::string& folder) = 0;
    virtual void setStatus(const QString& text) = 0;
    virtual void folderWindowCancelled() = 0;

protected:
    ~FolderWindowHost() = default;
};

}  // namespace quillmere
