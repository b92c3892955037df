#include "core/catalogue_error.h"
#include "core/directory_files.h"
#include "tests/support/failure.h"
#include "tests/support/temp_folder.h"
#include "core/write_calls.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <functional>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace quillmere;
namespace fs = std::filesystem;

namespace {

const std::string kCur = "HP39AscA A 11 HP39DIR.0004 Root";
using Names = std::vector<std::string>;

// The failure of a write run by the user "nobody", in a child process.
std::string failureAsNobody(const std::function<void()>& write, const std::string& expected) {
    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit(::setgid(65534) == 0 && ::setuid(65534) == 0 && failureOf(write) == expected ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? expected : "another failure, or none";
}

mode_t modeOf(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

// Through a link to a 0600 file of another group, beside leftovers of an
// interrupted run; then over an earlier HP39DIR.CUR too large to read.
TEST(WriteDirectoryFiles, WritesExactlyTheBytesKeepingAttributesAndRemovingLeftovers) {
    TempFolder folder;
    fs::create_directory(folder.pathOf("real"));
    folder.write("real/DIR", std::string(5000, 'o'));
    fs::permissions(folder.pathOf("real/DIR"), fs::perms(0600));
    const bool groupSet = ::chown(folder.pathOf("real/DIR").c_str(), static_cast<uid_t>(-1), 65534) == 0;
    fs::create_symlink("real/DIR", folder.pathOf("HP39DIR.000"));
    for (const char* name : {".HP39DIR.000.0badf00d.tmp", ".HP39DIR.CUR.12345678.old", ".HP39DIR.000.notours"}) {
        folder.write(name, "left by an earlier run");
    }
    const mode_t mask = ::umask(027);
    writeDirectoryFiles(folder.path(), "HP39AscA");
    ::umask(mask);
    EXPECT_TRUE(fs::is_symlink(folder.pathOf("HP39DIR.000")));
    EXPECT_EQ(folder.read("real/DIR"), "HP39AscA");
    EXPECT_EQ(folder.read("HP39DIR.CUR"), kCur);
    EXPECT_EQ(modeOf(folder.pathOf("real/DIR")), 0600u);
    EXPECT_EQ(modeOf(folder.pathOf("HP39DIR.CUR")), 0640u);  // new: the umask's mode
    struct stat info {};
    EXPECT_TRUE(!groupSet || (::stat(folder.pathOf("real/DIR").c_str(), &info) == 0 && info.st_gid == 65534));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.pathOf("real")), fs::directory_iterator()), 1);

    fs::resize_file(folder.pathOf("HP39DIR.CUR"), std::uintmax_t{8} << 30);
    writeDirectoryFiles(folder.path(), "HP39AscAC 8 NOTE.0003 RemA 9 HELLO.0005 Hello");
    EXPECT_EQ(folder.read("HP39DIR.000"), "HP39AscAC 8 NOTE.0003 RemA 9 HELLO.0005 Hello");
    EXPECT_EQ(folder.read("HP39DIR.CUR"), kCur);
    EXPECT_EQ(folder.entries(), (Names{".HP39DIR.000.notours", "HP39DIR.000", "HP39DIR.CUR", "real"}));
}

// How each file is protected: made 0444, a folder put in its place, or
// left root's own 0644 file while "nobody" writes into the shared folder.
TEST(WriteDirectoryFiles, RefusesWhatTheUserMayNotReplace) {
    for (const auto& [file, how] : {std::pair<std::string, std::string>{"HP39DIR.000", "0444"},
                                    {"HP39DIR.CUR", "0444"},
                                    {"HP39DIR.000", "folder"},
                                    {"HP39DIR.000", "nobody"}}) {
        SCOPED_TRACE(file + " " + how);
        if (how == "nobody" && ::geteuid() != 0) {
            continue;  // only root can give the file to another user
        }
        TempFolder folder;
        folder.write("HP39DIR.000", "HP39AscAearlier directory");
        folder.write("HP39DIR.CUR", "earlier companion");
        fs::permissions(folder.path(), fs::perms(0777));
        if (how == "0444") {
            fs::permissions(folder.pathOf(file), fs::perms(0444));
        } else if (how == "folder") {
            fs::remove(folder.pathOf(file));
            fs::create_directory(folder.pathOf(file));
        }
        const auto directoryBefore = folder.read("HP39DIR.000");
        const auto entriesBefore = folder.entries();
        const auto write = [&] { writeDirectoryFiles(folder.path(), "HP39AscA"); };
        const std::string expected = "Cannot write \"" + file + "\" in \"" + folder.path() + "\": " +
                                     (how == "folder" ? "it exists and is not a regular file" : "the file is read-only") + ".";
        EXPECT_EQ(how == "nobody" ? failureAsNobody(write, expected) : failureOf(write), expected);
        EXPECT_EQ(folder.read("HP39DIR.000"), directoryBefore);
        EXPECT_EQ(folder.read("HP39DIR.CUR"), "earlier companion");
        EXPECT_EQ(folder.entries(), entriesBefore);
    }
}

// The n-th call of one kind fails with EIO, and with `onward` every later one.
struct Fault {
    std::string call;
    int n;
    bool onward;
    int seen;
} fault;
const WriteCalls realCalls = writeCalls;

