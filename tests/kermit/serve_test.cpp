#include "tests/kermit/strict_client.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <numeric>
#include <tuple>

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

using Files = std::map<std::string, std::string>;

bool within(int ms, const std::function<bool()>& condition) {
    for (int waited = 0; !condition(); waited += 10) {
        if (waited >= ms) {
            return false;
        }
        ::poll(nullptr, 0, 10);
    }
    return true;
}

Files filesOf(const TempFolder& work, const std::string& folder) {
    Files files;
    for (const auto& entry : fs::directory_iterator(work.pathOf(folder))) {
        const std::string name = entry.path().filename().string();
        files[name] = work.read(folder + "/" + name).value_or("");
    }
    return files;
}

// Starts a real process writing to <output>.out and <output>.err.
pid_t start(std::vector<std::string> argv, const std::string& output) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(::open("/dev/null", O_RDONLY), STDIN_FILENO);
        ::dup2(::open((output + ".out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), STDOUT_FILENO);
        ::dup2(::open((output + ".err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), STDERR_FILENO);
        std::vector<char*> args(argv.size() + 1);
        std::transform(argv.begin(), argv.end(), args.begin(), [](auto& word) { return word.data(); });
        ::execvp(args[0], args.data());
        ::_exit(127);
    }
    return pid;
}

// The exit status (-1 for a signal), or nothing while it still runs.
std::optional<int> exitWithin(pid_t pid, int ms) {
    int status = 0;
    const bool ended = within(ms, [&] { return ::waitpid(pid, &status, WNOHANG) == pid; });
    return ended ? std::optional<int>(WIFEXITED(status) ? WEXITSTATUS(status) : -1) : std::nullopt;
}

// Asks a process to end and makes it; 0 (never started) is left alone, as kill(0) would reach us.
void stop(pid_t pid) {
    if (pid > 0 && ::kill(pid, SIGTERM) == 0 && !exitWithin(pid, 2000)) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    }
}

const std::string kHello = "HP39AscA 5 Hello\r\nbody\nlast line\n";

// A folder of two calculator files served on end "A" of a pseudo-terminal pair; clients use end "B".
class Serving : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"folder", "received", "tmp"}) {
            fs::create_directory(work.pathOf(name));
        }
        std::iota(allBytes.begin() + 14, allBytes.end(), '\0');
        work.write("folder/HELLO.000", kHello);
        work.write("folder/BYTES.000", allBytes);
        work.write("outside.txt", "not for the calculator");
        socat = start({"socat", "pty,raw,echo=0,link=" + device, "pty,raw,echo=0,link=" + clientSide},
                      work.pathOf("socat"));
        ASSERT_TRUE(within(5000, [this] { return fs::exists(device) && fs::exists(clientSide); }));
        const std::string tmp = "TMPDIR=" + work.pathOf("tmp");
        server = start({"env", tmp, QUILLMERE_DIR_PROGRAM, "--serve", device, folder}, work.pathOf("serve"));
        ASSERT_TRUE(within(5000, [this] { return !work.read("serve.out").value_or("").empty(); }));
    }
    void TearDown() override {
        stop(server);
        stop(socat);
    }

    // Runs C-Kermit's own client on "B" with these commands; what it printed.
    std::string cKermit(const std::string& commands) {
        work.write("client.ksc", "set carrier-watch off\nset flow-control none\nset line " + clientSide +
                                     "\ncd " + work.pathOf("received") + "\n" + commands + "exit 0\n");
        const pid_t kermit = start({"kermit", work.pathOf("client.ksc"), "-Y"}, work.pathOf("client"));
        EXPECT_EQ(exitWithin(kermit, 30000), 0);
        stop(kermit);
        return work.read("client.out").value_or("");
    }

    TempFolder work;
    const std::string folder = work.pathOf("folder");
    const std::string device = work.pathOf("A");
    const std::string clientSide = work.pathOf("B");
    std::string allBytes = std::string("HP39BinB\5Bytes") + std::string(256, '\0');
    pid_t socat = 0;
    pid_t server = 0;
};

