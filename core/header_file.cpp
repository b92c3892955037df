#include "core/header_file.h"

#include "core/bounded_file.h"
#include "core/catalogue_error.h"

namespace quillmere {

std::string readFileHead(const std::string& path, const std::string& fileName) {
    const std::string failure = "Cannot read the header line of \"" + fileName + "\"";
    std::string head = readFileStart(path, kMaxHeadBytes, failure);
    if (head.empty()) {
        throw CatalogueError(failure + ": the file is empty.");
    }
    return head;
}

ParsedHeader readHeader(const std::string& path, const std::string& fileName, std::string& headerLine) {
    headerLine = headerLineOf(readFileHead(path, fileName));
    try {
        return parseHeader(headerLine);
    } catch (const HeaderError& error) {
        throw CatalogueError("Cannot read the title of \"" + fileName + "\": " + error.what() + ".");
    }
}

FileEntry readFileEntry(const std::string& path, const std::string& fileName, std::string& headerLine) {
    ParsedHeader header = readHeader(path, fileName, headerLine);
    std::string bytes = buildEntry(header.typeLetter, fileName, header.title);
    return {std::move(header.typeLetter), std::move(header.title), std::move(bytes)};
}

}  // namespace quillmere
