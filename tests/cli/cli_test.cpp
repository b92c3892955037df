#include "temp_folder.h"

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
    // Runs in the test while the companion runs.
    std::function<void(pid_t)> meanwhile;
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
        const int out = launch.output == Output::Full ? ::open("/dev/full", O_WRONLY)
                        : launch.output == Output::BrokenPipe
                            ? pipeEnds[1]
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

void fillWithCalculatorFiles(const TempFolder& folder) {
    folder.write("HELLO.000", "HP39AscA 5 Hello\r\nbody");
    folder.write("NOTE.000", "HP39AscC 8 Reminder\r\n");
    folder.write("LOANTABL.000", "HP39BinB\x0aLoan Table\x01\x02");
}

const std::string kBuilt = "HP39AscAC 8 NOTE.0003 RemB 12 LOANTABL.00010 Loan TableA 9 HELLO.0005 Hello";

class Companion : public ::testing::Test {
protected:
    void SetUp() override { fillWithCalculatorFiles(folder); }
    TempFolder folder;
};

TEST_F(Companion, WritesTheDirectoryInListingOrderLastRowFirst) {
    const ProcessResult result = run({folder.path()});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "Wrote 3 entries to " + folder.pathOf("HP39DIR.000") + ".\n");
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(folder.read("HP39DIR.000"), kBuilt);
    EXPECT_EQ(folder.read("HP39DIR.CUR"), "HP39AscA A 11 HP39DIR.0004 Root");
}

TEST_F(Companion, TakesTheOrderFromAFile) {
    TempFolder orders;
    orders.write("order", "NOTE.000\r\nHELLO.000\n");
    orders.write("unknown", "NOTE.000\nGONE.000\n");
    orders.write("twice", "NOTE.000\nNOTE.000\n");

    ProcessResult result = run({"--order", orders.pathOf("order"), folder.path()});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "Wrote 2 entries to " + folder.pathOf("HP39DIR.000") + ".\n");
    EXPECT_EQ(folder.read("HP39DIR.000"), "HP39AscAA 9 HELLO.0005 HelloC 8 NOTE.0003 Rem");

    std::filesystem::remove(folder.pathOf("HP39DIR.000"));
    result = run({"--order", orders.pathOf("unknown"), folder.path()});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "quillmere-dir: \"GONE.000\" in \"" + orders.pathOf("unknown") +
                              "\" is not a calculator file of \"" + folder.path() + "\".\n");
    result = run({"--order", orders.pathOf("twice"), folder.path()});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "quillmere-dir: \"NOTE.000\" stands twice in \"" + orders.pathOf("twice") + "\".\n");
    EXPECT_FALSE(folder.read("HP39DIR.000"));
}

TEST_F(Companion, DryRunPrintsTheEntriesAndWritesNothing) {
    const ProcessResult result = run({"--dry-run", folder.path()});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "C\tNOTE.000\tRem\nB\tLOANTABL.000\tLoan Table\nA\tHELLO.000\tHello\n");
    EXPECT_FALSE(folder.read("HP39DIR.000"));
    EXPECT_FALSE(folder.read("HP39DIR.CUR"));
}

