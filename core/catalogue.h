#pragma once

#include "core/header.h"
#include "core/header_file.h"
#include "core/preference_order.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace quillmere {

class CatalogueObserver;

// Gives the head of the file at path as readFileHead does; a window reads
// it where waiting on the file cannot freeze it.
using HeadReader = std::function<std::string(const std::string& path, const std::string& fileName)>;

// A folder as it opens: its calculator files (listCalculatorFiles), and
// the rows in the order its directory keeps (keptOrderOf).
struct FolderListing {
    std::vector<std::string> files;
    std::vector<std::string> rows;
};
FolderListing listFolder(const std::string& folder);

// Lists a folder as listFolder does; a window lists it where waiting on the
// folder cannot freeze it.
using FolderLister = std::function<FolderListing(const std::string& folder)>;

// The working state behind the main window: the chosen folder and its
// listing, the order of preference, the fields last read, and the
// directory text. Every failure that ends an action is thrown as a
// CatalogueError after the state is left as the action reached it.
class Catalogue {
public:
    explicit Catalogue(std::string folderPath);

    void setObserver(CatalogueObserver* observer);
    void setHeadReader(HeadReader reader) { readHead_ = std::move(reader); }
    void setFolderLister(FolderLister lister) { listFolder_ = std::move(lister); }

    const std::string& folderPath() const { return folderPath_; }
    // Lists path and, only when that succeeds, makes it the folder.
    void bindFolder(const std::string& path);
    const std::vector<std::string>& folderListing() const { return folderListing_; }

    PreferenceOrder& order() { return order_; }
    const PreferenceOrder& order() const { return order_; }

    // Refills the file list from the folder listing, in the order the
    // folder's directory kept when it was listed, and empties the titles.
    void RefreshLists();
    // Reads the title of the file in each row and shows the title list.
    void GetNames();
    // Builds the directory text, last row first, and writes the directory
    // files into the folder.
    void createDirectory();
    // The first part of createDirectory: the directory text alone, in
    // directoryText(), nothing written.
    void buildDirectoryText();
    // The passes of a build without the writing: each row, the last first,
    // is selected and read by CreateString, progress is told, and entryRead
    // gets the row's file name and entry.
    void readEntriesLastRowFirst(
        const std::function<void(const std::string& fileName, const FileEntry& entry)>& entryRead);

    // Reads the file at path and leaves its entry, under the file list's
    // selected name, in lastEntry().
    void CreateString(const std::string& path);
    void FinallyCreateDIR();

    const std::string& lastHeaderLine() const { return lastHeaderLine_; }
    const std::string& lastTitle() const { return lastTitle_; }
    const std::string& lastEntry() const { return lastEntry_.bytes; }
    const std::string& directoryText() const { return directoryText_; }

private:
    void setStatus(const std::string& status);
    // Reads and parses the header line, keeping the line and the title.
    ParsedHeader readHeader(const std::string& path, const std::string& fileName);

    std::string folderPath_;
    std::vector<std::string> folderListing_;
    std::vector<std::string> keptRows_;
    PreferenceOrder order_;
    std::string lastHeaderLine_;
    std::string lastTitle_;
    FileEntry lastEntry_;
    std::string directoryText_;
    CatalogueObserver* observer_ = nullptr;
    HeadReader readHead_ = readFileHead;
    FolderLister listFolder_ = listFolder;
};

}  // namespace quillmere
