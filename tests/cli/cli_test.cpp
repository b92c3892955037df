#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct ProcessResult {
    int status;  // the exit status, or 128 + the signal that ended it
    std::string out;
    std::string err;
};

enum class Output { Captured, Closed, Full, BrokenPipe };

struct Launch {
    Output output = Output::Captured;
    std::vector<std::string> environment;
    std::function<void(pid_t)> meanwhile;  // runs in the test while the companion runs
};

// Runs the companion as a real process, its output caught in files.
ProcessResult run(const std::vector<std::string>& arguments, const Launch& launch = {}) {
    TempFolder capture;
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0) {
        return {-1, "", "no pipe"};
    }
    ::close(pipeEnds[0]);  // a reader gone before the first byte
    const pid_t child = ::fork();
    if (child == 0) {
        const int out = launch.output == Output::Full         ? ::open("/dev/full", O_WRONLY)
                        : launch.output == Output::BrokenPipe ? pipeEnds[1]
                                                              : ::open(capture.pathOf("out").c_str(), O_WRONLY | O_CREAT, 0600);
        const int err = ::open(capture.pathOf("err").c_str(), O_WRONLY | O_CREAT, 0600);
        ::dup2(out, STDOUT_FILENO);
        ::dup2(err, STDERR_FILENO);
        if (launch.output == Output::Closed) {
            ::close(STDOUT_FILENO);
        }
        for (const std::string& variable : launch.environment) {
            ::putenv(const_cast<char*>(variable.c_str()));
        }
        std::vector<char*> argv{const_cast<char*>(QUILLMERE_DIR_PROGRAM)};
        for (const std::string& argument : arguments) {
            argv.push_back(const_cast<char*>(argument.c_str()));
        }
        argv.push_back(nullptr);
        ::execv(QUILLMERE_DIR_PROGRAM, argv.data());
        ::_exit(127);
    }
    ::close(pipeEnds[1]);
    if (launch.meanwhile) {
        launch.meanwhile(child);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status), capture.read("out").value_or(""),
            capture.read("err").value_or("")};
}

// "@" stands for the folder's path.
std::string inFolder(std::string text, const TempFolder& folder) {
    for (std::size_t at; (at = text.find('@')) != std::string::npos;) {
        text.replace(at, 1, folder.path());
    }
    return text;
}

std::vector<std::string> inFolder(std::vector<std::string> arguments, const TempFolder& folder) {
    for (std::string& argument : arguments) {
        argument = inFolder(argument, folder);
    }
    return arguments;
}

const std::string kBuilt = "HP39AscAC 8 NOTE.0003 RemB 12 LOANTABL.00010 Loan TableA 9 HELLO.0005 Hello";

void fillWithCalculatorFiles(const TempFolder& folder) {
    folder.write("HELLO.000", "HP39AscA 5 Hello\r\nbody");
    folder.write("NOTE.000", "HP39AscC 8 Reminder\r\n");
    folder.write("LOANTABL.000", "HP39BinB\x0aLoan Table\x01\x02");
}

class Companion : public ::testing::Test {
protected:
    void SetUp() override { fillWithCalculatorFiles(folder); }
    TempFolder folder;
};

TEST_F(Companion, WritesTheDirectoryLastRowFirstInListingOrOrderFileOrder) {
    ProcessResult result = run({folder.path()});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "Wrote 3 entries to " + folder.pathOf("HP39DIR.000") + ".\n");
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(folder.read("HP39DIR.000"), kBuilt);
    EXPECT_EQ(folder.read("HP39DIR.CUR"), "HP39AscA A 11 HP39DIR.0004 Root");

    TempFolder orders;
    orders.write("order", "NOTE.000\r\nHELLO.000\n");
    result = run({"--order", orders.pathOf("order"), folder.path()});
    EXPECT_EQ(result.out, "Wrote 2 entries to " + folder.pathOf("HP39DIR.000") + ".\n");
    EXPECT_EQ(folder.read("HP39DIR.000"), "HP39AscAA 9 HELLO.0005 HelloC 8 NOTE.0003 Rem");
}

TEST_F(Companion, DryRunPrintsTheEntriesAndWritesNothing) {
    const ProcessResult result = run({"--dry-run", folder.path()});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "C\tNOTE.000\tRem\nB\tLOANTABL.000\tLoan Table\nA\tHELLO.000\tHello\n");
    EXPECT_EQ(folder.entries(), (std::vector<std::string>{"HELLO.000", "LOANTABL.000", "NOTE.000"}));
}