TEST_F(Serving, EveryClientGetsTheFilesByteForByteAndSigtermLeavesNothingBehind) {
    const Files expected = {{"HP39DIR.CUR", "HP39AscA A 11 HP39DIR.0004 Root"},
                            {"HP39DIR.000", "HP39AscAA 9 HELLO.0005 HelloB 9 BYTES.0005 Bytes"},
                            {"HELLO.000", kHello},
                            {"BYTES.000", allBytes}};
    for (const int blockCheck : {1, 3}) {
        SCOPED_TRACE(blockCheck);
        const int line = ::open(clientSide.c_str(), O_RDWR | O_NOCTTY);
        for (const auto& [name, bytes] : expected) {
            EXPECT_EQ(strictGet(line, "NOPE.000", blockCheck), std::nullopt);
            EXPECT_EQ(strictGet(line, name, blockCheck), bytes) << name;
        }
        ::close(line);
    }
    std::string gets, sent, refused;
    for (const auto& [name, bytes] : expected) {
        gets += "get NOPE.000\nget " + name + "\n";
        sent += "Sent " + name + " (" + std::to_string(bytes.size()) + " bytes)\n";
        refused += "quillmere-dir: Refused \"NOPE.000\": it is not a file of \"" + folder + "\".\n";
    }
    cKermit(gets);
    EXPECT_EQ(filesOf(work, "received"), expected);
    const fs::path lock = "/var/lock/LCK.." + fs::read_symlink(device).filename().string();
    pid_t kermit = 0;
    ASSERT_TRUE(std::ifstream(lock) >> kermit);
    ::kill(server, SIGTERM);
    EXPECT_EQ(exitWithin(server, 2000), 0);
    EXPECT_FALSE(fs::exists("/proc/" + std::to_string(kermit)));
    EXPECT_FALSE(fs::exists(lock));
    EXPECT_TRUE(fs::is_empty(work.pathOf("tmp")));
    EXPECT_EQ(filesOf(work, "folder").size(), 4U);
    const std::string wrote = "Wrote 2 entries to " + folder + "/HP39DIR.000.\n";
    EXPECT_EQ(work.read("serve.out"), wrote + sent + sent + sent);
    EXPECT_EQ(work.read("serve.err"), refused + refused + refused);
}

TEST_F(Serving, RefusesEverythingOutsideTheFolderEndsOnFinishAndNamesWhatIsMissing) {
    fs::create_symlink(work.pathOf("outside.txt"), folder + "/LINK.000");
    const Files before = filesOf(work, "folder");
    const std::string requests[] = {"get ../outside.txt",
                                    "get " + work.pathOf("outside.txt"),
                                    "get LINK.000",
                                    "remote host touch HOST.000",
                                    "remote delete HELLO.000",
                                    "remote cd ..",
                                    "send " + work.pathOf("outside.txt")};
    std::string commands;
    for (const std::string& request : requests) {
        commands += request + "\necho {" + request + ": \\v(status)}\n";
    }
    const std::string printed = cKermit(commands + "finish\n");
    for (const std::string& request : requests) {
        EXPECT_NE(printed.find(request + ": 1\n"), std::string::npos) << request << " was not refused";
    }
    EXPECT_EQ(filesOf(work, "folder"), before);
    EXPECT_EQ(filesOf(work, "received"), Files{});
    EXPECT_EQ(exitWithin(server, 2000), 0);
    const std::tuple<std::string, std::string, std::string> rows[] = {
        {"PATH=/nonexistent", "/dev/null",
         "Cannot find the program \"kermit\": install the Debian package \"ckermit\"."},
        {"PATH=/usr/bin:/bin", "/nonexistent/ttyUSB0",
         "Cannot open the serial device \"/nonexistent/ttyUSB0\": no such file or directory."},
    };
    for (const auto& [env, tty, message] : rows) {
        const pid_t failing =
            start({"env", env, QUILLMERE_DIR_PROGRAM, "--serve", tty, folder}, work.pathOf("failing"));
        EXPECT_EQ(exitWithin(failing, 10000), 1);
        stop(failing);
        EXPECT_EQ(work.read("failing.err"), "quillmere-dir: " + message + "\n");
    }
}

}  // namespace