TEST(CompanionCheck, ReportsEachProblemWithItsEntryAndOffset) {
    const struct {
        const char* why;
        std::function<void(const TempFolder&)> arrange;  // after the companion wrote the directory
        std::string out;
        int status;
    } cases[] = {
        {"sound", [](const TempFolder&) {}, "@/HP39DIR.000 is sound: 3 entries.\n", 0},
        {"one entry",
         [](const TempFolder& f) {
             std::filesystem::remove(f.pathOf("NOTE.000"));
             std::filesystem::remove(f.pathOf("LOANTABL.000"));
             f.write("HP39DIR.000", "HP39AscAA 9 HELLO.0005 Hello");
         },
         "@/HP39DIR.000 is sound: 1 entry.\n", 0},
        {"a file gone, a title changed",
         [](const TempFolder& f) {
             f.write("HELLO.000", "HP39AscA 5 Howdy\r\n");
             std::filesystem::remove(f.pathOf("NOTE.000"));
         },
         "entry 1 at offset 8: \"NOTE.000\" does not exist\n"
         "entry 3 at offset 55: the title of \"HELLO.000\" is \"Hello\" but the file holds \"Howdy\"\n",
         1},
        {"wrong, NUL and blank type letters; an altered HP39DIR.CUR",
         [](const TempFolder& f) {
             f.write("HP39DIR.000", std::string("HP39AscAB 9 HELLO.0005 Hello\0 8 NOTE.0003 Rem  12 LOANTABL.00010 Loan Table", 75));
             f.write("HP39DIR.CUR", "HP39AscA A 11 HP39DIR.0004 Roof");
         },
         "entry 1 at offset 8: the type letter of \"HELLO.000\" is \"B\" but the file gives \"A\"\n"
         "entry 2 at offset 28: the type letter of \"NOTE.000\" is \"\\x00\" but the file gives \"C\"\n"
         "entry 3 at offset 45: the type letter of \"LOANTABL.000\" is \"\\x20\" but the file gives \"B\"\n"
         "\"HP39DIR.CUR\" is not the 31 bytes \"HP39AscA A 11 HP39DIR.0004 Root\"\n",
         1},
        {"twice, outside the folder, not listed, no HP39DIR.CUR",
         [](const TempFolder& f) {
             f.write("HP39DIR.000", "HP39AscAA 9 HELLO.0005 HelloA 9 HELLO.0005 HelloA 8 ../X.0000 ");
             std::filesystem::remove(f.pathOf("HP39DIR.CUR"));
         },
         "entry 2 at offset 28: \"HELLO.000\" is listed twice\n"
         "entry 3 at offset 48: \"../X.000\" names a file outside the folder\n"
         "\"LOANTABL.000\" is not listed\n\"NOTE.000\" is not listed\n"
         "Cannot read \"@/HP39DIR.CUR\": no such file or directory.\n",
         1},
        {"cut short", [](const TempFolder& f) { f.write("HP39DIR.000", "HP39AscAA 9 HELLO.0005 HelloA 9 HELLO.0005 Hel"); },
         "entry 2 at offset 43: the title is cut short: 5 bytes announced, 3 left\n"
         "\"LOANTABL.000\" is not listed\n\"NOTE.000\" is not listed\n",
         1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        TempFolder folder;
        fillWithCalculatorFiles(folder);
        ASSERT_EQ(run({folder.path()}).status, 0);
        c.arrange(folder);
        const ProcessResult result = run({"--check", folder.path()});
        EXPECT_EQ(result.out, inFolder(c.out, folder));
        EXPECT_EQ(result.status, c.status);
    }
}

// What the user did not hand over as a calculator file is read only if it
// is a regular file of a sane size, and never waited on.
TEST(CompanionReads, RefuseWhatIsNotARegularFileAndWriteNothing) {
    const auto fifo = [](const std::string& path) { ::mkfifo(path.c_str(), 0600); };
    const struct {
        const char* why;
        std::function<void(const TempFolder&)> arrange;
        std::vector<std::string> arguments;
        std::string err;
    } cases[] = {
        {"a FIFO to check", [&](const TempFolder& f) { std::filesystem::remove(f.pathOf("HP39DIR.000")); fifo(f.pathOf("HP39DIR.000")); },
         {"--check", "@"}, "Cannot read \"@/HP39DIR.000\": it is not a regular file."},
        {"a link to /dev/zero to check",
         [](const TempFolder& f) {
             std::filesystem::remove(f.pathOf("HP39DIR.000"));
             std::filesystem::create_symlink("/dev/zero", f.pathOf("HP39DIR.000"));
         },
         {"--check", "@"}, "Cannot read \"@/HP39DIR.000\": it is not a regular file."},
        {"a huge file to check",
         [](const TempFolder& f) { std::filesystem::resize_file(f.pathOf("HP39DIR.000"), 65u << 20); },
         {"--check", "@"}, "Cannot read \"@/HP39DIR.000\": it is larger than 64 MiB."},
        {"a folder as the order", [](const TempFolder&) {}, {"--order", "@", "@"},
         "Cannot read the order file \"@\": it is not a regular file."},
        {"a FIFO as the order", [&](const TempFolder& f) { fifo(f.pathOf("order")); }, {"--order", "@/order", "@"},
         "Cannot read the order file \"@/order\": it is not a regular file."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        TempFolder folder;
        fillWithCalculatorFiles(folder);
        folder.write("HP39DIR.000", "HP39AscAearlier");
        c.arrange(folder);
        const auto directoryBefore = folder.read("HP39DIR.000");
        const auto entriesBefore = folder.entries();
        const ProcessResult result = run(inFolder(c.arguments, folder));
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err, "quillmere-dir: " + inFolder(c.err, folder) + "\n");
        EXPECT_EQ(folder.read("HP39DIR.000"), directoryBefore);
        EXPECT_EQ(folder.entries(), entriesBefore);
    }
}

// Standard output that cannot take the results is a failure; a reader that
// went away does not end the companion before its write is done.
TEST_F(Companion, OutputThatCannotBeWrittenFails) {
    const struct {
        std::vector<std::string> arguments;
        Output output;
        std::string err;
    } cases[] = {
        {{"--dry-run", "@"}, Output::Full, "quillmere-dir: Cannot write to standard output.\n"},
        {{"--dry-run", "@"}, Output::Closed, "quillmere-dir: Cannot write to standard output: it is closed.\n"},
        {{"@"}, Output::BrokenPipe, "quillmere-dir: Cannot write to standard output.\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.output));
        std::filesystem::remove(folder.pathOf("HP39DIR.000"));
        const ProcessResult result = run(inFolder(c.arguments, folder), {c.output, {}, {}});
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.err, c.err);
        EXPECT_EQ(folder.read("HP39DIR.000"), c.output == Output::BrokenPipe ? std::optional(kBuilt) : std::nullopt);
    }
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
        const ProcessResult result =
            run({folder.path()}, {Output::Captured,
                                  {"LD_PRELOAD=" FSYNC_GATE_LIBRARY, "ASAN_OPTIONS=verify_asan_link_order=0",
                                   "QUILLMERE_FSYNC_GATE=" + std::to_string(fsyncCall),
                                   "QUILLMERE_FSYNC_GATE_FD=" + std::to_string(gate[1])},
                                  [&, signal = signal](pid_t child) {
                                      pollfd reached{gate[0], POLLIN, 0};
                                      const bool held = ::poll(&reached, 1, 20000) == 1;
                                      ::kill(child, held ? signal : SIGKILL);
                                  }});
        ::close(gate[0]);
        ::close(gate[1]);
        EXPECT_EQ(result.status, 128 + signal);
        EXPECT_EQ(folder.read("HP39DIR.000"), "HP39AscAearlier");
        EXPECT_EQ(folder.read("HP39DIR.CUR"), "earlier companion");
        EXPECT_EQ(folder.entries(), entriesBefore);
    }
}

