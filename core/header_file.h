#pragma once

#include <string>

namespace quillmere {

// The parse never looks past byte 111 of a header line (a two-digit length
// field can announce at most 99 bytes from byte 13), so that is all we keep.
inline constexpr std::size_t kMaxHeaderLineBytes = 111;

// Reads the first line of the file at path, without its LF or CR LF, cut to
// kMaxHeaderLineBytes. Never blocks on a FIFO or device. Throws CatalogueError
// naming fileName when the file cannot be opened, is not a regular file or
// is empty.
std::string readHeaderLine(const std::string& path, const std::string& fileName);

}  // namespace quillmere
