#pragma once

#include "core/header.h"

#include <string>

namespace quillmere {

// Reads the first kMaxHeadBytes of the file at path: all that a header can
// use, however large the file. Never blocks on a FIFO or device. Throws
// CatalogueError naming fileName when the file cannot be opened, is not a
// regular file or is empty.
std::string readFileHead(const std::string& path, const std::string& fileName);

// Parses the head of fileName's file, as readFileHead gives it. headerLine
// receives the header line before the parse, so it holds it even when the
// parse fails. Throws CatalogueError naming fileName.
ParsedHeader parseFileHead(const std::string& head, const std::string& fileName, std::string& headerLine);

// What one file of a folder gives its directory.
struct FileEntry {
    std::string typeLetter;
    std::string title;  // whole, as the header gives it
    std::string bytes;  // the directory entry, under the file name given
};

// Parses head as parseFileHead does and builds its directory entry under
// fileName.
FileEntry fileEntryOf(const std::string& head, const std::string& fileName, std::string& headerLine);

// The entry of the file at path, read by readFileHead.
FileEntry readFileEntry(const std::string& path, const std::string& fileName, std::string& headerLine);

}  // namespace quillmere
