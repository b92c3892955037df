#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

using Names = std::vector<std::string>;

struct Result {
    int status;  // the exit status, or 128 + the signal that ended it
    std::string out;
    std::string err;
};

// "@" stands for the folder's path.
std::string at(std::string text, const TempFolder& folder) {
    for (std::size_t found; (found = text.find('@')) != std::string::npos;) {
        text.replace(found, 1, folder.path());
    }
    return text;
}

// Runs the companion as a real process. Standard output is caught, or is
// "closed", "full" (/dev/full) or "broken" (a pipe whose reader is gone).
Result run(Names arguments, const TempFolder& folder, const std::string& output = "", const Names& environment = {}) {
    TempFolder capture;
    int pipeEnds[2];
    EXPECT_EQ(::pipe(pipeEnds), 0);
    ::close(pipeEnds[0]);
    std::vector<char*> argv{const_cast<char*>(QUILLMERE_DIR_PROGRAM)};
    for (std::string& argument : arguments) {
        argument = at(argument, folder);
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(output == "full"     ? ::open("/dev/full", O_WRONLY)
               : output == "broken" ? pipeEnds[1]
                                    : ::open(capture.pathOf("out").c_str(), O_WRONLY | O_CREAT, 0600),
               STDOUT_FILENO);
        ::dup2(::open(capture.pathOf("err").c_str(), O_WRONLY | O_CREAT, 0600), STDERR_FILENO);
        if (output == "closed") {
            ::close(STDOUT_FILENO);
        }
        for (const std::string& variable : environment) {
            ::putenv(const_cast<char*>(variable.c_str()));
        }
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(pipeEnds[1]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status), capture.read("out").value_or(""),
            capture.read("err").value_or("")};
}

const std::string kBuilt = "HP39AscAC 8 NOTE.0003 RemB 12 LOANTABL.00010 Loan TableA 9 HELLO.0005 Hello";

void fill(const TempFolder& folder) {
    folder.write("HELLO.000", "HP39AscA 5 Hello\r\nbody");
    folder.write("NOTE.000", "HP39AscC 8 Reminder\r\n");
    folder.write("LOANTABL.000", "HP39BinB\x0aLoan Table\x01\x02");
}

struct Companion : ::testing::Test {
    void SetUp() override { fill(folder); }
    TempFolder folder;
};

TEST_F(Companion, DryRunsThenWritesTheDirectoryLastRowFirstInListingOrOrderFileOrder) {
    Result result = run({"--dry-run", "@"}, folder);
    EXPECT_EQ(result.out, "C\tNOTE.000\tRem\nB\tLOANTABL.000\tLoan Table\nA\tHELLO.000\tHello\n");
    EXPECT_EQ(folder.entries(), (Names{"HELLO.000", "LOANTABL.000", "NOTE.000"}));
    result = run({"@"}, folder);
    EXPECT_EQ(std::to_string(result.status) + result.err, "0");
    EXPECT_EQ(result.out, at("Wrote 3 entries to @/HP39DIR.000.\n", folder));
    EXPECT_EQ(folder.read("HP39DIR.000"), kBuilt);
    EXPECT_EQ(folder.read("HP39DIR.CUR"), "HP39AscA A 11 HP39DIR.0004 Root");
    TempFolder orders;
    orders.write("order", "NOTE.000\r\nHELLO.000\n");
    EXPECT_EQ(run({"--order", orders.pathOf("order"), "@"}, folder).out, at("Wrote 2 entries to @/HP39DIR.000.\n", folder));
    EXPECT_EQ(folder.read("HP39DIR.000"), "HP39AscAA 9 HELLO.0005 HelloC 8 NOTE.0003 Rem");
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
        ASSERT_EQ(run({"@"}, folder).status, 0);
        for (const auto& [name, bytes] : c.changes) {
            bytes ? folder.write(name, *bytes) : void(fs::remove(folder.pathOf(name)));
        }
        const Result result = run({"--check", "@"}, folder);
        EXPECT_EQ(result.out, at(c.out, folder));
        EXPECT_EQ(result.status, c.out.find(" is sound: ") == std::string::npos ? 1 : 0);
        SetUp();
    }
}

