#include "core/directory_files.h"
#include "core/write_calls.h"
#include "tests/support/failure.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <thread>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace quillmere;
namespace fs = std::filesystem;

namespace {

using Names = std::vector<std::string>;
const std::string kNew = "HP39AscAA 9 HELLO.0005 Hello";
const std::string kCurrent = "HP39AscA A 11 HP39DIR.0004 Root";

// "bytes 640 65534:65534": the file's bytes, permission bits, owner and group.
std::string described(const TempFolder& folder, const std::string& name) {
    struct stat info {};
    char text[48];
    ::stat(folder.pathOf(name).c_str(), &info);
    std::snprintf(text, sizeof text, " %o %u:%u", info.st_mode & 07777, info.st_uid, info.st_gid);
    return folder.read(name).value_or("none") + text;
}

// A user's folder written by root: through a link to a 0600 file, and a new
// HP39DIR.CUR under umask 027, then earlier and far too large to read. Every
// file stays the user's, so the user's next run is not refused.
TEST(WriteDirectoryFiles, WritesThroughLinksKeepingModeOwnerAndGroup) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "Only root may write for another user.";
    }
    TempFolder folder;
    fs::create_directory(folder.pathOf("real"));
    folder.write("real/DIR", "earlier");
    fs::permissions(folder.pathOf("real/DIR"), fs::perms(0600));
    for (const char* name : {"", "real", "real/DIR"}) {
        ASSERT_EQ(::chown(folder.pathOf(name).c_str(), 65534, 65534), 0);
    }
    fs::create_symlink("real/DIR", folder.pathOf("HP39DIR.000"));
    const mode_t mask = ::umask(027);
    writeDirectoryFiles(folder.path(), "HP39AscA");
    ::umask(mask);
    EXPECT_TRUE(fs::is_symlink(folder.pathOf("HP39DIR.000")));
    EXPECT_EQ(described(folder, "real/DIR") + ", " + described(folder, "HP39DIR.CUR"),
              "HP39AscA 600 65534:65534, " + kCurrent + " 640 65534:65534");
    fs::resize_file(folder.pathOf("HP39DIR.CUR"), std::uintmax_t{8} << 30);
    writeDirectoryFiles(folder.path(), "HP39AscAC 8 NOTE.0003 Rem");
    EXPECT_EQ(folder.read("real/DIR"), "HP39AscAC 8 NOTE.0003 Rem");
    EXPECT_EQ(described(folder, "HP39DIR.CUR"), kCurrent + " 640 65534:65534");
    EXPECT_EQ(folder.entries(), (Names{"HP39DIR.000", "HP39DIR.CUR", "real"}));
}

// A folder from an archive may link its directory files anywhere (here to
// "f.bashrc", a sibling whose name begins like the folder's): only a
// link that stays inside the folder is written through; any other is
// refused, and nothing inside or outside the folder changes.
TEST(WriteDirectoryFiles, WritesNothingThroughALinkOutOfTheFolder) {
    TempFolder work;
    const std::string folder = work.pathOf("f");
    fs::create_directories(folder + "/sub");
    work.write("f.bashrc", "earlier");
    for (const auto& [name, link] :
         std::vector<std::pair<std::string, std::string>>{{"HP39DIR.000", "../f.bashrc"},
                                                          {"HP39DIR.000", "../missing"},
                                                          {"HP39DIR.CUR", work.pathOf("f.bashrc")},
                                                          {"HP39DIR.000", "sub/../../f.bashrc"},
                                                          {"HP39DIR.000", "sub/DIR"},
                                                          {"HP39DIR.000", folder + "/sub/../sub/DIR"}}) {
        SCOPED_TRACE(link);
        work.write("f/sub/DIR", "earlier");
        fs::create_symlink(link, folder + "/" + name);
        const bool inside = link.find("DIR") != std::string::npos;
        EXPECT_EQ(failureOf([&] { writeDirectoryFiles(folder, kNew); }),
                  inside ? "no failure"
                         : "Cannot write \"" + name + "\" in \"" + folder + "\": it is a link to \"" +
                               (link.front() == '/' ? "" : folder + "/") + link + "\", outside the folder.");
        EXPECT_EQ(work.read("f.bashrc"), "earlier");
        EXPECT_FALSE(fs::exists(work.pathOf("missing")));
        EXPECT_EQ(work.read("f/sub/DIR"), inside ? kNew : "earlier");
        EXPECT_EQ(fs::exists(folder + "/HP39DIR.CUR"), inside || name == "HP39DIR.CUR");
        fs::remove(folder + "/HP39DIR.000");
        fs::remove(folder + "/HP39DIR.CUR");
    }
}