// Each row changes the folder after the companion wrote its directory: a
// file's new bytes, or none to remove it.
TEST_F(Companion, CheckReportsEachProblemWithItsEntryAndOffset) {
    const struct {
        std::vector<std::pair<std::string, std::optional<std::string>>> changes;
        std::string out;
    } cases[] = {
        {{}, "@/HP39DIR.000 is sound: 3 entries.\n"},
        {{{"NOTE.000", {}}, {"LOANTABL.000", {}}, {"HP39DIR.000", "HP39AscAA 9 HELLO.0005 Hello"}},
         "@/HP39DIR.000 is sound: 1 entry.\n"},
        {{{"HELLO.000", "HP39AscA 5 Howdy\r\n"}, {"NOTE.000", {}}},
         "entry 1 at offset 8: \"NOTE.000\" does not exist\n"
         "entry 3 at offset 55: the title of \"HELLO.000\" is \"Hello\" but the file holds \"Howdy\"\n"},
        {{{"HP39DIR.000", std::string("HP39AscAB 9 HELLO.0005 Hello\0 8 NOTE.0003 Rem  12 LOANTABL.00010 Loan Table", 75)},
          {"HP39DIR.CUR", "HP39AscA A 11 HP39DIR.0004 Roof"}},
         "entry 1 at offset 8: the type letter of \"HELLO.000\" is \"B\" but the file gives \"A\"\n"
         "entry 2 at offset 28: the type letter of \"NOTE.000\" is \"\\x00\" but the file gives \"C\"\n"
         "entry 3 at offset 45: the type letter of \"LOANTABL.000\" is \"\\x20\" but the file gives \"B\"\n"
         "\"HP39DIR.CUR\" is not the 31 bytes \"HP39AscA A 11 HP39DIR.0004 Root\"\n"},
        {{{"HP39DIR.000", "HP39AscAA 9 HELLO.0005 HelloA 9 HELLO.0005 HelloA 8 ../X.0000 "}, {"HP39DIR.CUR", {}}},
         "entry 2 at offset 28: \"HELLO.000\" is listed twice\n"
         "entry 3 at offset 48: \"../X.000\" names a file outside the folder\n"
         "\"LOANTABL.000\" is not listed\n\"NOTE.000\" is not listed\n"
         "Cannot read \"@/HP39DIR.CUR\": no such file or directory.\n"},
        {{{"HP39DIR.000", "HP39AscAA 9 HELLO.0005 HelloA 9 HELLO.0005 Hel"}},
         "entry 2 at offset 43: the title is cut short: 5 bytes announced, 3 left\n"
         "\"LOANTABL.000\" is not listed\n\"NOTE.000\" is not listed\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.out);
        ASSERT_EQ(run({folder.path()}).status, 0);
        for (const auto& [name, bytes] : c.changes) {
            bytes ? folder.write(name, *bytes) : void(fs::remove(folder.pathOf(name)));
        }
        const ProcessResult result = run({"--check", folder.path()});
        EXPECT_EQ(result.out, inFolder(c.out, folder));
        EXPECT_EQ(result.status, c.out.find(" is sound: ") == std::string::npos ? 1 : 0);
        SetUp();
    }
}

// Every failure is told on standard error with its status and writes
// nothing; what the user did not hand over as a calculator file is read
// only when it is a regular file of a sane size, and never waited on.
TEST(CompanionFailures, EveryFailureIsToldAndWritesNothing) {
    const auto fifo = [](const std::string& path) {
        fs::remove(path);
        ::mkfifo(path.c_str(), 0600);
    };
    const struct {
        std::vector<std::string> arguments;
        std::function<void(const TempFolder&)> arrange;
        int status;
        std::string err;  // its first line
        Output output = Output::Captured;
    } cases[] = {
        {{}, nullptr, 2, "no folder given"},
        {{"a", "b"}, nullptr, 2, "only one folder can be given"},
        {{"--frobnicate", "a"}, nullptr, 2, "unknown option --frobnicate"},
        {{"a", "--order"}, nullptr, 2, "--order needs a file name"},
        {{"--check", "--dry-run", "a"}, nullptr, 2, "--dry-run and --check cannot be combined"},
        {{"--check", "--order", "o", "a"}, nullptr, 2, "--order has no meaning with --check"},
        {{"--serve", "d", "--check", "a"}, nullptr, 2, "--serve cannot be combined with --dry-run or --check"},
        {{"--speed", "9600", "a"}, nullptr, 2, "--speed has no meaning without --serve"},
        {{"--serve", "d", "--speed", "fast", "a"}, nullptr, 2, "--speed needs a number of baud, not fast"},
        {{"@/gone"}, nullptr, 1, "Cannot list the folder \"@/gone\": no such file or directory."},
        {{"@"}, [](const TempFolder& f) { f.write("SHORT.000", "HP39BinB\x0aLoan"); }, 1,
         "Cannot read the title of \"SHORT.000\": the file ends inside its title."},
        {{"--order", "@/order", "@"}, [](const TempFolder& f) { f.write("order", "NOTE.000\nGONE.000\n"); }, 1,
         "\"GONE.000\" in \"@/order\" is not a calculator file of \"@\"."},
        {{"--order", "@/order", "@"}, [](const TempFolder& f) { f.write("order", "NOTE.000\nNOTE.000\n"); }, 1,
         "\"NOTE.000\" stands twice in \"@/order\"."},
        {{"--order", "@", "@"}, nullptr, 1, "Cannot read the order file \"@\": it is not a regular file."},
        {{"--order", "@/order", "@"}, [&](const TempFolder& f) { fifo(f.pathOf("order")); }, 1,
         "Cannot read the order file \"@/order\": it is not a regular file."},
        {{"--check", "@"}, [&](const TempFolder& f) { fifo(f.pathOf("HP39DIR.000")); }, 1,
         "Cannot read \"@/HP39DIR.000\": it is not a regular file."},
        {{"--check", "@"},
         [](const TempFolder& f) {
             fs::remove(f.pathOf("HP39DIR.000"));
             fs::create_symlink("/dev/zero", f.pathOf("HP39DIR.000"));
         },
         1, "Cannot read \"@/HP39DIR.000\": it is not a regular file."},
        {{"--check", "@"}, [](const TempFolder& f) { fs::resize_file(f.pathOf("HP39DIR.000"), 65u << 20); }, 1,
         "Cannot read \"@/HP39DIR.000\": it is larger than 64 MiB."},
        {{"--dry-run", "@"}, nullptr, 1, "Cannot write to standard output.", Output::Full},
        {{"--dry-run", "@"}, nullptr, 1, "Cannot write to standard output: it is closed.", Output::Closed},
        // The reader gone: the directory is written all the same.
        {{"@"}, nullptr, 1, "Cannot write to standard output.", Output::BrokenPipe},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.err);
        TempFolder row;
        fillWithCalculatorFiles(row);
        row.write("HP39DIR.000", "HP39AscAearlier");
        if (c.arrange) {
            c.arrange(row);
        }
        const auto directoryBefore = row.read("HP39DIR.000");
        const auto entriesBefore = row.entries();
        const ProcessResult result = run(inFolder(c.arguments, row), {c.output, {}, {}});
        EXPECT_EQ(result.status, c.status);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err.substr(0, result.err.find('\n')), inFolder("quillmere-dir: " + c.err, row));
        if (c.output == Output::BrokenPipe) {
            EXPECT_EQ(row.read("HP39DIR.000"), kBuilt);
        } else {
            EXPECT_EQ(row.read("HP39DIR.000"), directoryBefore);
            EXPECT_EQ(row.entries(), entriesBefore);
        }
    }
    EXPECT_EQ(run({"--version"}).out, "quillmere-dir 1.01.0002\n");
    EXPECT_EQ(run({"--help"}).out.substr(0, 6), "Usage:");
}

