#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillmere {

// One entry of a directory file, found at offset.
struct DirectoryRecord {
    std::size_t offset;
    std::string typeLetter;
    std::string fileName;
    std::string title;
};

// Where and why a directory file stops making sense.
struct DirectoryFault {
    std::size_t offset;
    std::string cause;
};

struct DirectoryContents {
    std::vector<DirectoryRecord> records;
    // The first fault; no entry after it is read.
    std::optional<DirectoryFault> fault;
};

// Walks the entries of "HP39DIR.000" by their length fields.
DirectoryContents readDirectory(std::string_view bytes);

}  // namespace quillmere
