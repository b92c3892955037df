#include "tests/support/line_lock.h"
#include "tests/support/strict_client.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <numeric>
#include <optional>
#include <stdexcept>

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

// Any bytes as one word of a shell line.
std::string quoted(const std::string& text) {
    std::string word = "'";
    for (const char c : text) {
        word += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return word + "'";
}

// Starts a shell line as a real process writing to <output>.out and <output>.err.
pid_t start(const std::string& command, const std::string& output) {
    const std::string line = command + " </dev/null >" + output + ".out 2>" + output + ".err";
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::execl("/bin/sh", "sh", "-c", line.c_str(), nullptr);
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

// Two calculator files in "folder", a pseudo-terminal pair whose end "A" the companion serves and
// whose end "B" the clients use, and "cwd", where the companion runs.
class Serving : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"folder", "received", "tmp", "cwd"}) {
            fs::create_directory(work.pathOf(name));
        }
        work.write("folder/HELLO.000", kHello);
        work.write("folder/Bytes.000", allBytes);
        work.write("outside.txt", "not for the calculator");
        // What the user's own initialisation file says must not change the session.
        work.write(".kermrc", "exit 9\n");
        socat =
            start("exec socat pty,raw,echo=0,link=" + work.pathOf("A") + " pty,raw,echo=0,link=" + clientSide,
                  work.pathOf("socat"));
        ASSERT_TRUE(within(5000, [this] { return fs::exists(work.pathOf("A")) && fs::exists(clientSide); }));
    }
    void TearDown() override {
        stop(server);
        stop(socat);
    }

    // Serves work's folder (any bytes) on work's device, a link to "A", until it says what it did.
    void serve(const std::string& served = "folder", const std::string& device = "A",
               const std::string& options = "") {
        if (device != "A") {
            fs::create_symlink(work.pathOf("A"), work.pathOf(device));
        }
        server = start("cd " + work.pathOf("cwd") + " && exec env HOME=" + work.path() +
                           " QUILLMERE_LOCK_FOLDER=" + quoted(work.path()) + " TMPDIR=" + work.pathOf("tmp") +
                           " " QUILLMERE_DIR_PROGRAM " --serve" + options + " " +
                           quoted(work.pathOf(device)) + " " + quoted(work.pathOf(served)),
                       work.pathOf("serve"));
        ASSERT_TRUE(within(5000, [this] { return !work.read("serve.out").value_or("").empty(); }));
    }

    // Runs C-Kermit's own client on "B" with these commands; what it printed.
    std::string cKermit(const std::string& commands) {
        work.write("client.ksc", "set carrier-watch off\nset flow-control none\nset line " + clientSide +
                                     "\ncd " + work.pathOf("received") + "\n" + commands + "exit 0\n");
        const pid_t kermit = start("exec kermit " + work.pathOf("client.ksc") + " -Y", work.pathOf("client"));
        EXPECT_EQ(exitWithin(kermit, 30000), 0);
        stop(kermit);
        return work.read("client.out").value_or("");
    }

    TempFolder work;
    const std::string folder = work.pathOf("folder");
    const std::string clientSide = work.pathOf("B");
    const std::string allBytes = [] {
        std::string bytes = std::string("HP39BinB\5Bytes") + std::string(256, '\0');
        std::iota(bytes.begin() + 14, bytes.end(), '\0');
        return bytes;
    }();
    const Files expected = {{"HP39DIR.CUR", "HP39AscA A 11 HP39DIR.0004 Root"},
                            {"HP39DIR.000", "HP39AscAA 9 HELLO.0005 HelloB 9 Bytes.0005 Bytes"},
                            {"HELLO.000", kHello},
                            {"Bytes.000", allBytes}};
    pid_t socat = 0;
    pid_t server = 0;
};

