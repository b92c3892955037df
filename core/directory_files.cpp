#include "core/directory_files.h"

#include "core/catalogue_error.h"
#include "core/folder.h"
#include "core/pending_files.h"
#include "core/write_calls.h"

#include <cerrno>
#include <cstdio>
#include <optional>
#include <random>
#include <system_error>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillmere {
namespace {

std::string errnoCause(int error) {
    return causeOf(std::error_code(error, std::generic_category()));
}

[[noreturn]] void failToWrite(std::string_view fileName, const std::string& folder,
                              const std::string& cause) {
    throw CatalogueError("Cannot write \"" + std::string(fileName) + "\" in \"" + folder + "\": " + cause +
                         ".");
}

// Our own names beside a directory file: ".HP39DIR.000.1a2b3c4d.tmp" for a
// new file being written, ".HP39DIR.000.1a2b3c4d.old" for an earlier one
// kept until the new one stands.
std::string hiddenName(std::string_view fileName, unsigned number, const char* kind) {
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, "%08x", number);
    return "." + std::string(fileName) + "." + suffix + "." + kind;
}

bool isOurHiddenName(const std::string& name) {
    for (const std::string_view fileName : {kDirectoryFileName, kCurrentFileName}) {
        const std::string sample = hiddenName(fileName, 0, "tmp");
        if (name.size() != sample.size() ||
            name.compare(0, fileName.size() + 2, sample, 0, fileName.size() + 2) != 0) {
            continue;
        }
        const std::string kind = name.substr(name.size() - 4);
        const std::string hex = name.substr(fileName.size() + 2, 8);
        if ((kind == ".tmp" || kind == ".old") &&
            hex.find_first_not_of("0123456789abcdef") == std::string::npos) {
            return true;
        }
    }
    return false;
}

std::string folderOf(const std::string& path) {
    return path.substr(0, path.rfind(kPathSeparator));
}

// The folder, locked for the whole write so that no other run of this
// program writes into it meanwhile.
class FolderLock {
public:
    explicit FolderLock(const std::string& folder) {
        fd_ = writeCalls.open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
        if (fd_ < 0) {
            failToWrite(kDirectoryFileName, folder, errnoCause(errno));
        }
        while (writeCalls.flock(fd_, LOCK_EX) != 0) {
            if (errno != EINTR) {
                const int error = errno;
                writeCalls.close(fd_);
                failToWrite(kDirectoryFileName, folder, errnoCause(error));
            }
        }
    }
    ~FolderLock() { writeCalls.close(fd_); }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

private:
    int fd_;
};

// Files that a run ended by force (a power cut, SIGKILL) left: under the
// lock none of them belongs to a write in progress.
void removeLeftovers(const std::string& folder) {
    DIR* listing = ::opendir(folder.c_str());
    if (listing == nullptr) {
        return;
    }
    while (const dirent* entry = ::readdir(listing)) {
        if (isOurHiddenName(entry->d_name)) {
            writeCalls.unlink(joinPath(folder, entry->d_name).c_str());
        }
    }
    ::closedir(listing);
}

// One directory file to be replaced, through any symbolic links to the
// file they finally name, which is replaced in its own folder.
struct Replacement {
    std::string_view fileName;
    std::string target;
    std::optional<struct stat> earlier;
    std::string temporary;
    std::optional<PendingFile> pendingTemporary;
    std::string kept;  // the earlier file's second name while the write runs
    std::optional<PendingFile> pendingKept;
    bool replaced = false;  // the target no longer holds the earlier file
};

std::string finalTarget(const std::string& path, std::string_view fileName, const std::string& folder) {
    std::string at = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat info {};
        if (::lstat(at.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
            return at;
        }
        std::string to(static_cast<std::size_t>(info.st_size) + 256, '\0');
        const ssize_t length = ::readlink(at.c_str(), to.data(), to.size());
        if (length < 0) {
            failToWrite(fileName, folder, errnoCause(errno));
        }
        to.resize(static_cast<std::size_t>(length));
        at = to.front() == kPathSeparator ? to : joinPath(folderOf(at), to);
    }
    failToWrite(fileName, folder, errnoCause(ELOOP));
}

// Refuses a target that the user may not write, or that is not a file.
// Root may write anything, so for root the owner's write bit decides.
void checkReplaceable(Replacement& file, const std::string& folder) {
    struct stat info {};
    if (::stat(file.target.c_str(), &info) != 0) {
        if (errno != ENOENT) {
            failToWrite(file.fileName, folder, errnoCause(errno));
        }
        return;
    }
    if (!S_ISREG(info.st_mode)) {
        failToWrite(file.fileName, folder, "it exists and is not a regular file");
    }
    const bool writable = ::geteuid() == 0
                              ? (info.st_mode & S_IWUSR) != 0
                              : ::faccessat(AT_FDCWD, file.target.c_str(), W_OK, AT_EACCESS) == 0;
    if (!writable) {
        failToWrite(file.fileName, folder, "the file is read-only");
    }
    file.earlier = info;
}

// Makes a new hidden name beside the target by create, which fails with
// EEXIST when the name is taken.
template <typename Create>
void makeHiddenName(Replacement& file, const std::string& folder, const char* kind, std::string& name,
                    std::optional<PendingFile>& pending, Create create) {
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        name =
            joinPath(folderOf(file.target), hiddenName(file.fileName, static_cast<unsigned>(random()), kind));
        pending.emplace(name);
        if (create(name)) {
            return;
        }
        pending.reset();
        if (errno != EEXIST) {
            name.clear();
            failToWrite(file.fileName, folder, errnoCause(errno));
        }
    }
    name.clear();
    failToWrite(file.fileName, folder, "no free name for a temporary file");
}

