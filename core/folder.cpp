#include "core/folder.h"

#include "core/catalogue_error.h"
#include "core/directory_files.h"
#include "core/read_calls.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#endif

namespace fs = std::filesystem;

namespace quillmere {
namespace {

unsigned char folded(char c) {
    return static_cast<unsigned char>(std::tolower(static_cast<unsigned char>(c)));
}

bool equalIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return folded(x) == folded(y); });
}

// Case-insensitive order; names that differ only in case keep a fixed order.
bool lessIgnoringCase(const std::string& a, const std::string& b) {
    const auto mismatch = std::mismatch(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return folded(x) == folded(y); });
    if (mismatch.first == a.end() || mismatch.second == b.end()) {
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    }
    return folded(*mismatch.first) < folded(*mismatch.second);
}

bool isHidden(const fs::directory_entry& entry, const std::string& name) {
    if (name.front() == '.') {
        return true;
    }
#ifdef _WIN32
    const DWORD attributes = GetFileAttributesW(entry.path().c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0;
#else
    (void)entry;
    return false;
#endif
}

[[noreturn]] void failToList(const std::string& folder, const std::error_code& error) {
    throw CatalogueError(Sentence("Cannot list the folder ").name(folder).words(": " + causeOf(error) + "."));
}

std::vector<fs::directory_entry> entriesOf(const std::string& folder) {
    std::error_code error;
    std::vector<fs::directory_entry> entries = readCalls.listFolder(fs::path(folder), error);
    if (error) {
        failToList(folder, error);
    }
    return entries;
}

}  // namespace

bool isDirectoryFileName(std::string_view name) {
    return equalIgnoringCase(name, kDirectoryFileName) || equalIgnoringCase(name, kCurrentFileName);
}

std::string defaultFolder() {
#ifdef _WIN32
    return "C:\\";
#else
    return "/";
#endif
}

std::string joinPath(const std::string& folder, const std::string& name) {
    std::string path;
    path.reserve(folder.size() + 1 + name.size());
    path.append(folder).append(1, kPathSeparator).append(name);
    return path;
}

std::vector<std::string> listCalculatorFiles(const std::string& folder) {
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : entriesOf(folder)) {
        std::string name = entry.path().filename().string();
        std::error_code typeError;
        if (!isHidden(entry, name) && !isDirectoryFileName(name) && entry.is_regular_file(typeError)) {
            names.push_back(std::move(name));
        }
    }
    std::sort(names.begin(), names.end(), lessIgnoringCase);
    return names;
}

std::vector<std::string> listSubfolders(const std::string& folder) {
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : entriesOf(folder)) {
        std::error_code typeError;
        std::string name = entry.path().filename().string();
        if (name.front() != '.' && entry.is_directory(typeError)) {
            names.push_back(std::move(name));
        }
    }
    std::sort(names.begin(), names.end(), lessIgnoringCase);
    return names;
}

}  // namespace quillmere