// Whatever an earlier client asked (text mode, a cancelled send, requests for what lies outside the
// folder), a calculator gets the same bytes; each refusal and failure is one line, and nothing changes.
TEST_F(Serving, EveryClientGetsTheFilesByteForByteAndNothingElse) {
    fs::create_symlink(work.pathOf("outside.txt"), folder + "/.LINK.000");
    serve();
    const std::string outside = work.pathOf("outside.txt"),
                      notOurs = "\": it is not a file of \"" + folder + "\".";
    const std::pair<std::string, std::string> refusals[] = {
        {"get ../outside.txt", "Refused \"../outside.txt" + notOurs},
        {"get " + outside, "Refused \"" + outside + notOurs},
        {"get .LINK.000", "Refused \".LINK.000" + notOurs},
        {"remote host touch HOST.000", "Refused a request: REMOTE HOST disabled."},
        {"remote delete HELLO.000", "Refused a request: REMOTE DELETE disabled."},
        {"remote cd ..", "Refused a request: REMOTE CD disabled."},
        {"remote rename HELLO.000 GONE.000", "Refused a request: REMOTE RENAME disabled."},
        {"remote set file collision overwrite", "Refused a request: REMOTE SET disabled."},
        {"send " + outside, "Refused a request: SEND disabled."}};
    std::string gets, sent, refused, commands, refusedOnce;
    for (const auto& [name, bytes] : expected) {
        gets += "get NOPE.000\nget " + name + "\n";
        sent += "Sent " + name + " (" + std::to_string(bytes.size()) + " bytes)\n";
        refused += "quillmere-dir: Refused \"NOPE.000" + notOurs + "\n";
    }
    for (const auto& [request, message] : refusals) {
        commands += request + "\necho {" + request + ": \\v(status)}\n";
        refusedOnce += "quillmere-dir: " + message + "\n";
    }
    const int line = ::open(clientSide.c_str(), O_RDWR | O_NOCTTY);
    std::string printed;
    for (const int round : {1, 3, 0}) {
        SCOPED_TRACE(round);
        for (const auto& [name, bytes] : expected) {
            EXPECT_EQ(strictGet(line, "NOPE.000", round == 3 ? 3 : 1), std::nullopt);
            EXPECT_EQ(strictGet(line, name, round == 3 ? 3 : 1), bytes) << name;
        }
        if (round == 3) {
            EXPECT_EQ(strictGet(line, "Bytes.000", 1, true), std::nullopt);
            printed = cKermit(gets + "get /text /as-name:TEXT HELLO.000\n" + commands);
        }
    }
    ::close(line);
    for (const auto& [request, message] : refusals) {
        EXPECT_NE(printed.find(request + ": 1\n"), std::string::npos) << request << " was not refused";
    }
    Files received = filesOf(work, "received"), folderNow = expected;
    EXPECT_EQ(received.erase("TEXT"), 1U);
    EXPECT_EQ(received, expected);
    folderNow[".LINK.000"] = "not for the calculator";
    EXPECT_EQ(filesOf(work, "folder"), folderNow);
    // Kermit logs the last file a moment after the client has it whole.
    const std::string out = "Wrote 2 entries to " + folder + "/HP39DIR.000.\n" + sent + sent + sent +
                            "Sent HELLO.000 (33 bytes)\n" + sent;
    within(5000, [&] { return work.read("serve.out") == out; });
    EXPECT_EQ(work.read("serve.out"), out);
    EXPECT_EQ(work.read("serve.err"),
              refused + refused +
                  "quillmere-dir: Could not send \"Bytes.000\": the client cancelled it: Cancelled.\n" +
                  refused + refusedOnce + refused);
}

