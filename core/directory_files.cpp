#include "core/directory_files.h"

#include "core/bounded_file.h"
#include "core/catalogue_error.h"
#include "core/folder.h"
#include "core/folder_boundary.h"
#include "core/write_calls.h"

#include <cerrno>
#include <cstdio>
#include <optional>
#include <random>
#include <system_error>

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillmere {
namespace {

std::string errnoCause(int error) {
    return causeOf(std::error_code(error, std::generic_category()));
}

[[noreturn]] void failToWrite(std::string_view fileName, const std::string& folder, const Sentence& cause) {
    throw CatalogueError(Sentence("Cannot write ")
                             .name(fileName)
                             .words(" in ")
                             .name(folder)
                             .words(": ")
                             .append(cause)
                             .words("."));
}

// Our own names beside a directory file: ".HP39DIR.000.1a2b3c4d.tmp" for a
// new file being written, ".HP39DIR.000.1a2b3c4d.old" for an earlier one
// kept until the new one stands.
std::string hiddenName(std::string_view fileName, unsigned number, const char* kind) {
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, "%08x", number);
    return "." + std::string(fileName) + "." + suffix + "." + kind;
}

// The kind (".tmp" or ".old") of one of our hidden names for fileName, or
// nothing for any other name.
std::optional<std::string> hiddenKindOf(const std::string& name, std::string_view fileName) {
    const std::string sample = hiddenName(fileName, 0, "tmp");
    if (name.size() != sample.size() ||
        name.compare(0, fileName.size() + 2, sample, 0, fileName.size() + 2) != 0) {
        return std::nullopt;
    }
    const std::string kind = name.substr(name.size() - 4);
    const std::string hex = name.substr(fileName.size() + 2, 8);
    if ((kind != ".tmp" && kind != ".old") ||
        hex.find_first_not_of("0123456789abcdef") != std::string::npos) {
        return std::nullopt;
    }
    return kind;
}

std::string folderOf(const std::string& path) {
    return path.substr(0, path.rfind(kPathSeparator));
}

// The folder, locked for the whole write so that no other run of this
// program writes into it meanwhile. A writer holds it for milliseconds;
// anyone who may read a shared folder could hold it for ever, so the wait
// is short and then the user is told.
class FolderLock {
public:
    explicit FolderLock(const std::string& folder) {
        fd_ = writeCalls.open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
        if (fd_ < 0) {
            failToWrite(kDirectoryFileName, folder, errnoCause(errno));
        }
        constexpr int kPatienceMs = 1000;
        for (int waited = 0; writeCalls.flock(fd_, LOCK_EX | LOCK_NB) != 0; waited += 10) {
            const int error = errno;
            if (error == EWOULDBLOCK && waited < kPatienceMs) {
                ::poll(nullptr, 0, 10);
            } else if (error != EINTR) {
                unlock();
                failToWrite(kDirectoryFileName, folder,
                            error == EWOULDBLOCK ? "another program is writing the directory of this folder"
                                                 : errnoCause(error));
            }
        }
    }
    ~FolderLock() { unlock(); }
    void unlock() {
        if (fd_ >= 0) {
            writeCalls.close(fd_);
            fd_ = -1;
        }
    }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

private:
    int fd_;
};

// Holds SIGINT, SIGTERM and SIGHUP back while the files are replaced, so
// that no signal can end the program between two steps of the write or its
// undo. One that comes meanwhile undoes the write if it comes before the new
// files stand; one that comes after is spent: the write has succeeded, and
// the caller says so. A signal the caller held back already stays its own.
class HeldStopSignals {
public:
    HeldStopSignals() {
        sigemptyset(&stops_);
        for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
            sigaddset(&stops_, signal);
        }
        pthread_sigmask(SIG_BLOCK, &stops_, &before_);
    }
    ~HeldStopSignals() { pthread_sigmask(SIG_SETMASK, &before_, nullptr); }
    HeldStopSignals(const HeldStopSignals&) = delete;
    HeldStopSignals& operator=(const HeldStopSignals&) = delete;

    bool arrived() const {
        sigset_t pending;
        sigpending(&pending);
        for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
            if (sigismember(&pending, signal) == 1) {
                return true;
            }
        }
        return false;
    }

    void spendOurs() const {
        for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
            sigset_t one;
            sigemptyset(&one);
            sigaddset(&one, signal);
            const timespec now{0, 0};
            if (sigismember(&before_, signal) != 1) {
                while (sigtimedwait(&one, nullptr, &now) == signal) {
                }
            }
        }
    }

private:
    sigset_t stops_;
    sigset_t before_;
};

