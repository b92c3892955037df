// Any first bytes of a file: the header parse must not crash, and the entry
// it gives must read back from a directory as exactly the fields put in.
#include "core/directory_files.h"
#include "core/directory_reader.h"
#include "core/header.h"

#include <cstdint>
#include <cstdlib>
#include <string>

using namespace quillmere;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string head(reinterpret_cast<const char*>(data), size < kMaxHeadBytes ? size : kMaxHeadBytes);
    const std::string line = headerLineOf(head);
    ParsedHeader header;
    try {
        header = parseHeader(line);
    } catch (const HeaderError&) {
        return 0;
    }
    if (header.title.size() > line.size() || header.typeLetter.size() > 1) {
        std::abort();
    }
    const std::string fileName = "F.000";
    const DirectoryContents contents =
        readDirectory(std::string(kDirectoryHeader) + buildEntry(header.typeLetter, fileName, header.title));
    if (contents.fault || contents.records.size() != 1 ||
        contents.records[0].typeLetter != header.typeLetter || contents.records[0].fileName != fileName ||
        contents.records[0].title != entryTitle(header.typeLetter, header.title)) {
        std::abort();
    }
    return 0;
}
