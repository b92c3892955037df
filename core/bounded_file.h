#pragma once

#include "core/catalogue_error.h"

#include <cstddef>
#include <string>

namespace quillmere {

// Far more than any real directory needs (100,000 entries take about 3 MB),
// so that a link to a device or a huge file cannot exhaust memory.
inline constexpr std::size_t kMaxWholeFileBytes = 64u << 20;

// Reads at most maxBytes from the start of the regular file at path. Never
// blocks on a FIFO or device: anything but a regular file is refused.
// Throws CatalogueError "<failure>: <cause>.".
std::string readFileStart(const std::string& path, std::size_t maxBytes, const Sentence& failure);

// Reads the whole regular file at path, refusing one larger than
// kMaxWholeFileBytes. Throws CatalogueError as readFileStart.
std::string readWholeFile(const std::string& path, const Sentence& failure);

}  // namespace quillmere