// The n-th call of one kind misbehaves: fails with EIO (and with `onward`
// every later one too), or raises a signal just before or just after it.
// Without hard links, link always fails as on FAT.
struct Fault {
    std::string call;
    int n = 0;
    bool onward = false;
    int signalBefore = 0, signalAfter = 0;
    bool hardLinks = true;
    int seen = 0;
} fault;
const WriteCalls realCalls = writeCalls;

bool failsNow(const char* call) {
    if (fault.call == call && ++fault.seen >= fault.n) {
        if (fault.seen == fault.n && fault.signalBefore != 0) {
            std::raise(fault.signalBefore);
        }
        if (fault.seen == fault.n || fault.onward) {
            errno = EIO;
            return fault.signalBefore == 0 && fault.signalAfter == 0;
        }
    }
    if (!fault.hardLinks && std::string(call) == "link") {
        errno = EPERM;
        return true;
    }
    return false;
}

template <typename Result>
Result afterCall(const char* call, Result result) {
    if (fault.call == call && fault.seen == fault.n && fault.signalAfter != 0) {
        std::raise(fault.signalAfter);
    }
    return result;
}

// The real call, or -1 when failsNow says this one fails.
#define FAILING(call)                                                    \
    [](auto... a) {                                                      \
        return failsNow(#call) ? decltype(realCalls.call(a...)){-1}      \
                               : afterCall(#call, realCalls.call(a...)); \
    }
// A failed close has still released the descriptor, as on Linux.
int closeFailing(int fd) {
    return failsNow("close") ? (realCalls.close(fd), -1) : afterCall("close", realCalls.close(fd));
}
const WriteCalls faultyCalls{FAILING(open),   FAILING(write),  FAILING(fsync), closeFailing,
                             FAILING(fchmod), FAILING(fchown), FAILING(flock), FAILING(link),
                             FAILING(rename), FAILING(unlink)};

std::string writeFailing(const Fault& failing, const std::string& folder, const std::string& text) {
    fault = failing;
    writeCalls = faultyCalls;
    const std::string failure = failureOf([&] { writeDirectoryFiles(folder, text); });
    writeCalls = realCalls;
    return failure;
}

// A folder holding the earlier directory files, 0640 and 0644.
void holdEarlierFiles(const TempFolder& folder) {
    folder.write("HP39DIR.000", "HP39AscAearlier");
    folder.write("HP39DIR.CUR", "earlier");
    fs::permissions(folder.pathOf("HP39DIR.000"), fs::perms(0640));
    fs::permissions(folder.pathOf("HP39DIR.CUR"), fs::perms(0644));
}

std::string bothFiles(const TempFolder& folder) {
    return folder.read("HP39DIR.000").value_or("none") + ", " + folder.read("HP39DIR.CUR").value_or("none");
}

// Each call failing at each step (a write locks the folder, writes and
// syncs two files, keeps the earlier two, renames, syncs the folder, drops
// the kept two) either fails the write, leaving both earlier files with
// their modes, or cannot matter ("-": a hard link is replaced by a move, a
// kept file or a descriptor that is let go; rename's last two come only
// without hard links). A stop signal just before or after each call, with
// or without hard links, in a process of its own: the earlier files survive
// and the program ends by the signal, or the new ones stand and it carries
// on to say so. Never any litter.
TEST(WriteDirectoryFiles, EachSystemCallFailingOrSignalledLeavesOneWholeVersion) {
    std::istringstream table(
        "open FFFF write FF fsync FFF close FF-- fchmod FF fchown FF flock F link -- rename FF-- unlink --");
    std::string call, outcomes;
    while (table >> call >> outcomes) {
        for (int n = 1; n <= static_cast<int>(outcomes.size()) + 1; ++n) {
            SCOPED_TRACE(call + " #" + std::to_string(n));
            TempFolder folder;
            holdEarlierFiles(folder);
            const std::string failure = writeFailing({call, n}, folder.path(), kNew);
            if (n > static_cast<int>(outcomes.size())) {
                EXPECT_LT(fault.seen, n) << "more calls than the table knows";
            } else if (outcomes[n - 1] == '-') {
                EXPECT_EQ(failure + ": " + bothFiles(folder), "no failure: " + kNew + ", " + kCurrent);
                writeDirectoryFiles(folder.path(), kNew);
            } else {
                EXPECT_EQ(failure.substr(failure.find("\" in \"")),
                          "\" in \"" + folder.path() + "\": input/output error.");
                EXPECT_EQ(described(folder, "HP39DIR.000").substr(0, 19) + ", " +
                              described(folder, "HP39DIR.CUR").substr(0, 11),
                          "HP39AscAearlier 640, earlier 644");
            }
            EXPECT_EQ(folder.entries(), (Names{"HP39DIR.000", "HP39DIR.CUR"}));
            for (const int variant : {0, 1, 2, 3}) {
                const bool before = variant & 1, hardLinks = variant & 2;
                SCOPED_TRACE((before ? "signal before" : "signal after") +
                             std::string(hardLinks ? "" : ", without hard links"));
                holdEarlierFiles(folder);
                const pid_t child = ::fork();
                if (child == 0) {
                    writeFailing({call, n, false, before ? SIGTERM : 0, before ? 0 : SIGTERM, hardLinks},
                                 folder.path(), kNew);
                    ::_exit(0);
                }
                int status = 0;
                ::waitpid(child, &status, 0);
                const bool ended = WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM;
                EXPECT_TRUE(ended || (WIFEXITED(status) && WEXITSTATUS(status) == 0)) << status;
                EXPECT_EQ(bothFiles(folder), ended ? "HP39AscAearlier, earlier" : kNew + ", " + kCurrent);
                EXPECT_EQ(folder.entries(), (Names{"HP39DIR.000", "HP39DIR.CUR"}));
            }
        }
    }
    TempFolder folder;
    folder.write("HP39DIR.CUR", "earlier");
    const std::string told =
        "Cannot write \"HP39DIR.000\" in \"" + folder.path() + "\": input/output error, and " +
        "the earlier \"HP39DIR.CUR\" could not be put back from \"" + folder.pathOf(".HP39DIR.CUR.");
    EXPECT_EQ(writeFailing({"rename", 2, true}, folder.path(), kNew).substr(0, told.size()), told);
}

// A run killed outright after moving the earlier file aside, then a run
// that fails: the earlier file is put back, not deleted with the litter.
TEST(WriteDirectoryFiles, AKilledRunsMovedAsideFileIsPutBack) {
    TempFolder folder;
    folder.write(".HP39DIR.000.0badf00d.old", "HP39AscAearlier");
    folder.write(".HP39DIR.CUR.0badf00d.tmp", "half");
    EXPECT_NE(writeFailing({"write", 1}, folder.path(), kNew), "no failure");
    EXPECT_EQ(folder.read("HP39DIR.000"), "HP39AscAearlier");
    EXPECT_EQ(folder.entries(), Names{"HP39DIR.000"});
}

TEST(WriteDirectoryFiles, RefusesAFileTheUserMayNotWrite) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "Only root can face a file of root's as another user.";
    }
    TempFolder folder;
    folder.write("HP39DIR.000", "HP39AscAearlier");
    fs::permissions(folder.path(), fs::perms(0777));
    const auto write = [&] { return failureOf([&] { writeDirectoryFiles(folder.path(), "HP39AscA"); }); };
    const std::string refused =
        "Cannot write \"HP39DIR.000\" in \"" + folder.path() + "\": the file is read-only.";
    const pid_t child = ::fork();
    if (child == 0) {  // "nobody", facing root's 0644 file in a shared folder
        ::_exit(::setgid(65534) == 0 && ::setuid(65534) == 0 && write() == refused ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_EQ(status, 0);
    fs::permissions(folder.pathOf("HP39DIR.000"), fs::perms(0444));  // root, whom the owner's write bit stops
    EXPECT_EQ(write(), refused);
    EXPECT_EQ(folder.entries(), Names{"HP39DIR.000"});
    EXPECT_EQ(folder.read("HP39DIR.000"), "HP39AscAearlier");
}

TEST(WriteDirectoryFiles, TwoWritersAtOnceLeaveOneCompleteDirectory) {
    TempFolder folder;
    const auto writes = [&](char fill) {
        for (int i = 0; i < 30; ++i) {
            writeDirectoryFiles(folder.path(), "HP39AscA" + std::string(100000, fill));
        }
    };
    std::thread other(writes, 't');
    writes('m');
    other.join();
    const std::string directory = folder.read("HP39DIR.000").value_or("?");
    EXPECT_EQ(directory, "HP39AscA" + std::string(100000, directory.back()));
    EXPECT_EQ(folder.entries(), (Names{"HP39DIR.000", "HP39DIR.CUR"}));
}

}  // namespace
