#include "directory_files.h"

#include "catalogue_error.h"
#include "folder.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace quillmere {
namespace {

[[noreturn]] void failToWrite(std::string_view fileName, const std::string& folder,
                              const std::string& cause) {
    throw CatalogueError("Cannot write \"" + std::string(fileName) + "\" in \"" + folder +
                         "\": " + cause + ".");
}

// One file to be replaced: its new bytes wait in a hidden temporary file
// beside it until every file of the set has been written in full.
struct Replacement {
    std::string_view fileName;
    std::string target;
    std::string temporary;
};

// Refuses a target that the user has protected, or that is not a file.
void checkReplaceable(const Replacement& file, const std::string& folder) {
    std::error_code error;
    const fs::file_status status = fs::status(fs::path(file.target), error);
    if (!fs::exists(status)) {
        return;
    }
    if (!fs::is_regular_file(status)) {
        failToWrite(file.fileName, folder, "it exists and is not a regular file");
    }
    if ((status.permissions() & fs::perms::owner_write) == fs::perms::none) {
        failToWrite(file.fileName, folder, "the file is read-only");
    }
}

std::FILE* createTemporary(Replacement& file, const std::string& folder) {
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, "%08x", static_cast<unsigned>(random()));
        file.temporary = joinPath(folder, "." + std::string(file.fileName) + "." + suffix + ".tmp");
        // "x": never open a file that is already there.
        if (std::FILE* stream = std::fopen(file.temporary.c_str(), "wbx")) {
            return stream;
        }
        if (errno != EEXIST) {
            failToWrite(file.fileName, folder, causeOf(std::error_code(errno, std::generic_category())));
        }
    }
    failToWrite(file.fileName, folder, "no free name for a temporary file");
}

bool flushToDisk(std::FILE* stream) {
    if (std::fflush(stream) != 0) {
        return false;
    }
#ifdef _WIN32
    return _commit(_fileno(stream)) == 0;
#else
    return ::fsync(fileno(stream)) == 0;
#endif
}

void writeTemporary(Replacement& file, const std::string& folder, std::string_view bytes) {
    std::FILE* stream = createTemporary(file, folder);
    errno = 0;
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), stream) == bytes.size();
    written = written && flushToDisk(stream);
    const int writeError = errno;
    written = (std::fclose(stream) == 0) && written;
    if (!written) {
        const int error = writeError != 0 ? writeError : errno;
        std::remove(file.temporary.c_str());
        failToWrite(file.fileName, folder,
                    error != 0 ? causeOf(std::error_code(error, std::generic_category()))
                               : "the file could not be written in full");
    }
}

std::optional<std::string> readWhole(const std::string& path) {
    std::ifstream in(fs::path(path), std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Puts back what a replaced file held before, or removes it when it was new.
void restore(const Replacement& file, const std::optional<std::string>& earlier) {
    std::error_code ignored;
    if (!earlier) {
        fs::remove(fs::path(file.target), ignored);
        return;
    }
    std::ofstream out(fs::path(file.target), std::ios::binary | std::ios::trunc);
    out.write(earlier->data(), static_cast<std::streamsize>(earlier->size()));
}

}  // namespace

void writeDirectoryFiles(const std::string& folder, std::string_view directoryText) {
    Replacement current{kCurrentFileName, joinPath(folder, std::string(kCurrentFileName)), {}};
    Replacement directory{kDirectoryFileName, joinPath(folder, std::string(kDirectoryFileName)), {}};
    checkReplaceable(directory, folder);
    checkReplaceable(current, folder);

    writeTemporary(directory, folder, directoryText);
    try {
        writeTemporary(current, folder, kCurrentFileContent);
    } catch (const CatalogueError&) {
        std::remove(directory.temporary.c_str());
        throw;
    }

    // The small fixed file goes first, so that if the second move fails the
    // first can be undone from a copy held in memory.
    const std::optional<std::string> earlierCurrent = readWhole(current.target);
    std::error_code error;
    fs::rename(fs::path(current.temporary), fs::path(current.target), error);
    if (error) {
        std::remove(current.temporary.c_str());
        std::remove(directory.temporary.c_str());
        failToWrite(current.fileName, folder, causeOf(error));
    }
    fs::rename(fs::path(directory.temporary), fs::path(directory.target), error);
    if (error) {
        restore(current, earlierCurrent);
        std::remove(directory.temporary.c_str());
        failToWrite(directory.fileName, folder, causeOf(error));
    }
}

}  // namespace quillmere
