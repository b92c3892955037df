#include "core/catalogue.h"

#include "core/catalogue_error.h"
#include "core/catalogue_observer.h"
#include "core/directory_files.h"
#include "core/folder.h"
#include "core/header.h"
#include "core/header_file.h"
#include "core/kept_order.h"

#include <utility>

namespace quillmere {
namespace {

// Room for the longest entry each file could give. The text is then never
// copied while it grows, and the pages that its entries do not reach are
// never touched: it costs the memory of what it holds, once.
std::size_t directoryTextBound(const std::vector<std::string>& fileNames) {
    // The type letter, three blanks and two lengths of up to three digits.
    constexpr std::size_t kEntryFrame = 1 + 3 + 3 + 3;
    std::size_t bound = kDirectoryHeader.size();
    for (const std::string& name : fileNames) {
        bound += kEntryFrame + name.size() + kMaxHeadBytes;
    }
    return bound;
}

}  // namespace

FolderListing listFolder(const std::string& folder) {
    std::vector<std::string> files = listCalculatorFiles(folder);
    std::vector<std::string> rows = keptOrderOf(folder, files);
    return {std::move(files), std::move(rows)};
}

Catalogue::Catalogue(std::string folderPath) : folderPath_(std::move(folderPath)) {}

void Catalogue::setObserver(CatalogueObserver* observer) {
    observer_ = observer;
    order_.setObserver(observer);
}

void Catalogue::bindFolder(const std::string& path) {
    FolderListing listing = listFolder_(path);
    folderListing_ = std::move(listing.files);
    keptRows_ = std::move(listing.rows);
    folderPath_ = path;
}

void Catalogue::RefreshLists() {
    order_.replaceFiles(keptRows_);
}

void Catalogue::GetNames() {
    order_.replaceTitles({});
    order_.setTitleListShown(true);
    const std::vector<std::string>& files = order_.files();
    std::vector<std::string> titles;
    titles.reserve(files.size());
    try {
        for (const std::string& fileName : files) {
            titles.push_back(readHeader(joinPath(folderPath_, fileName), fileName).title);
        }
    } catch (const CatalogueError&) {
        // The titles read so far stay shown.
        order_.replaceTitles(std::move(titles));
        throw;
    }
    order_.replaceTitles(std::move(titles));
}

void Catalogue::createDirectory() {
    buildDirectoryText();
    FinallyCreateDIR();
    setStatus("Ready");
}

void Catalogue::buildDirectoryText() {
    directoryText_ = kDirectoryHeader;
    directoryText_.reserve(directoryTextBound(order_.files()));
    setStatus("Creating DIR file");
    readEntriesLastRowFirst(
        [this](const std::string&, const FileEntry& entry) { directoryText_ += entry.bytes; });
}

void Catalogue::readEntriesLastRowFirst(
    const std::function<void(const std::string& fileName, const FileEntry& entry)>& entryRead) {
    int passesDone = -1;
    for (int row = order_.fileCount() - 1; row >= 0; --row) {
        ++passesDone;
        order_.SelectFileRow(row);
        const std::string& fileName = order_.selectedFile();
        setStatus("Adding " + fileName);
        CreateString(joinPath(folderPath_, fileName));
        entryRead(fileName, lastEntry_);
        if (observer_) {
            observer_->progressChanged(passesDone + 1, order_.fileCount());
        }
        setStatus("Creating DIR file");
    }
}

void Catalogue::CreateString(const std::string& path) {
    const std::string& fileName = order_.selectedFile();
    lastEntry_ = fileEntryOf(readHead_(path, fileName), fileName, lastHeaderLine_);
    lastTitle_ = lastEntry_.title;
}

void Catalogue::FinallyCreateDIR() {
    writeDirectoryFiles(folderPath_, directoryText_);
}

ParsedHeader Catalogue::readHeader(const std::string& path, const std::string& fileName) {
    ParsedHeader header = parseFileHead(readHead_(path, fileName), fileName, lastHeaderLine_);
    lastTitle_ = header.title;
    return header;
}

void Catalogue::setStatus(const std::string& status) {
    if (observer_) {
        observer_->statusChanged(status);
    }
}

}  // namespace quillmere
