#include "tests/kermit/strict_client.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

using Files = std::map<std::string, std::string>;

// Polls every 10 ms, for at most ms milliseconds.
bool within(int ms, const std::function<bool()>& condition) {
    for (int waited = 0; !condition(); waited += 10) {
        if (waited >= ms) {
            return false;
        }
        ::poll(nullptr, 0, 10);
    }
    return true;
}

std::string contents(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Every entry of a folder with its bytes (a link's target for a link).
Files filesOf(const fs::path& folder) {
    Files files;
    for (const auto& entry : fs::directory_iterator(folder)) {
        files[entry.path().filename().string()] =
            entry.is_symlink() ? fs::read_symlink(entry.path()).string() : contents(entry.path());
    }
    return files;
}

// A real process with its output in <output>.out and <output>.err; killed
// if the test ends first.
class Process {
public:
    Process(const std::vector<std::string>& argv, const std::string& output, const std::string& env = "") {
        pid_ = ::fork();
        if (pid_ == 0) {
            if (!env.empty()) {
                ::putenv(const_cast<char*>(env.c_str()));
            }
            ::dup2(::open("/dev/null", O_RDONLY), STDIN_FILENO);
            ::dup2(::open((output + ".out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), STDOUT_FILENO);
            ::dup2(::open((output + ".err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), STDERR_FILENO);
            std::vector<char*> args;
            for (const std::string& argument : argv) {
                args.push_back(const_cast<char*>(argument.c_str()));
            }
            args.push_back(nullptr);
            ::execvp(args[0], args.data());
            ::_exit(127);
        }
    }
    ~Process() {
        if (!status_ && (::kill(pid_, SIGTERM) != 0 || !exitWithin(2000))) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    pid_t pid() const { return pid_; }
    // The exit status (-1 for a signal), or nothing while it still runs.
    std::optional<int> exitWithin(int ms) {
        within(ms, [this] {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            return status_.has_value();
        });
        return status_;
    }

private:
    pid_t pid_;
    std::optional<int> status_;
};

const std::string kHello = "HP39AscA 5 Hello\r\nbody\nlast line\n";

std::string allBytes() {
    std::string bytes = "HP39BinB\x05" "Bytes";
    for (int byte = 0; byte < 256; ++byte) {
        bytes += static_cast<char>(byte);
    }
    return bytes;
}

// Runs C-Kermit's own client on the line with these commands and returns
// what it printed.
std::string runKermit(const TempFolder& work, const std::string& commands) {
    std::ofstream(work.pathOf("client.ksc"))
        << "set line " << work.pathOf("B") << "\nset speed 9600\nset carrier-watch off\nset flow-control none\n"
        << "cd " << work.pathOf("received") << "\n" << commands << "exit 0\n";
    Process kermit({"kermit", work.pathOf("client.ksc"), "-Y"}, work.pathOf("client"));
    EXPECT_EQ(kermit.exitWithin(30000), 0);
    return contents(work.pathOf("client.out"));
}

// A folder of two calculator files served on one end of a pseudo-terminal
// pair; the clients talk on the other end, "B".
class Serving : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"folder", "received", "tmp"}) {
            fs::create_directory(work.pathOf(name));
        }
        std::ofstream(folder + "/HELLO.000", std::ios::binary) << kHello;
        std::ofstream(folder + "/BYTES.000", std::ios::binary) << allBytes();
        work.write("outside.txt", "not for the calculator");
        socat.emplace(std::vector<std::string>{"socat", "pty,raw,echo=0,link=" + work.pathOf("A"),
                                               "pty,raw,echo=0,link=" + work.pathOf("B")},
                      work.pathOf("socat"));
        ASSERT_TRUE(within(5000, [this] { return fs::exists(work.pathOf("A")) && fs::exists(work.pathOf("B")); }));
        server.emplace(std::vector<std::string>{QUILLMERE_DIR_PROGRAM, "--serve", work.pathOf("A"), folder},
                       work.pathOf("server"), "TMPDIR=" + work.pathOf("tmp"));
        ASSERT_TRUE(within(5000, [this] { return !contents(work.pathOf("server.out")).empty(); }));
    }

    TempFolder work;
    const std::string folder = work.pathOf("folder");
    std::optional<Process> socat;
    std::optional<Process> server;
};

TEST_F(Serving, EveryClientGetsTheDirectoryAndTheFilesByteForByte) {
    const Files expected = {{"HP39DIR.CUR", "HP39AscA A 11 HP39DIR.0004 Root"},
                            {"HP39DIR.000", "HP39AscAA 9 HELLO.0005 HelloB 9 BYTES.0005 Bytes"},
                            {"HELLO.000", kHello},
                            {"BYTES.000", allBytes()}};
    const auto strict = [&](int blockCheck) {
        StrictClient client(work.pathOf("B"), blockCheck);
        Files got;
        for (const auto& [name, bytes] : expected) {
            got[name] = client.get(name).value_or("(refused)");
        }
        return got;
    };
    const auto cKermit = [&] {
        std::string gets;
        for (const auto& [name, bytes] : expected) {
            gets += "get " + name + "\n";
        }
        runKermit(work, gets + "finish\n");
        return filesOf(work.pathOf("received"));
    };
    const std::vector<std::pair<const char*, std::function<Files()>>> clients = {
        {"strict, block check 1", [&] { return strict(1); }},
        {"strict, block check 3", [&] { return strict(3); }},
        {"C-Kermit, then FINISH", cKermit}};
    std::string report = "Wrote 2 entries to " + folder + "/HP39DIR.000.\n";
    for (const auto& [client, fetch] : clients) {
        SCOPED_TRACE(client);
        EXPECT_EQ(fetch(), expected);
        for (const auto& [name, bytes] : expected) {
            report += "Sent " + name + " (" + std::to_string(bytes.size()) + " bytes)\n";
        }
    }
    EXPECT_EQ(server->exitWithin(2000), 0);
    EXPECT_EQ(contents(work.pathOf("server.out")), report);
}

TEST_F(Serving, RefusesEverythingOutsideTheFolderAndEveryChangeToIt) {
    fs::create_symlink(work.pathOf("outside.txt"), folder + "/LINK.000");
    const Files before = filesOf(folder);
    const std::vector<std::string> requests = {"get ../outside.txt", "get " + work.pathOf("outside.txt"),
                                               "get LINK.000",       "remote host touch HOST.000",
                                               "remote delete HELLO.000", "remote cd ..",
                                               "send " + work.pathOf("outside.txt")};
    std::string commands;
    for (const std::string& request : requests) {
        commands += request + "\necho {" + request + ": \\v(status)}\n";
    }
    const std::string printed = runKermit(work, commands);
    for (const std::string& request : requests) {
        EXPECT_NE(printed.find(request + ": 1\n"), std::string::npos) << request << " was not refused";
    }
    EXPECT_EQ(filesOf(folder), before);
    EXPECT_EQ(filesOf(work.pathOf("received")), Files{});
}

TEST_F(Serving, AMissingFileIsRefusedAndSigtermLeavesNothingBehind) {
    {
        StrictClient client(work.pathOf("B"), 1);
        EXPECT_EQ(client.get("NOPE.000"), std::nullopt);
        EXPECT_EQ(client.get("HELLO.000"), kHello);
    }
    pid_t kermit = 0;
    for (const auto& entry : fs::directory_iterator("/proc")) {
        std::ifstream stat(entry.path() / "stat");
        std::string pid, name, state;
        pid_t parent = 0;
        if (stat >> pid >> name >> state >> parent && parent == server->pid()) {
            kermit = std::stoi(pid);
        }
    }
    ASSERT_NE(kermit, 0);
    const auto lockFiles = [kermit] {
        int held = 0;
        for (const auto& entry : fs::directory_iterator("/var/lock")) {
            pid_t holder = 0;
            held += entry.is_regular_file() && (std::ifstream(entry.path()) >> holder) && holder == kermit;
        }
        return held;
    };
    EXPECT_EQ(lockFiles(), 1);
    ::kill(server->pid(), SIGTERM);
    EXPECT_EQ(server->exitWithin(2000), 0);
    EXPECT_FALSE(fs::exists("/proc/" + std::to_string(kermit)));
    EXPECT_EQ(lockFiles(), 0);
    EXPECT_TRUE(fs::is_empty(work.pathOf("tmp")));
    EXPECT_EQ(filesOf(folder).size(), 4U);
    EXPECT_EQ(contents(work.pathOf("server.err")),
              "quillmere-dir: Refused \"NOPE.000\": it is not a file of \"" + folder + "\".\n");
}

TEST(ServeErrors, NameTheMissingPackageOrTheDevice) {
    TempFolder work;
    fs::create_directory(work.pathOf("folder"));
    std::ofstream(work.pathOf("folder/HELLO.000")) << kHello;
    const struct {
        std::string device, path, message;
    } rows[] = {
        {"/dev/null", "PATH=/nonexistent",
         "Cannot find the program \"kermit\": install the Debian package \"ckermit\"."},
        {"/nonexistent/ttyUSB0", "",
         "Cannot open the serial device \"/nonexistent/ttyUSB0\": no such file or directory."},
    };
    for (const auto& row : rows) {
        Process server({QUILLMERE_DIR_PROGRAM, "--serve", row.device, work.pathOf("folder")}, work.pathOf("server"), row.path);
        EXPECT_EQ(server.exitWithin(10000), 1);
        EXPECT_EQ(contents(work.pathOf("server.err")), "quillmere-dir: " + row.message + "\n");
    }
}

}  // namespace