// Files that a run ended by force (a power cut, SIGKILL) left beside
// target: under the lock none of them belongs to a write in progress. An
// earlier file that was moved aside and never put back is put back now.
void recoverLeftovers(const std::string& target, std::string_view fileName) {
    const std::string folder = folderOf(target);
    DIR* listing = ::opendir(folder.c_str());
    if (listing == nullptr) {
        return;
    }
    while (const dirent* entry = ::readdir(listing)) {
        const std::optional<std::string> kind = hiddenKindOf(entry->d_name, fileName);
        if (!kind) {
            continue;
        }
        const std::string path = joinPath(folder, entry->d_name);
        struct stat info {};
        const bool targetGone = ::lstat(target.c_str(), &info) != 0 && errno == ENOENT;
        if (*kind != ".old" || !targetGone || writeCalls.rename(path.c_str(), target.c_str()) != 0) {
            writeCalls.unlink(path.c_str());
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
    // Whose the new file is: the earlier file's owner and group, or the
    // folder's, so that a run as root leaves the user's folder the user's.
    uid_t owner = static_cast<uid_t>(-1);
    gid_t group = static_cast<gid_t>(-1);
    std::string temporary;
    std::string kept;       // the earlier file's second name while the write runs
    bool replaced = false;  // the target no longer holds the earlier file
};

// Where the file's name leads, refused when that lies outside the folder: a
// folder from an archive may link its directory files anywhere.
std::string targetInside(const std::string& folder, std::string_view fileName) {
    const std::string path = joinPath(folder, std::string(fileName));
    const std::string target = followLinks(path);
    if (target.empty()) {
        failToWrite(fileName, folder, "it is a link that leads nowhere (" + errnoCause(ELOOP) + ")");
    }
    if (!staysInsideFolder(folder, path)) {
        failToWrite(fileName, folder,
                    Sentence("it is a link to ").name(target).words(", outside the folder"));
    }
    return target;
}

// Refuses a target that the user may not write, or that is not a file.
// Root may write anything, so for root the owner's write bit decides.
void checkReplaceable(Replacement& file, const std::string& folder) {
    struct stat info {};
    if (::stat(file.target.c_str(), &info) != 0) {
        if (errno != ENOENT) {
            failToWrite(file.fileName, folder, errnoCause(errno));
        }
        if (::stat(folderOf(file.target).c_str(), &info) == 0) {
            file.owner = info.st_uid;
            file.group = info.st_gid;
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
    file.owner = info.st_uid;
    file.group = info.st_gid;
}

// Makes a new hidden name beside the target by create, which fails with
// EEXIST when the name is taken.
template <typename Create>
void makeHiddenName(Replacement& file, const std::string& folder, const char* kind, std::string& name,
                    Create create) {
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        name =
            joinPath(folderOf(file.target), hiddenName(file.fileName, static_cast<unsigned>(random()), kind));
        if (create(name)) {
            return;
        }
        if (errno != EEXIST) {
            name.clear();
            failToWrite(file.fileName, folder, errnoCause(errno));
        }
    }
    name.clear();
    failToWrite(file.fileName, folder, "no free name for a temporary file");
}

// The new file's bytes, with the earlier file's permission bits, and its
// owner and group as far as this user may give them. Returns 0, or the
// error that stopped it.
int fillTemporary(int fd, const Replacement& file, std::string_view bytes) {
    if (file.earlier && writeCalls.fchmod(fd, file.earlier->st_mode & 07777) != 0) {
        return errno;
    }
    // Only root gives files away; others may still give a group they are in.
    if (writeCalls.fchown(fd, file.owner, file.group) != 0 &&
        (errno != EPERM ||
         (writeCalls.fchown(fd, static_cast<uid_t>(-1), file.group) != 0 && errno != EPERM))) {
        return errno;
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
    makeHiddenName(file, folder, "tmp", file.temporary, [&](const std::string& name) {
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
    makeHiddenName(file, folder, "old", file.kept, [&](const std::string& name) {
        if (writeCalls.link(file.target.c_str(), name.c_str()) == 0) {
            return true;
        }
        if (errno == EEXIST || writeCalls.rename(file.target.c_str(), name.c_str()) != 0) {
            return false;
        }
        file.replaced = true;
        return true;
    });
}

void moveIntoPlace(Replacement& file, const std::string& folder) {
    if (writeCalls.rename(file.temporary.c_str(), file.target.c_str()) != 0) {
        failToWrite(file.fileName, folder, errnoCause(errno));
    }
    file.temporary.clear();
    file.replaced = true;
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
Sentence undo(Replacement& file) {
    Sentence unrestored("");
    if (!file.temporary.empty()) {
        writeCalls.unlink(file.temporary.c_str());
    }
    if (file.replaced) {
        const bool restored = file.kept.empty()
                                  ? writeCalls.unlink(file.target.c_str()) == 0
                                  : writeCalls.rename(file.kept.c_str(), file.target.c_str()) == 0;
        if (!restored) {
            unrestored.words(", and the earlier ").name(file.fileName).words(" could not be put back");
            if (!file.kept.empty()) {
                unrestored.words(" from ").name(file.kept);
            }
            unrestored.words(": " + errnoCause(errno));
        }
    } else if (!file.kept.empty()) {
        writeCalls.unlink(file.kept.c_str());
    }
    return unrestored;
}

}  // namespace

void writeDirectoryFiles(const std::string& folder, std::string_view directoryText) {
    FolderLock lock(folder);
    Replacement directory{kDirectoryFileName, {}, {}, {}, {}, {}, {}, false};
    Replacement current{kCurrentFileName, {}, {}, {}, {}, {}, {}, false};
    for (Replacement* file : {&directory, &current}) {
        file->target = targetInside(folder, file->fileName);
        recoverLeftovers(file->target, file->fileName);
        checkReplaceable(*file, folder);
    }
    const HeldStopSignals signals;
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
        if (signals.arrived()) {
            failToWrite(kDirectoryFileName, folder, "stopped by a signal before the new files stood");
        }
    } catch (const CatalogueError& error) {
        const Sentence unrestored = undo(current).append(undo(directory));
        if (unrestored.text().empty()) {
            throw;
        }
        throw CatalogueError(Sentence(error.sentence()).withoutLast().append(unrestored).words("."));
    }
    for (Replacement* file : {&directory, &current}) {
        // One left behind goes with the next write.
        if (!file->kept.empty()) {
            writeCalls.unlink(file->kept.c_str());
        }
    }
    lock.unlock();
    signals.spendOurs();
}

bool directoryFilesSay(const std::string& folder, std::string_view directoryText) {
    try {
        return readWholeFile(joinPath(folder, std::string(kDirectoryFileName)), folder) == directoryText &&
               readWholeFile(joinPath(folder, std::string(kCurrentFileName)), folder) == kCurrentFileContent;
    } catch (const CatalogueError&) {
        return false;
    }
}

}  // namespace quillmere
