#include "tests/support/temp_folder.h"

#include "core/bounded_file.h"
#include "core/catalogue_error.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace fs = std::filesystem;

TempFolder::TempFolder() : path_((fs::temp_directory_path() / "quillmere-test-XXXXXX").string()) {
    if (::mkdtemp(path_.data()) == nullptr) {
        throw std::runtime_error("cannot create a temporary folder");
    }
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(path_, ignored);
}

void TempFolder::write(const std::string& name, const std::string& bytes) const {
    if (!(std::ofstream(pathOf(name), std::ios::binary) << bytes)) {
        throw std::runtime_error("cannot write " + name);
    }
}

std::optional<std::string> TempFolder::read(const std::string& name) const {
    try {
        return quillmere::readWholeFile(pathOf(name), name);
    } catch (const quillmere::CatalogueError&) {
        return std::nullopt;
    }
}

std::vector<std::string> TempFolder::entries() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(path_)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}
