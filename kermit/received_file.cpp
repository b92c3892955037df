#include "kermit/received_file.h"

#include "core/catalogue.h"
#include "core/catalogue_error.h"
#include "core/folder.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <vector>

namespace quillmere::kermit {
namespace {

namespace fs = std::filesystem;

CatalogueError cannotStore(const std::string& name, const std::string& folder, const std::string& cause) {
    return CatalogueError(
        Sentence("Cannot store ").name(name).words(" in ").name(folder).words(": " + cause + "."));
}

// The first ".NAME.~N~" that names nothing yet.
std::string freeKeptName(const fs::path& folder, const std::string& name) {
    for (int number = 1;; ++number) {
        const std::string kept = "." + name + ".~" + std::to_string(number) + "~";
        std::error_code error;
        if (!fs::exists(fs::symlink_status(folder / kept, error))) {
            return kept;
        }
    }
}

void listLast(const std::string& folder, const std::string& name) {
    Catalogue catalogue(folder);
    catalogue.bindFolder(folder);
    catalogue.RefreshLists();
    std::vector<std::string> rows = catalogue.order().files();
    rows.erase(std::remove(rows.begin(), rows.end(), name), rows.end());
    rows.push_back(name);
    catalogue.order().replaceFiles(std::move(rows));
    catalogue.createDirectory();
}

}  // namespace

std::string refusalOf(std::string_view name) {
    if (name.empty() || name.find_first_of("/\\") != std::string_view::npos) {
        return "only a bare file name is taken, never a folder";
    }
    if (name.front() == '.') {
        return "a hidden name would not be listed";
    }
    if (isDirectoryFileName(name)) {
        return "the directory files are written here, never received";
    }
    return {};
}

void resetReceivingFolder(const std::string& folder, bool receiving) {
    // remove_all takes a link away, never what it points to.
    const fs::path staging = fs::path(folder) / kReceivingFolder;
    std::error_code error;
    fs::remove_all(staging, error);
    if (!error && receiving) {
        fs::create_directory(staging, error);
    }
    if (error) {
        throw CatalogueError(Sentence("Cannot prepare ")
                                 .name(staging.string())
                                 .words(" to receive files: " + causeOf(error) + "."));
    }
}

Receipt takeIn(const std::string& folder, const std::string& stagedName, const std::string& name) {
    const fs::path staged = fs::path(folder) / kReceivingFolder / stagedName;
    const fs::path target = fs::path(folder) / name;
    std::error_code error;
    // The size the log tells is the one the client announced, if any.
    Receipt receipt{name, static_cast<long long>(fs::file_size(staged, error)), {}, {}};
    const fs::file_status earlier = fs::symlink_status(target, error);
    if (fs::is_directory(earlier)) {
        throw cannotStore(name, folder, "a folder has that name");
    }
    if (fs::exists(earlier)) {
        receipt.keptEarlier = freeKeptName(folder, name);
        fs::rename(target, fs::path(folder) / receipt.keptEarlier, error);
        if (error) {
            throw cannotStore(name, folder, causeOf(error));
        }
    }
    fs::rename(staged, target, error);
    if (error) {
        throw cannotStore(name, folder, causeOf(error));
    }
    try {
        listLast(folder, name);
    } catch (const CatalogueError& failure) {
        receipt.directoryFailure = failure.sentence();
    }
    return receipt;
}

}  // namespace quillmere::kermit
