#include "header_file.h"

#include "catalogue_error.h"

#include <cerrno>
#include <system_error>

#ifdef _WIN32
#include <filesystem>
#include <fstream>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace quillmere {
namespace {

[[noreturn]] void fail(const std::string& fileName, const std::string& cause) {
    throw CatalogueError("Cannot read the header line of \"" + fileName + "\": " + cause + ".");
}

[[noreturn]] void failWithErrno(const std::string& fileName, int error) {
    fail(fileName, causeOf(std::error_code(error, std::generic_category())));
}

#ifdef _WIN32
std::string readFirstBytes(const std::string& path, const std::string& fileName) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(std::filesystem::path(path), error)) {
        fail(fileName, error ? causeOf(error) : "it is not a regular file");
    }
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    if (!in) {
        failWithErrno(fileName, errno);
    }
    std::string bytes(kMaxHeadBytes, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    if (in.bad()) {
        failWithErrno(fileName, errno);
    }
    return bytes;
}
#else
// Opened without blocking, so a name that has become a FIFO or a device
// is refused instead of waiting for a writer.
std::string readFirstBytes(const std::string& path, const std::string& fileName) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        failWithErrno(fileName, errno);
    }
    struct FileCloser {
        int fd;
        ~FileCloser() { ::close(fd); }
    } closer{fd};

    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        failWithErrno(fileName, errno);
    }
    if (!S_ISREG(info.st_mode)) {
        fail(fileName, "it is not a regular file");
    }
    std::string bytes(kMaxHeadBytes, '\0');
    std::size_t filled = 0;
    while (filled < bytes.size()) {
        const ssize_t got = ::read(fd, bytes.data() + filled, bytes.size() - filled);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            failWithErrno(fileName, errno);
        }
        if (got == 0) {
            break;
        }
        filled += static_cast<std::size_t>(got);
    }
    bytes.resize(filled);
    return bytes;
}
#endif

}  // namespace

std::string readFileHead(const std::string& path, const std::string& fileName) {
    std::string head = readFirstBytes(path, fileName);
    if (head.empty()) {
        fail(fileName, "the file is empty");
    }
    return head;
}

ParsedHeader readHeader(const std::string& path, const std::string& fileName,
                        std::string& headerLine) {
    headerLine = headerLineOf(readFileHead(path, fileName));
    try {
        return parseHeader(headerLine);
    } catch (const HeaderError& error) {
        throw CatalogueError("Cannot read the title of \"" + fileName + "\": " + error.what() + ".");
    }
}

}  // namespace quillmere
