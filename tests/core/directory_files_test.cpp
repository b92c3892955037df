#include "core/directory_files.h"
#include "core/write_calls.h"
#include "tests/support/failure.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <cerrno>
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

// "bytes 640 0": the file's bytes, its permission bits in octal, its group.
std::string described(const TempFolder& folder, const std::string& name) {
    struct stat info {};
    char text[32];
    ::stat(folder.pathOf(name).c_str(), &info);
    std::snprintf(text, sizeof text, " %o %u", info.st_mode & 07777, info.st_gid);
    return folder.read(name).value_or("none") + text;
}

// Through a link to a 0600 file of another group; HP39DIR.CUR new under
// umask 027, then earlier and far too large to read.
TEST(WriteDirectoryFiles, WritesThroughLinksKeepingAttributes) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "Only root may give a file a group it is not in.";
    }
    TempFolder folder;
    fs::create_directory(folder.pathOf("real"));
    folder.write("real/DIR", "earlier");
    fs::permissions(folder.pathOf("real/DIR"), fs::perms(0600));
    ASSERT_EQ(::chown(folder.pathOf("real/DIR").c_str(), 0, 65534), 0);
    fs::create_symlink("real/DIR", folder.pathOf("HP39DIR.000"));
    const mode_t mask = ::umask(027);
    writeDirectoryFiles(folder.path(), "HP39AscA");
    ::umask(mask);
    EXPECT_TRUE(fs::is_symlink(folder.pathOf("HP39DIR.000")));
    EXPECT_EQ(described(folder, "real/DIR") + ", " + described(folder, "HP39DIR.CUR"),
              "HP39AscA 600 65534, HP39AscA A 11 HP39DIR.0004 Root 640 0");
    fs::resize_file(folder.pathOf("HP39DIR.CUR"), std::uintmax_t{8} << 30);
    writeDirectoryFiles(folder.path(), "HP39AscAC 8 NOTE.0003 Rem");
    EXPECT_EQ(folder.read("real/DIR"), "HP39AscAC 8 NOTE.0003 Rem");
    EXPECT_EQ(folder.read("HP39DIR.CUR"), "HP39AscA A 11 HP39DIR.0004 Root");
    EXPECT_EQ(folder.entries(), (Names{"HP39DIR.000", "HP39DIR.CUR", "real"}));
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
    const bool fails =
        fault.call == call && ++fault.seen >= fault.n && (fault.seen == fault.n || fault.onward);
    errno = fails ? EIO : errno;
    return fails;
}

// The real call, or -1 when failsNow says this one fails.
#define FAILING(call) \
    [](auto... a) { return failsNow(#call) ? decltype(realCalls.call(a...)){-1} : realCalls.call(a...); }
// A failed close has still released the descriptor, as on Linux.
int closeFailing(int fd) {
    return failsNow("close") ? (realCalls.close(fd), -1) : realCalls.close(fd);
}
const WriteCalls faultyCalls{FAILING(open),   FAILING(write),  FAILING(fsync), closeFailing,
                             FAILING(fchmod), FAILING(fchown), FAILING(flock), FAILING(link),
                             FAILING(rename), FAILING(unlink)};

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

std::string writeFailing(const Fault& failing, const TempFolder& folder, const std::string& text) {
    fault = failing;
    writeCalls = faultyCalls;
    const std::string failure = failureOf([&] { writeDirectoryFiles(folder.path(), text); });
    writeCalls = realCalls;
    return failure;
}

// Each call failing at each step (a write locks the folder, writes and
// syncs two files, keeps the earlier two, renames, syncs the folder, drops
// the kept two) leaves both earlier files with their modes and no litter;
// a kept file that could not be dropped goes with the next write.
TEST(WriteDirectoryFiles, EachFailingSystemCallLeavesTheEarlierFiles) {
    const std::string text = "HP39AscAA 9 HELLO.0005 Hello";
    std::istringstream table(
        "open 4 write 2 fsync 3 close 4 fchmod 2 fchown 2 flock 1 link 2 rename 2 unlink 2");
    std::string call;
    for (int calls = 0; table >> call >> calls;) {
        int n = 1;
        for (;; ++n) {
            SCOPED_TRACE(std::string(call) + " #" + std::to_string(n));
            TempFolder folder;
            folder.write("HP39DIR.000", "HP39AscAearlier");
            folder.write("HP39DIR.CUR", "earlier");
            fs::permissions(folder.pathOf("HP39DIR.000"), fs::perms(0640));
            const std::string failure = writeFailing({call, n, false, 0}, folder, text);
            if (fault.seen < n) {
                break;
            }
            if (failure == "no failure") {
                writeDirectoryFiles(folder.path(), text);
            } else {
                EXPECT_EQ(failure.substr(failure.find("\" in \"")),
                          "\" in \"" + folder.path() + "\": input/output error.");
                EXPECT_EQ(described(folder, "HP39DIR.000") + ", " + described(folder, "HP39DIR.CUR"),
                          "HP39AscAearlier 640 0, earlier 644 0");
            }
            EXPECT_EQ(folder.entries(), (Names{"HP39DIR.000", "HP39DIR.CUR"}));
        }
        EXPECT_EQ(n - 1, calls) << call;
    }
    TempFolder folder;
    folder.write("HP39DIR.CUR", "earlier");
    const std::string told =
        "Cannot write \"HP39DIR.000\" in \"" + folder.path() + "\": input/output error, and " +
        "the earlier \"HP39DIR.CUR\" could not be put back from \"" + folder.pathOf(".HP39DIR.CUR.");
    EXPECT_EQ(writeFailing({"rename", 2, true, 0}, folder, text).substr(0, told.size()), told);
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