// With --receive, a whole file sent under a bare name is stored byte for byte and listed last, an
// earlier one of that name kept under a hidden name; any other name, or a file cut short, leaves
// nothing, nor does what a killed session left in the hidden folder files arrive in.
TEST_F(Serving, TakesWholeFilesUnderBareNamesOnly) {
    fs::create_directories(folder + "/.quillmere-receiving/left");
    serve("folder", "A", " --receive");
    const std::string sent = "HP39AscA 3 New\r\n" + allBytes;
    const std::string names[] = {"NEW.000",     "HELLO.000", "HELLO.000",  ".HIDE.000",
                                 "hp39dir.000", "sub/X.000", "sub\\X.000", "CUT.000"};
    const int line = ::open(clientSide.c_str(), O_RDWR | O_NOCTTY);
    for (const std::string& name : names) {
        // Sent again once the first is in: arriving while its namesake is
        // still being taken in, Kermit would refuse it.
        EXPECT_TRUE(&name != &names[2] || within(5000, [&] {
            return work.read("serve.out").value_or("").find("~1~") != std::string::npos;
        }));
        // What the calculator sees: only kermit's own refusal and a cancel fail there.
        EXPECT_EQ(strictSend(line, name, sent, name == "CUT.000"), name != "CUT.000" && name != "sub/X.000");
    }
    // A file kept whose directory cannot be written is told too. Kermit
    // logs each file a moment after the client hears it arrived.
    EXPECT_TRUE(
        within(5000, [&] { return work.read("serve.out").value_or("").find("~2~") != std::string::npos; }));
    fs::remove(folder + "/HP39DIR.CUR");
    fs::create_directory(folder + "/HP39DIR.CUR");
    EXPECT_TRUE(strictSend(line, "LATE.000", sent));
    ::close(line);
    // Each name not kept is told, once.
    std::string err;
    EXPECT_TRUE(within(5000, [&] {
        err = work.read("serve.err").value_or("");
        return std::count(err.begin(), err.end(), '\n') == 6;
    })) << err;
    EXPECT_NE(err.find("quillmere-dir: Cannot write \"HP39DIR.CUR\" in \"" + folder + "\": "),
              std::string::npos);
    // A backslash in a name is shown doubled, as every name is quoted.
    for (const char* shown : {".HIDE.000", "hp39dir.000", "sub/X.000", "sub\\\\X.000", "CUT.000"}) {
        EXPECT_NE(err.find("\"" + std::string(shown) + "\" from the calculator: "), std::string::npos)
            << shown;
    }
    stop(server);
    Files now = expected;
    now["NEW.000"] = now["HELLO.000"] = now["LATE.000"] = sent;
    now["HP39DIR.CUR"] = "";
    now[".HELLO.000.~1~"] = kHello;
    now[".HELLO.000.~2~"] = sent;
    now["HP39DIR.000"] = "HP39AscAA 9 HELLO.0003 NewA 7 NEW.0003 NewB 9 Bytes.0005 Bytes";
    EXPECT_EQ(filesOf(work, "folder"), now);
    EXPECT_EQ(work.read("serve.out"),
              "Wrote 2 entries to " + folder +
                  "/HP39DIR.000.\nReceived NEW.000 (286 bytes)\nReceived HELLO.000 (286 "
                  "bytes); the earlier one is kept as .HELLO.000.~1~\nReceived HELLO.000 (286 bytes); the "
                  "earlier one is "
                  "kept as .HELLO.000.~2~\nReceived LATE.000 (286 bytes)\n");
}

