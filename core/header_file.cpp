#include "core/header_file.h"

#include "core/bounded_file.h"
#include "core/catalogue_error.h"

namespace quillmere {

std::string readFileHead(const std::string& path, const std::string& fileName) {
    Sentence failure("Cannot read the header line of ");
    failure.name(fileName);
    std::string head = readFileStart(path, kMaxHeadBytes, failure);
    if (head.empty()) {
        throw CatalogueError(failure.words(": the file is empty."));
    }
    return head;
}

ParsedHeader parseFileHead(const std::string& head, const std::string& fileName, std::string& headerLine) {
    headerLine = headerLineOf(head);
    try {
        return parseHeader(headerLine);
    } catch (const HeaderError& error) {
        throw CatalogueError(Sentence("Cannot read the title of ")
                                 .name(fileName)
                                 .words(": " + std::string(error.what()) + "."));
    }
}

FileEntry fileEntryOf(const std::string& head, const std::string& fileName, std::string& headerLine) {
    ParsedHeader header = parseFileHead(head, fileName, headerLine);
    std::string bytes = buildEntry(header.typeLetter, fileName, header.title);
    return {std::move(header.typeLetter), std::move(header.title), std::move(bytes)};
}

FileEntry readFileEntry(const std::string& path, const std::string& fileName, std::string& headerLine) {
    return fileEntryOf(readFileHead(path, fileName), fileName, headerLine);
}

}  // namespace quillmere