bool failsNow(const char* call) {
    if (fault.call != call || ++fault.seen < fault.n || (fault.seen > fault.n && !fault.onward)) {
        return false;
    }
    errno = EIO;
    return true;
}

const WriteCalls faultyCalls{
    [](const char* p, int f, mode_t m) { return failsNow("open") ? -1 : realCalls.open(p, f, m); },
    [](int fd, const void* b, size_t s) { return failsNow("write") ? ssize_t{-1} : realCalls.write(fd, b, s); },
    [](int fd) { return failsNow("fsync") ? -1 : realCalls.fsync(fd); },
    [](int fd) { return failsNow("close") ? (realCalls.close(fd), -1) : realCalls.close(fd); },
    [](int fd, mode_t m) { return failsNow("fchmod") ? -1 : realCalls.fchmod(fd, m); },
    [](int fd, uid_t u, gid_t g) { return failsNow("fchown") ? -1 : realCalls.fchown(fd, u, g); },
    [](int fd, int o) { return failsNow("flock") ? -1 : realCalls.flock(fd, o); },
    [](const char* a, const char* b) { return failsNow("link") ? -1 : realCalls.link(a, b); },
    [](const char* a, const char* b) { return failsNow("rename") ? -1 : realCalls.rename(a, b); },
    [](const char* p) { return failsNow("unlink") ? -1 : realCalls.unlink(p); },
};

// Every call of the write failing at every step: the write fails and leaves
// both earlier files as they were, modes included, and nothing beside them;
// or, when only the removal of a kept earlier file failed, the write stands
// and the next write removes what was left.
TEST(WriteDirectoryFiles, EachFailingSystemCallLeavesTheEarlierFiles) {
    const std::string text = "HP39AscAA 9 HELLO.0005 Hello";
    for (const char* call : {"open", "write", "fsync", "close", "fchmod", "fchown", "flock", "link", "rename",
                             "unlink"}) {
        for (int n = 1;; ++n) {
            SCOPED_TRACE(std::string(call) + " #" + std::to_string(n));
            TempFolder folder;
            folder.write("HP39DIR.000", "HP39AscAearlier directory");
            folder.write("HP39DIR.CUR", "earlier companion");
            fs::permissions(folder.pathOf("HP39DIR.000"), fs::perms(0640));
            fs::permissions(folder.pathOf("HP39DIR.CUR"), fs::perms(0604));
            fault = {call, n, false, 0};
            writeCalls = faultyCalls;
            const std::string failure = failureOf([&] { writeDirectoryFiles(folder.path(), text); });
            writeCalls = realCalls;
            if (fault.seen < n) {
                break;
            }
            if (failure == "no failure") {
                EXPECT_EQ(folder.read("HP39DIR.000"), text);
                writeDirectoryFiles(folder.path(), text);
            } else {
                const std::string cause = "\" in \"" + folder.path() + "\": input/output error.";
                EXPECT_EQ(failure.substr(0, 13), "Cannot write ");
                EXPECT_EQ(failure.substr(failure.size() - cause.size()), cause);
                EXPECT_EQ(folder.read("HP39DIR.000"), "HP39AscAearlier directory");
                EXPECT_EQ(folder.read("HP39DIR.CUR"), "earlier companion");
                EXPECT_EQ(modeOf(folder.pathOf("HP39DIR.000")), 0640u);
                EXPECT_EQ(modeOf(folder.pathOf("HP39DIR.CUR")), 0604u);
            }
            EXPECT_EQ(folder.entries(), (Names{"HP39DIR.000", "HP39DIR.CUR"}));
        }
    }
    // The second move fails, and so does putting back the first file.
    TempFolder folder;
    folder.write("HP39DIR.CUR", "earlier companion");
    fault = {"rename", 2, true, 0};
    writeCalls = faultyCalls;
    const std::string failure = failureOf([&] { writeDirectoryFiles(folder.path(), text); });
    writeCalls = realCalls;
    EXPECT_NE(failure.find("input/output error, and the earlier \"HP39DIR.CUR\" could not be put back from \"" +
                           folder.pathOf(".HP39DIR.CUR.")),
              std::string::npos)
        << failure;
}

TEST(WriteDirectoryFiles, TwoWritersAtOnceLeaveOneCompleteDirectory) {
    TempFolder folder;
    const std::string mine = "HP39AscA" + std::string(100000, 'm');
    const std::string theirs = "HP39AscA" + std::string(200000, 't');
    const pid_t other = ::fork();
    if (other == 0) {
        try {
            for (int i = 0; i < 30; ++i) {
                writeDirectoryFiles(folder.path(), theirs);
            }
        } catch (const CatalogueError&) {
            ::_exit(1);
        }
        ::_exit(0);
    }
    for (int i = 0; i < 30; ++i) {
        writeDirectoryFiles(folder.path(), mine);
    }
    int status = 0;
    ::waitpid(other, &status, 0);
    EXPECT_EQ(status, 0);
    const auto directory = folder.read("HP39DIR.000");
    EXPECT_TRUE(directory == mine || directory == theirs);
    EXPECT_EQ(folder.entries(), (Names{"HP39DIR.000", "HP39DIR.CUR"}));
}

}  // namespace
