#include "bench/floors.h"

#include "core/directory_files.h"
#include "core/folder.h"
#include "core/header.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

std::string headOf(const fs::path& path) {
    std::string head(quillmere::kMaxHeadBytes, '\0');
    std::FILE* file = std::fopen(path.c_str(), "rb");
    head.resize(file ? std::fread(head.data(), 1, head.size(), file) : 0);
    if (file) {
        std::fclose(file);
    }
    return head;
}

}  // namespace

std::vector<std::string> floorListing(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        std::string name = entry.path().filename().string();
        std::string upper = name;
        std::transform(upper.begin(), upper.end(), upper.begin(),
                       [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
        if (name.front() != '.' && upper != quillmere::kDirectoryFileName &&
            upper != quillmere::kCurrentFileName && entry.is_regular_file()) {
            names.push_back(std::move(name));
        }
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
            return std::tolower(static_cast<unsigned char>(x)) < std::tolower(static_cast<unsigned char>(y));
        });
    });
    return names;
}

void floorReadHeaders(const std::string& folder, const std::vector<std::string>& names) {
    for (const std::string& name : names) {
        headOf(fs::path(folder) / name);
    }
}

void floorCreateDirectory(const std::string& folder, const std::string& output) {
    const std::vector<std::string> names = floorListing(folder);
    std::string text(quillmere::kDirectoryHeader);
    for (auto name = names.rbegin(); name != names.rend(); ++name) {
        const quillmere::ParsedHeader header =
            quillmere::parseHeader(quillmere::headerLineOf(headOf(fs::path(folder) / *name)));
        text += quillmere::buildEntry(header.typeLetter, *name, header.title);
    }
    std::ofstream(output, std::ios::binary | std::ios::trunc) << text;
}
