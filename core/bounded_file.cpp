#include "core/bounded_file.h"

#include "core/catalogue_error.h"

#include <algorithm>
#include <cerrno>
#include <system_error>

#ifdef _WIN32
#include <filesystem>
#include <fstream>
#else
#include "core/read_calls.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace quillmere {
namespace {

[[noreturn]] void fail(const Sentence& failure, const std::string& cause) {
    throw CatalogueError(Sentence(failure).words(": " + cause + "."));
}

[[noreturn]] void failWithErrno(const Sentence& failure, int error) {
    fail(failure, causeOf(std::error_code(error, std::generic_category())));
}

#ifdef _WIN32
std::string readBounded(const std::string& path, std::size_t maxBytes, const Sentence& failure) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(std::filesystem::path(path), error)) {
        fail(failure, error ? causeOf(error) : "it is not a regular file");
    }
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    if (!in) {
        failWithErrno(failure, errno);
    }
    std::string bytes(maxBytes, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    if (in.bad()) {
        failWithErrno(failure, errno);
    }
    return bytes;
}
#else
// Opened without blocking, so a name that has become a FIFO or a device
// is refused instead of waiting for a writer.
std::string readBounded(const std::string& path, std::size_t maxBytes, const Sentence& failure) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        failWithErrno(failure, errno);
    }
    struct FileCloser {
        int fd;
        ~FileCloser() { ::close(fd); }
    } closer{fd};

    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        failWithErrno(failure, errno);
    }
    if (!S_ISREG(info.st_mode)) {
        fail(failure, "it is not a regular file");
    }
    // The size may change while reading: the bound holds whatever fstat said.
    std::string bytes(std::min(maxBytes, static_cast<std::size_t>(info.st_size) + 1), '\0');
    std::size_t filled = 0;
    for (;;) {
        if (filled == bytes.size()) {
            if (bytes.size() >= maxBytes) {
                break;
            }
            bytes.resize(std::min(maxBytes, bytes.size() * 2));
        }
        const ssize_t got = readCalls.read(fd, bytes.data() + filled, bytes.size() - filled);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            failWithErrno(failure, errno);
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

std::string readFileStart(const std::string& path, std::size_t maxBytes, const Sentence& failure) {
    return readBounded(path, maxBytes, failure);
}

std::string readWholeFile(const std::string& path, const Sentence& failure) {
    std::string bytes = readBounded(path, kMaxWholeFileBytes + 1, failure);
    if (bytes.size() > kMaxWholeFileBytes) {
        fail(failure, "it is larger than " + std::to_string(kMaxWholeFileBytes >> 20) + " MiB");
    }
    return bytes;
}

}  // namespace quillmere
