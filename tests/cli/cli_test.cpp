#include "temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct ProcessResult {
    int status;
    std::string out;
    std::string err;
};

// Runs the companion as a real process, its output caught in files.
ProcessResult run(const std::vector<std::string>& arguments) {
    TempFolder capture;
    const pid_t child = ::fork();
    if (child == 0) {
        const int out = ::open(capture.pathOf("out").c_str(), O_WRONLY | O_CREAT, 0600);
        const int err = ::open(capture.pathOf("err").c_str(), O_WRONLY | O_CREAT, 0600);
        ::dup2(out, STDOUT_FILENO);
        ::dup2(err, STDERR_FILENO);
        std::vector<char*> argv{const_cast<char*>(QUILLMERE_DIR_PROGRAM)};
        for (const std::string& argument : arguments) {
            argv.push_back(const_cast<char*>(argument.c_str()));
        }
        argv.push_back(nullptr);
        ::execv(QUILLMERE_DIR_PROGRAM, argv.data());
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, capture.read("out").value_or(""),
            capture.read("err").value_or("")};
}

class Companion : public ::testing::Test {
protected:
    void SetUp() override {
        folder.write("HELLO.000", "HP39AscA 5 Hello\r\nbody");
        folder.write("NOTE.000", "HP39AscC 8 Reminder\r\n");
        folder.write("LOANTABL.000", "HP39BinB\x0aLoan Table\x01\x02");
    }
    TempFolder folder;
};

TEST_F(Companion, WritesTheDirectoryInListingOrderLastRowFirst) {
    const ProcessResult result = run({folder.path()});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "Wrote 3 entries to " + folder.pathOf("HP39DIR.000") + ".\n");
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(folder.read("HP39DIR.000"),
              "HP39AscAC 8 NOTE.0003 RemB 12 LOANTABL.00010 Loan TableA 9 HELLO.0005 Hello");
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

TEST_F(Companion, CheckReportsEachProblemWithItsOffset) {
    ASSERT_EQ(run({folder.path()}).status, 0);
    ProcessResult result = run({"--check", folder.path()});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, folder.pathOf("HP39DIR.000") + " is sound: 3 entries.\n");

    folder.write("HELLO.000", "HP39AscA 5 Howdy\r\n");
    std::filesystem::remove(folder.pathOf("NOTE.000"));
    result = run({"--check", folder.path()});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out,
              "offset 8: \"NOTE.000\" does not exist\n"
              "offset 55: the title of \"HELLO.000\" is \"Hello\" but the file holds \"Howdy\"\n");

    folder.write("HP39DIR.000", "HP39AscAA 9 HELLO.0005 Hel");
    result = run({"--check", folder.path()});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "offset 23: the title is cut short: 5 bytes announced, 3 left\n");

    folder.write("HP39DIR.000", "HP39AscXA 9 HELLO.0005 Howdy");
    result = run({"--check", folder.path()});
    EXPECT_EQ(result.out, "offset 0: the file does not begin with \"HP39AscA\"\n");
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
        {{"--serve", "d", "--check", "a"}, 2, "quillmere-dir: --serve cannot be combined with --dry-run or --check"},
        {{"--speed", "9600", "a"}, 2, "quillmere-dir: --speed has no meaning without --serve"},
        {{"--serve", "d", "--speed", "fast", "a"}, 2, "quillmere-dir: --speed needs a number of baud, not fast"},
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