// The new file's bytes, with the earlier file's permission bits and group.
// Returns 0, or the error that stopped it.
int fillTemporary(int fd, const Replacement& file, std::string_view bytes) {
    if (file.earlier) {
        if (writeCalls.fchmod(fd, file.earlier->st_mode & 07777) != 0) {
            return errno;
        }
        // A group the user is not in: the folder's default stays.
        if (writeCalls.fchown(fd, static_cast<uid_t>(-1), file.earlier->st_gid) != 0 && errno != EPERM) {
            return errno;
        }
    }
    while (!bytes.empty()) {
        const ssize_t put = writeCalls.write(fd, bytes.data(), bytes.size());
        if (put < 0 && errno != EINTR) {
            return errno;
        }
        if (put == 0) {
            return EIO;
        }
        bytes.remove_prefix(put > 0 ? static_cast<std::size_t>(put) : 0);
    }
    return writeCalls.fsync(fd) == 0 ? 0 : errno;
}

void writeTemporary(Replacement& file, const std::string& folder, std::string_view bytes) {
    int fd = -1;
    makeHiddenName(file, folder, "tmp", file.temporary, file.pendingTemporary, [&](const std::string& name) {
        fd = writeCalls.open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        return fd >= 0;
    });
    int error = fillTemporary(fd, file, bytes);
    if (writeCalls.close(fd) != 0 && error == 0) {
        error = errno;
    }
    if (error != 0) {
        failToWrite(file.fileName, folder, errnoCause(error));
    }
}

// Gives the earlier file a second, hidden name, so that it can be put back
// without ever being read. Where the file system has no hard links it is
// moved aside instead.
void keepEarlier(Replacement& file, const std::string& folder) {
    if (!file.earlier) {
        return;
    }
    makeHiddenName(file, folder, "old", file.kept, file.pendingKept, [&](const std::string& name) {
        if (writeCalls.link(file.target.c_str(), name.c_str()) == 0) {
            return true;
        }
        if (errno == EEXIST || writeCalls.rename(file.target.c_str(), name.c_str()) != 0) {
            return false;
        }
        file.replaced = true;
        file.pendingKept->restoreTo(file.target);
        return true;
    });
}

void moveIntoPlace(Replacement& file, const std::string& folder) {
    if (writeCalls.rename(file.temporary.c_str(), file.target.c_str()) != 0) {
        failToWrite(file.fileName, folder, errnoCause(errno));
    }
    file.temporary.clear();
    file.pendingTemporary.reset();
    file.replaced = true;
    if (file.pendingKept) {
        file.pendingKept->restoreTo(file.target);
    }
}

void syncFolder(const std::string& path, std::string_view fileName, const std::string& folder) {
    const int fd = writeCalls.open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
    const bool synced = fd >= 0 && writeCalls.fsync(fd) == 0;
    const int error = errno;
    if (fd >= 0) {
        writeCalls.close(fd);
    }
    if (!synced) {
        failToWrite(fileName, folder, errnoCause(error));
    }
}

// Undoes what a failed write did: its temporary files and the earlier
// files' second names go, a replaced target gets its earlier file back or,
// where there was none, goes. Returns what could not be put back.
std::string undo(Replacement& file) {
    std::string unrestored;
    if (!file.temporary.empty()) {
        writeCalls.unlink(file.temporary.c_str());
    }
    if (file.replaced) {
        const bool restored = file.kept.empty()
                                  ? writeCalls.unlink(file.target.c_str()) == 0
                                  : writeCalls.rename(file.kept.c_str(), file.target.c_str()) == 0;
        if (!restored) {
            unrestored = ", and the earlier \"" + std::string(file.fileName) + "\" could not be put back" +
                         (file.kept.empty() ? "" : " from \"" + file.kept + "\"") + ": " + errnoCause(errno);
        }
    } else if (!file.kept.empty()) {
        writeCalls.unlink(file.kept.c_str());
    }
    file.pendingKept.reset();
    file.pendingTemporary.reset();
    return unrestored;
}

}  // namespace

void writeDirectoryFiles(const std::string& folder, std::string_view directoryText) {
    const FolderLock lock(folder);
    removeLeftovers(folder);

    Replacement directory{kDirectoryFileName, {}, {}, {}, {}, {}, {}, false};
    Replacement current{kCurrentFileName, {}, {}, {}, {}, {}, {}, false};
    for (Replacement* file : {&directory, &current}) {
        file->target = finalTarget(joinPath(folder, std::string(file->fileName)), file->fileName, folder);
        checkReplaceable(*file, folder);
    }
    try {
        writeTemporary(directory, folder, directoryText);
        writeTemporary(current, folder, kCurrentFileContent);
        keepEarlier(directory, folder);
        keepEarlier(current, folder);
        moveIntoPlace(current, folder);
        moveIntoPlace(directory, folder);
        syncFolder(directory.target, directory.fileName, folder);
        if (folderOf(current.target) != folderOf(directory.target)) {
            syncFolder(current.target, current.fileName, folder);
        }
    } catch (const CatalogueError& error) {
        const std::string unrestored = undo(current) + undo(directory);
        if (unrestored.empty()) {
            throw;
        }
        std::string message = error.what();
        message.insert(message.size() - 1, unrestored);
        throw CatalogueError(message);
    }
    for (Replacement* file : {&directory, &current}) {
        // One left behind goes with the next write.
        file->pendingKept.reset();
        if (!file->kept.empty()) {
            writeCalls.unlink(file->kept.c_str());
        }
    }
}

}  // namespace quillmere
