#include "core/kept_order.h"

#include "core/bounded_file.h"
#include "core/catalogue_error.h"
#include "core/directory_files.h"
#include "core/directory_reader.h"
#include "core/folder.h"
#include "core/folder_boundary.h"

#include <unordered_set>

namespace quillmere {

std::vector<std::string> keptOrder(const std::vector<std::string>& listing, std::string_view directoryBytes) {
    const DirectoryContents directory = readDirectory(directoryBytes);
    if (directory.fault) {
        return listing;
    }
    std::unordered_set<std::string_view> unplaced(listing.begin(), listing.end());
    std::vector<std::string> rows;
    rows.reserve(listing.size());
    // The build writes the last row first.
    for (auto record = directory.records.rbegin(); record != directory.records.rend(); ++record) {
        if (unplaced.erase(record->fileName) == 1) {
            rows.push_back(record->fileName);
        }
    }
    for (const std::string& name : listing) {
        if (unplaced.count(name) == 1) {
            rows.push_back(name);
        }
    }
    return rows;
}

std::vector<std::string> keptOrderOf(const std::string& folder, const std::vector<std::string>& listing) {
    const std::string path = joinPath(folder, std::string(kDirectoryFileName));
    if (!staysInsideFolder(folder, path)) {
        return listing;
    }
    try {
        return keptOrder(listing, readWholeFile(path, path));
    } catch (const CatalogueError&) {
        return listing;
    }
}

}  // namespace quillmere