// Folder and device names that were once read as Kermit commands: each is served as exactly that
// folder on exactly that device, and nothing runs.
TEST_F(Serving, HostileNamesAreOnlyNames) {
    fs::create_directory(work.pathOf("sib"));
    work.write("sib/SIB.000", "HP39AscA 3 Sib\r\n");
    work.write("PARENT.000", "HP39AscA 6 Parent\r\n");
    const std::pair<std::string, std::string> names[] = {
        {"q}\n!touch PWNED\n{", "pc\n!touch PWNED2"},
        {"} ;", "dv ;x"},
        {"sib} ;z", "d #1 {x}"},
        {"a #b\\c%d$HOME\"'", "\\$PATH \"x'"},
        {"bad\xff\xfe é", "\x01\xff"},
    };
    for (const auto& [served, device] : names) {
        SCOPED_TRACE(served);
        fs::create_directory(work.pathOf(served));
        work.write(served + "/OWN.000", "HP39AscA 3 Own\r\n" + served);
        serve(served, device);
        const int line = ::open(clientSide.c_str(), O_RDWR | O_NOCTTY);
        EXPECT_EQ(strictGet(line, "OWN.000", 1), "HP39AscA 3 Own\r\n" + served);
        EXPECT_EQ(strictGet(line, "SIB.000", 1), std::nullopt);
        EXPECT_EQ(strictGet(line, "PARENT.000", 1), std::nullopt);
        ::close(line);
        stop(server);
        fs::remove(work.pathOf(device));
    }
    for (const auto& entry : fs::recursive_directory_iterator(work.path())) {
        EXPECT_NE(entry.path().filename().string().rfind("PWNED", 0), 0U) << entry.path();
    }
}

// Each way a session can end: told, with its exit status; neither Kermit nor a lock file stays. A
// directory that already lists the files is served as it is, untouched.
TEST_F(Serving, EachEndIsToldAndLeavesNothingBehind) {
    const auto old = fs::file_time_type::clock::now() - std::chrono::hours(48);
    const std::string device = work.pathOf("A");
    const struct {
        std::function<void(pid_t kermit)> end;
        int status;
        std::string lastError;
    } cases[] = {
        {[&](pid_t) { cKermit("finish\n"); }, 0, ""},
        {[&](pid_t) { ::kill(server, SIGTERM); }, 0, ""},
        {[&](pid_t) { ::kill(server, SIGHUP); }, 0, ""},
        {[&](pid_t) { ::kill(server, SIGINT); }, 0, ""},
        {[&](pid_t) { stop(socat); }, 1,
         "quillmere-dir: The line to the calculator on \"" + device +
             "\" was lost before it ended the session.\n"},
        {[&](pid_t kermit) { ::kill(kermit, SIGKILL); }, 1,
         "quillmere-dir: kermit ended unexpectedly (signal 9) while serving on \"" + device + "\".\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lastError);
        for (const char* name : {"HP39DIR.000", "HP39DIR.CUR"}) {
            work.write(std::string("folder/") + name, expected.at(name));
            fs::last_write_time(folder + "/" + name, old);
        }
        // Each pseudo-terminal pair made anew may get another number. A lock
        // left by a program that has ended does not keep the line.
        const std::string lock = lockFileOf(work.path(), device);
        std::ofstream(lock) << "  99999999\n";
        serve();
        pid_t kermit = 0;
        ASSERT_TRUE(within(5000, [&] {
            const std::string id = std::to_string(server);
            return bool(std::ifstream("/proc/" + id + "/task/" + id + "/children") >> kermit);
        }));
        EXPECT_EQ(lockHolder(lock), server);
        const int line = ::open(clientSide.c_str(), O_RDWR | O_NOCTTY);
        EXPECT_EQ(strictGet(line, "HELLO.000", 1), kHello);
        ::close(line);
        c.end(kermit);
        EXPECT_EQ(exitWithin(server, 5000), c.status);
        EXPECT_TRUE(within(2000, [&] { return !fs::exists("/proc/" + std::to_string(kermit)); }));
        EXPECT_NE(lockHolder(lock), server);
        EXPECT_EQ(
            work.read("serve.out"),
            "HP39DIR.000 already lists the 2 entries; serving it as it is.\nSent HELLO.000 (33 bytes)\n");
        EXPECT_EQ(work.read("serve.err"), c.lastError);
        EXPECT_EQ(fs::last_write_time(folder + "/HP39DIR.000"), old);
        EXPECT_EQ(filesOf(work, "folder"), expected);
        EXPECT_TRUE(fs::is_empty(work.pathOf("tmp")));
        if (!fs::exists(clientSide)) {
            SetUp();
        }
    }
}

}  // namespace
