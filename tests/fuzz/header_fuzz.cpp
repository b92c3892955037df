// Any first bytes of a file: the header parse must not crash, and the entry
// it gives must read back from a directory as exactly the fields put in.
#include "core/directory_files.h"
#include "core/directory_reader.h"
#include "core/header.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string head(reinterpret_cast<const char*>(data),
                           size < quillmere::kMaxHeadBytes ? size : quillmere::kMaxHeadBytes);
    const std::string line = quillmere::headerLineOf(head);
    quillmere::ParsedHeader header;
    try {
        header = quillmere::parseHeader(line);
    } catch (const quillmere::HeaderError&) {
        return 0;
    }
    if (header.title.size() > line.size() || header.typeLetter.size() > 1) {
        std::abort();
    }
    const std::string fileName = "F.000";
    const std::string directory = std::string(quillmere::kDirectoryHeader) +
                                  quillmere::buildEntry(header.typeLetter, fileName, header.title);
    const quillmere::DirectoryContents contents = quillmere::readDirectory(directory);
    if (contents.fault || contents.records.size() != 1 ||
        contents.records[0].typeLetter != header.typeLetter || contents.records[0].fileName != fileName ||
        contents.records[0].title != quillmere::entryTitle(header.typeLetter, header.title)) {
        std::abort();
    }
    return 0;
}
