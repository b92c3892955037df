// A generated folder of files whose first bytes come from the input: a
// directory build either fails with a message or writes a directory whose
// entries read back one per file, with the companion file intact. The input
// is also read as a directory file, which must never crash.
#include "core/bounded_file.h"
#include "core/catalogue.h"
#include "core/catalogue_error.h"
#include "core/directory_files.h"
#include "core/directory_reader.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include <unistd.h>

namespace fs = std::filesystem;

using namespace quillmere;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    readDirectory(input);

    // The process's own folder, emptied for each input and removed when it ends.
    static const struct Scratch {
        fs::path path = fs::temp_directory_path() / ("quillmere-fuzz-" + std::to_string(::getpid()));
        ~Scratch() { fs::remove_all(path); }
    } scratch;
    const fs::path& folder = scratch.path;
    fs::remove_all(folder);
    fs::create_directories(folder);
    // Files are separated by a 0xFF byte in the input, at most 16 of them.
    std::size_t files = 0;
    for (std::size_t start = 0; start <= input.size() && files < 16; ++files) {
        const std::size_t end = std::min(input.find('\xff', start), input.size());
        std::ofstream(folder / ("F" + std::to_string(files) + ".000"), std::ios::binary)
            << input.substr(start, end - start);
        start = end + 1;
    }

    Catalogue catalogue(folder.string());
    catalogue.bindFolder(folder.string());
    catalogue.RefreshLists();
    try {
        catalogue.createDirectory();
    } catch (const CatalogueError&) {
        if (fs::exists(folder / "HP39DIR.000") || fs::exists(folder / "HP39DIR.CUR")) {
            std::abort();
        }
        return 0;
    }
    const auto bytesOf = [&](const char* name) { return readWholeFile((folder / name).string(), name); };
    const DirectoryContents written = readDirectory(bytesOf("HP39DIR.000"));
    if (written.fault || written.records.size() != files || bytesOf("HP39DIR.CUR") != kCurrentFileContent) {
        std::abort();
    }
    return 0;
}
