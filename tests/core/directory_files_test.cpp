#include "core/directory_files.h"
#include "core/write_calls.h"
#include "tests/support/failure.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <functional>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace quillmere;
namespace fs = std::filesystem;

namespace {

using Names = std::vector<std::string>;

// "640 0": the permission bits in octal and the group.
std::string modeAndGroup(const std::string& path) {
    struct stat info {};
    char text[32] = "none";
    if (::stat(path.c_str(), &info) == 0) {
        std::snprintf(text, sizeof text, "%o %u", info.st_mode & 07777, info.st_gid);
    }
    return text;
}

// A fork exiting 0 when body() holds, run as "nobody" with asNobody.
bool inChild(bool asNobody, const std::function<bool()>& body) {
    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit((!asNobody || (::setgid(65534) == 0 && ::setuid(65534) == 0)) && body() ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return status == 0;
}

// Through a link to a 0600 file of another group; HP39DIR.CUR new under
// umask 027, then earlier and far too large to read.
TEST(WriteDirectoryFiles, WritesThroughLinksKeepingAttributes) {
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
    EXPECT_EQ(folder.read("real/DIR"), "HP39AscA");
    EXPECT_EQ(folder.read("HP39DIR.CUR"), "HP39AscA A 11 HP39DIR.0004 Root");
    EXPECT_EQ(modeAndGroup(folder.pathOf("real/DIR")), "600 65534");
    EXPECT_EQ(modeAndGroup(folder.pathOf("HP39DIR.CUR")), "640 0");
    fs::resize_file(folder.pathOf("HP39DIR.CUR"), std::uintmax_t{8} << 30);
    writeDirectoryFiles(folder.path(), "HP39AscAC 8 NOTE.0003 Rem");
    EXPECT_EQ(folder.read("real/DIR"), "HP39AscAC 8 NOTE.0003 Rem");
    EXPECT_EQ(folder.read("HP39DIR.CUR"), "HP39AscA A 11 HP39DIR.0004 Root");
    EXPECT_EQ(folder.entries(), (Names{"HP39DIR.000", "HP39DIR.CUR", "real"}));
}

// Made 0444, a folder in its place, or root's 0644 file while "nobody"
// writes into the shared folder.
TEST(WriteDirectoryFiles, RefusesWhatTheUserMayNotReplace) {
    for (const auto& [file, how] : {std::pair<std::string, std::string>{"HP39DIR.000", "0444"},
                                    {"HP39DIR.CUR", "folder"}, {"HP39DIR.000", "nobody"}}) {
        SCOPED_TRACE(how);
        TempFolder folder;
        folder.write("HP39DIR.000", "HP39AscAearlier");
        how == "folder" ? void(fs::create_directory(folder.pathOf(file))) : folder.write("HP39DIR.CUR", "earlier");
        fs::permissions(folder.path(), fs::perms(0777));
        fs::permissions(folder.pathOf("HP39DIR.000"), fs::perms(how == "0444" ? 0444 : 0644));
        const std::string expected = "Cannot write \"" + file + "\" in \"" + folder.path() + "\": " +
                                     (how == "folder" ? "it exists and is not a regular file" : "the file is read-only") + ".";
        EXPECT_TRUE(inChild(how == "nobody", [&] {
            return failureOf([&] { writeDirectoryFiles(folder.path(), "HP39AscA"); }) == expected;
        }));
        EXPECT_EQ(folder.read("HP39DIR.000"), "HP39AscAearlier");
        EXPECT_EQ(folder.entries(), (Names{"HP39DIR.000", "HP39DIR.CUR"}));
    }
}

// The n-th call of one kind fails with EIO, and with `onward` every later one.
struct Fault { std::string call; int n; bool onward; int seen; } fault;
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
// a failed removal of a kept file leaves it to the next write.
TEST(WriteDirectoryFiles, EachFailingSystemCallLeavesTheEarlierFiles) {
    const std::string text = "HP39AscAA 9 HELLO.0005 Hello";
    for (const auto& [call, calls] : {std::pair{"open", 4}, {"write", 2}, {"fsync", 3}, {"close", 4}, {"fchmod", 2},
                                      {"fchown", 2}, {"flock", 1}, {"link", 2}, {"rename", 2}, {"unlink", 2}}) {
        int n = 1;
        for (;; ++n) {
            SCOPED_TRACE(std::string(call) + " #" + std::to_string(n));
            TempFolder folder;
            folder.write("HP39DIR.000", "HP39AscAearlier");
            folder.write("HP39DIR.CUR", "earlier");
            fs::permissions(folder.pathOf("HP39DIR.000"), fs::perms(0640));
            fs::permissions(folder.pathOf("HP39DIR.CUR"), fs::perms(0604));
            const std::string failure = writeFailing({call, n, false, 0}, folder, text);
            if (fault.seen < n) {
                break;
            }
            if (failure == "no failure") {
                EXPECT_EQ(folder.read("HP39DIR.000"), text);
                writeDirectoryFiles(folder.path(), text);
            } else {
                EXPECT_EQ(failure.substr(failure.find("\" in \"")), "\" in \"" + folder.path() + "\": input/output error.");
                EXPECT_EQ(folder.read("HP39DIR.000"), "HP39AscAearlier");
                EXPECT_EQ(folder.read("HP39DIR.CUR"), "earlier");
                EXPECT_EQ(modeAndGroup(folder.pathOf("HP39DIR.000")) + ", " + modeAndGroup(folder.pathOf("HP39DIR.CUR")),
                          "640 0, 604 0");
            }
            EXPECT_EQ(folder.entries(), (Names{"HP39DIR.000", "HP39DIR.CUR"}));
        }
        EXPECT_EQ(n - 1, calls) << call;
    }
    TempFolder folder;
    folder.write("HP39DIR.CUR", "earlier");
    const std::string failure = writeFailing({"rename", 2, true, 0}, folder, text);
    EXPECT_NE(failure.find("input/output error, and the earlier \"HP39DIR.CUR\" could not be put back from \"" +
                           folder.pathOf(".HP39DIR.CUR.")),
              std::string::npos)
        << failure;
}

TEST(WriteDirectoryFiles, TwoWritersAtOnceLeaveOneCompleteDirectory) {
    TempFolder folder;
    const auto writes = [&](char fill) {
        for (int i = 0; i < 30; ++i) {
            writeDirectoryFiles(folder.path(), "HP39AscA" + std::string(100000, fill));
        }
    };
    const pid_t other = ::fork();
    if (other == 0) {
        ::_exit(failureOf([&] { writes('t'); }) == "no failure" ? 0 : 1);
    }
    writes('m');
    int status = 0;
    ::waitpid(other, &status, 0);
    EXPECT_EQ(status, 0);
    const std::string directory = folder.read("HP39DIR.000").value_or("");
    EXPECT_TRUE(directory == "HP39AscA" + std::string(100000, 'm') || directory == "HP39AscA" + std::string(100000, 't'));
    EXPECT_EQ(folder.entries(), (Names{"HP39DIR.000", "HP39DIR.CUR"}));
}

}  // namespace