// Stopped in the write by a signal (held at its n-th fsync), the companion
// puts everything back, leaves nothing of its own, and ends by the signal.
TEST_F(Companion, ASignalMidWriteLeavesTheEarlierFilesAndNoLitter) {
    folder.write("HP39DIR.000", "HP39AscAearlier");
    folder.write("HP39DIR.CUR", "earlier companion");
    const auto entriesBefore = folder.entries();
    for (const auto& [signal, fsyncCall] : {std::pair{SIGINT, 1}, {SIGTERM, 2}, {SIGHUP, 3}}) {
        SCOPED_TRACE(signal);
        int gate[2];
        ASSERT_EQ(::pipe(gate), 0);
        const auto signalWhenHeld = [&, signal = signal](pid_t child) {
            pollfd held{gate[0], POLLIN, 0};
            ::kill(child, ::poll(&held, 1, 20000) == 1 ? signal : SIGKILL);
        };
        const ProcessResult result =
            run({folder.path()}, {Output::Captured,
                                  {"LD_PRELOAD=" FSYNC_GATE_LIBRARY, "ASAN_OPTIONS=verify_asan_link_order=0",
                                   "QUILLMERE_FSYNC_GATE=" + std::to_string(fsyncCall),
                                   "QUILLMERE_FSYNC_GATE_FD=" + std::to_string(gate[1])},
                                  signalWhenHeld});
        ::close(gate[0]);
        ::close(gate[1]);
        EXPECT_EQ(result.status, 128 + signal);
        EXPECT_EQ(folder.read("HP39DIR.000"), "HP39AscAearlier");
        EXPECT_EQ(folder.read("HP39DIR.CUR"), "earlier companion");
        EXPECT_EQ(folder.entries(), entriesBefore);
    }
}

}  // namespace