// Every failure is told on standard error with its status and writes
// nothing; what the user did not hand over as a calculator file is read
// only when it is a regular file of a sane size, and never waited on.
TEST(CompanionFailures, EveryFailureIsToldAndWritesNothing) {
    const struct {
        Names arguments;
        std::function<void(const TempFolder&)> arrange;
        int status;
        std::string err;  // its first line
        std::string output = "";
    } cases[] = {
        {{}, nullptr, 2, "no folder given"},
        {{"--frobnicate", "@"}, nullptr, 2, "unknown option --frobnicate"},
        {{"--order", "@/order", "@"}, [](const TempFolder& f) { f.write("order", "NOTE.000\nGONE.000\n"); }, 1,
         "\"GONE.000\" in \"@/order\" is not a calculator file of \"@\"."},
        {{"--order", "@/order", "@"}, [](const TempFolder& f) { f.write("order", "NOTE.000\nNOTE.000\n"); }, 1,
         "\"NOTE.000\" stands twice in \"@/order\"."},
        {{"--order", "@", "@"}, nullptr, 1, "Cannot read the order file \"@\": it is not a regular file."},
        {{"--check", "@"}, [](const TempFolder& f) { ::mkfifo(f.pathOf("HP39DIR.000").c_str(), 0600); }, 1,
         "Cannot read \"@/HP39DIR.000\": it is not a regular file."},
        {{"--check", "@"}, [](const TempFolder& f) { fs::create_symlink("/dev/zero", f.pathOf("HP39DIR.000")); }, 1,
         "Cannot read \"@/HP39DIR.000\": it is not a regular file."},
        {{"--check", "@"}, [](const TempFolder& f) { f.write("HP39DIR.000", std::string(65u << 20, 'x')); }, 1,
         "Cannot read \"@/HP39DIR.000\": it is larger than 64 MiB."},
        {{"--dry-run", "@"}, nullptr, 1, "Cannot write to standard output.", "full"},
        {{"--dry-run", "@"}, nullptr, 1, "Cannot write to standard output: it is closed.", "closed"},
        {{"@"}, nullptr, 1, "Cannot write to standard output.", "broken"},  // the directory written all the same
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.err);
        TempFolder folder;
        fill(folder);
        if (c.arrange) {
            c.arrange(folder);
        }
        const Names before = folder.entries();
        const Result result = run(c.arguments, folder, c.output);
        EXPECT_EQ(result.status, c.status);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err.substr(0, result.err.find('\n')), at("quillmere-dir: " + c.err, folder));
        EXPECT_EQ(folder.read("HP39DIR.000"), c.output == "broken" ? std::optional(kBuilt) : std::nullopt);
        EXPECT_EQ(folder.entries(), c.output == "broken" ? (Names{"HELLO.000", "HP39DIR.000", "HP39DIR.CUR", "LOANTABL.000", "NOTE.000"}) : before);
    }
}

// Stopped in the write by a signal at its n-th fsync (the two new files',
// the folder's after the renames), the companion puts the earlier files
// back, leaves nothing of its own, and ends by the signal.
TEST_F(Companion, ASignalMidWriteLeavesTheEarlierFilesAndNoLitter) {
    folder.write("HP39DIR.000", "HP39AscAearlier");
    folder.write("HP39DIR.CUR", "earlier");
    const Names before = folder.entries();
    for (const auto& [signal, fsyncCall] : {std::pair{SIGINT, 1}, {SIGTERM, 2}, {SIGHUP, 3}}) {
        SCOPED_TRACE(signal);
        const Result result = run({"@"}, folder, "", {"LD_PRELOAD=" FSYNC_GATE_LIBRARY, "ASAN_OPTIONS=verify_asan_link_order=0",
                                                      "QUILLMERE_SIGNAL_AT_FSYNC=" + std::to_string(fsyncCall) + " " + std::to_string(signal)});
        EXPECT_EQ(result.status, 128 + signal);
        EXPECT_EQ(folder.read("HP39DIR.000"), "HP39AscAearlier");
        EXPECT_EQ(folder.read("HP39DIR.CUR"), "earlier");
        EXPECT_EQ(folder.entries(), before);
    }
}

}  // namespace