TEST_F(Companion, FailuresNameTheFileAndWriteNothing) {
    folder.write("SHORT.000", "HP39BinB\x0aLoan");
    ProcessResult result = run({folder.path()});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "quillmere-dir: Cannot read the title of \"SHORT.000\": the file ends inside its title.\n");
    EXPECT_FALSE(folder.read("HP39DIR.000"));

    result = run({folder.pathOf("gone")});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "quillmere-dir: Cannot list the folder \"" + folder.pathOf("gone") +
                              "\": no such file or directory.\n");
}

TEST(CompanionUsage, ExitStatusesAndTexts) {
    const struct {
        std::vector<std::string> arguments;
        int status;
        std::string firstErrLine;
    } cases[] = {
        {{}, 2, "quillmere-dir: no folder given"},
        {{"a", "b"}, 2, "quillmere-dir: only one folder can be given"},
        {{"--frobnicate", "a"}, 2, "quillmere-dir: unknown option --frobnicate"},
        {{"a", "--order"}, 2, "quillmere-dir: --order needs a file name"},
        {{"--check", "--dry-run", "a"}, 2, "quillmere-dir: --dry-run and --check cannot be combined"},
        {{"--check", "--order", "o", "a"}, 2, "quillmere-dir: --order has no meaning with --check"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.firstErrLine);
        const ProcessResult result = run(c.arguments);
        EXPECT_EQ(result.status, c.status);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err.substr(0, result.err.find('\n')), c.firstErrLine);
    }
    const ProcessResult version = run({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "quillmere-dir 1.01.0002\n");
    const ProcessResult help = run({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.substr(0, 6), "Usage:");
}

}  // namespace
