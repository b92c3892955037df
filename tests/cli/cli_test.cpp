#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <regex>

#include <sys/wait.h>
#include <unistd.h>

namespace {

// Runs the shell commands setup, then the companion, "@" standing for the
// folder in both; gives "status|standard output|first line of standard
// error", the status 128 + the signal that ended it. The arguments may
// redirect the output to /dev/full, closed (>&-), or to 9, a pipe whose
// reader is gone.
std::string run(const std::string& arguments, const TempFolder& folder, const std::string& setup = "") {
    TempFolder capture;
    int pipeEnds[2];
    EXPECT_EQ(::pipe(pipeEnds), 0);
    ::dup2(pipeEnds[1], 9);
    ::close(pipeEnds[0]);
    ::close(pipeEnds[1]);
    const std::string command = "export QUILLMERE_LOCK_FOLDER=" + capture.path() + "; " + setup +
                                " exec /usr/bin/env " QUILLMERE_DIR_PROGRAM " >" + capture.pathOf("out") +
                                " 2>" + capture.pathOf("err") + " " + arguments;
    const int status = std::system(std::regex_replace(command, std::regex("@"), folder.path()).c_str());
    ::close(9);
    const std::string err = capture.read("err").value_or("");
    return std::regex_replace(
        std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status)) + "|" +
            capture.read("out").value_or("") + "|" + err.substr(0, err.find('\n')),
        std::regex(folder.path()), "@");
}

const std::string kBuilt = "HP39AscAC 8 NOTE.0003 RemB 12 LOANTABL.00010 Loan TableA 9 HELLO.0005 Hello";

// Rows LOANTABL.000, HELLO.000, NOTE.000, as a user ordered them.
const std::string kKept = "HP39AscAC 8 NOTE.0003 RemA 9 HELLO.0005 HelloB 12 LOANTABL.00010 Loan Table";

// Setup commands that leave directory files as an earlier run would.
std::string written(const std::string& directory) {
    return "printf '" + directory +
           "' >@/HP39DIR.000; printf 'HP39AscA A 11 HP39DIR.0004 Root' >@/HP39DIR.CUR;";
}

void fill(const TempFolder& folder) {
    folder.write("HELLO.000", "HP39AscA 5 Hello\r\nbody");
    folder.write("NOTE.000", "HP39AscC 8 Reminder\r\n");
    folder.write("LOANTABL.000", "HP39BinB\x0aLoan Table\x01\x02");
}

// Each row changes the folder after the companion wrote its directory,
// then checks it.
TEST(CompanionCheck, ReportsEachProblemWithItsEntryAndOffset) {
    TempFolder folder;
    const std::pair<std::string, std::string> cases[] = {
        {"rm @/NOTE.000 @/LOANTABL.000; printf 'HP39AscAA 9 HELLO.0005 Hello' >@/HP39DIR.000;",
         "0|@/HP39DIR.000 is sound: 1 entry.\n"},
        {"printf 'HP39AscA 6 How\"dy\\r\\n' >@/HELLO.000; rm @/NOTE.000;"
         "printf 'HP39AscA A 11 HP39DIR.0004 Root\\n' >@/HP39DIR.CUR;",
         "1|entry 1 at offset 8: \"NOTE.000\" does not exist\n"
         "entry 3 at offset 55: the title of \"HELLO.000\" is \"Hello\" but the file holds \"How\\\"dy\"\n"
         "\"HP39DIR.CUR\" is not the 31 bytes \"HP39AscA A 11 HP39DIR.0004 Root\"\n"},
        {"printf 'HP39AscAB 9 HELLO.0005 Hello\\0 8 NOTE.0003 Rem  12 LOANTABL.00010 Loan Table' "
         ">@/HP39DIR.000;"
         "printf 'HP39AscA A 11 HP39DIR.0004 Roof' >@/HP39DIR.CUR;",
         "1|entry 1 at offset 8: the type letter of \"HELLO.000\" is \"B\" but the file gives \"A\"\n"
         "entry 2 at offset 28: the type letter of \"NOTE.000\" is \"\\x00\" but the file gives \"C\"\n"
         "entry 3 at offset 45: the type letter of \"LOANTABL.000\" is \"\\x20\" but the file gives \"B\"\n"
         "\"HP39DIR.CUR\" is not the 31 bytes \"HP39AscA A 11 HP39DIR.0004 Root\"\n"},
        {"printf 'HP39AscAA 9 HELLO.0005 HelloA 9 HELLO.0005 HelloA 8 ../X.0000 A 9 HELLO.0005 Hel' "
         ">@/HP39DIR.000;"
         "rm @/HP39DIR.CUR;",
         "1|entry 2 at offset 28: \"HELLO.000\" is listed twice\n"
         "entry 3 at offset 48: \"../X.000\" names a file outside the folder\n"
         "entry 4 at offset 77: the title is cut short: 5 bytes announced, 3 left\n"
         "\"LOANTABL.000\" is not listed\n\"NOTE.000\" is not listed\n"
         "Cannot read \"@/HP39DIR.CUR\": no such file or directory.\n"},
        {"ln -s /etc/passwd @/LEAK.000; printf 'HP39AscAA 11 HELLO.000\\0X5 HelloA 11 HP39DIR.CUR4 Root"
         "A 8 LEAK.0003 outC 8 NOTE.0003 RemB 12 LOANTABL.00010 Loan Table' >@/HP39DIR.000;",
         "1|entry 1 at offset 8: \"HELLO.000\\x00X\" holds a byte no file name can hold\n"
         "entry 2 at offset 31: \"HP39DIR.CUR\" is a directory file, not a calculator file\n"
         "entry 3 at offset 53: \"LEAK.000\" is a link to \"/etc/passwd\", outside the folder, which a "
         "calculator cannot fetch\n\"HELLO.000\" is not listed\n"},
        {"rm @/LEAK.000; printf 'HP39BinB\\170%0120d' 0 >@/LONG.000; " QUILLMERE_DIR_PROGRAM " @ >/dev/null;",
         "0|@/HP39DIR.000 is sound: 4 entries.\n"},
    };
    for (const auto& [setup, result] : cases) {
        fill(folder);
        EXPECT_EQ(run("--check @", folder, QUILLMERE_DIR_PROGRAM " @ >/dev/null; " + setup), result + "|");
    }
}

// Each run's outcome and the directory it leaves: a failure writes
// nothing. What the user did not hand over as a calculator file is read
// only when it is a regular file of a sane size, and never waited on.
TEST(CompanionRuns, EachTellsItsOutcome) {
    // Rows hello.000 (no such file), NOTE.000, GONE.000 and NOTE.000 again.
    const std::string odd = "HP39AscAC 8 NOTE.0003 RemA 8 GONE.0003 GonC 8 NOTE.0003 RemA 9 hello.0005 Hello";
    // The serial devices present: none, then ttyUSB0, then ttyS0 too (each /dev/null).
    const std::string none = "mkdir @/d; export QUILLMERE_SERIAL_DEVICES=@/d;",
                      one = none + "ln -s /dev/null @/d/ttyUSB0;", two = one + "ln -s /dev/null @/d/ttyS0;";
    const struct {
        std::string arguments, setup, result;
        std::optional<std::string> directory = {};
    } cases[] = {
        {"@", "", "0|Wrote 3 entries to @/HP39DIR.000.\n|", kBuilt},
        {"@", written(kKept), "0|Wrote 3 entries to @/HP39DIR.000.\n|", kKept},
        // The folder `make run` opens.
        {"@", "rm @/*; cp " QUILLMERE_SAMPLE "/* @;", "0|Wrote 6 entries to @/HP39DIR.000.\n|",
         "HP39AscAB 12 TRISOLVE.00015 Triangle SolverA 11 QUADRAT.0009 QuadraticA 9 PARAM.00013 Parametric "
         "2DB 12 MORTGAGE.0008 MortgageB 12 LOANTABL.00010 Loan TableC 12 EXAMNOTE.0003 Exa"},
        {"--listing-order @", written(kKept), "0|Wrote 3 entries to @/HP39DIR.000.\n|", kBuilt},
        {"@", "rm @/*;", "0|Wrote 0 entries to @/HP39DIR.000.\n|", "HP39AscA"},
        {"--dry-run @", written(odd),
         "0|B\tLOANTABL.000\tLoan Table\nA\tHELLO.000\tHello\nC\tNOTE.000\tRem\n|", odd},
        // The folder is @/in; its directory is a link out of it.
        {"--dry-run @/in",
         "mkdir @/in; mv @/*.000 @/in;" + written(kKept) + "ln -s ../HP39DIR.000 @/in/HP39DIR.000;",
         "0|C\tNOTE.000\tRem\nB\tLOANTABL.000\tLoan Table\nA\tHELLO.000\tHello\n|", kKept},
        {"--order @/order @", written(kKept) + "printf 'NOTE.000\\r\\n\\nHELLO.000\\n' >@/order;",
         "0|Wrote 2 entries to @/HP39DIR.000.\n|", "HP39AscAA 9 HELLO.0005 HelloC 8 NOTE.0003 Rem"},
        // Nothing a folder holds may act on the terminal: an escape sequence in a name or a title.
        {"--dry-run @", "printf 'HP39AscA 2 \\033]' >\"@/$(printf 'E\\033[2J.000')\";",
         "0|C\tNOTE.000\tRem\nB\tLOANTABL.000\tLoan Table\nA\tHELLO.000\tHello\nA\tE\\x1B[2J.000\t\\x1B]\n|"},
        {"--order @/order @", "printf 'X\"\\033[2J\\n' >@/order;",
         "1||quillmere-dir: \"X\\\"\\x1B[2J\" in \"@/order\" is not a calculator file of \"@\"."},
        {"--order @/order --listing-order @", "",
         "2||quillmere-dir: --order and --listing-order cannot be combined"},
        {"--receive @", "", "2||quillmere-dir: --receive has no meaning without --serve"},
        {"--check", "", "2||quillmere-dir: no folder given"},
        {"@ @", "", "2||quillmere-dir: only one folder can be given"},
        {"--serve @", none,
         "1||quillmere-dir: No serial device is present: plug in the calculator's cable (a USB serial "
         "adapter shows as /dev/ttyUSB0), then try again."},
        {"--serve @", one, "1||quillmere-dir: Cannot serve on \"@/d/ttyUSB0\": it is not a serial device."},
        {"--serve @", two,
         "1||quillmere-dir: Several serial devices are present; name the calculator's with --serve DEVICE "
         "FOLDER:"},
        {"--list-devices", two, "0|@/d/ttyS0\n@/d/ttyUSB0\n|"},
        {"--check --serve /dev/null @", "",
         "2||quillmere-dir: --serve cannot be combined with --dry-run or --check"},
        {"@", "exec 8<@; flock 8;",
         "1||quillmere-dir: Cannot write \"HP39DIR.000\" in \"@\": another program is writing the directory "
         "of this folder."},
        {"--order @/order @", "printf 'NOTE.000\\nGONE.000\\n' >@/order;",
         "1||quillmere-dir: \"GONE.000\" in \"@/order\" is not a calculator file of \"@\"."},
        {"--order @/order @", "printf 'NOTE.000\\nNOTE.000\\n' >@/order;",
         "1||quillmere-dir: \"NOTE.000\" stands twice in \"@/order\"."},
        {"--order @ @", "", "1||quillmere-dir: Cannot read the order file \"@\": it is not a regular file."},
        {"--check @", "mkfifo @/HP39DIR.000;",
         "1||quillmere-dir: Cannot read \"@/HP39DIR.000\": it is not a regular file."},
        {"--check @", "ln -s /dev/zero @/HP39DIR.000;",
         "1||quillmere-dir: Cannot read \"@/HP39DIR.000\": it is not a regular file."},
        {"--check @", "truncate -s 65M @/HP39DIR.000;",
         "1||quillmere-dir: Cannot read \"@/HP39DIR.000\": it is larger than 64 MiB."},
        {"--dry-run @ >/dev/full", "", "1||quillmere-dir: Cannot write to standard output."},
        {"--dry-run @ >&-", "", "1||quillmere-dir: Cannot write to standard output: it is closed."},
        {"@ >&9", "", "1||quillmere-dir: Cannot write to standard output.", kBuilt},
        {"--serve @/ttyUSB0 @", "",
         "1||quillmere-dir: Cannot open the serial device \"@/ttyUSB0\": no such file or directory."},
        // Root opens any file; anyone else is told how to get the right to.
        {"--serve @/ttyUSB0 @", "touch @/ttyUSB0; chmod 0 @/ttyUSB0;",
         ::geteuid() == 0
             ? "1||quillmere-dir: Cannot serve on \"@/ttyUSB0\": it is not a serial device."
             : "1||quillmere-dir: Cannot open the serial device \"@/ttyUSB0\": permission denied. "
               "Add yourself to the \"dialout\" group (sudo adduser $USER dialout) and log in again."},
        {"--serve /dev/null @", "export PATH=/nonexistent;",
         "1||quillmere-dir: Cannot find the program \"kermit\": install the Debian package \"ckermit\"."},
        {"--serve /dev/null @", "exec 8</dev/null; flock 8;",
         "1||quillmere-dir: Cannot open the serial device \"/dev/null\": another program is using it."},
        {"--serve /dev/null @", "",
         "1||quillmere-dir: Cannot serve on \"/dev/null\": it is not a serial device."},
        // A lock file naming a live process (init, which anyone may ask after) keeps the line.
        {"--serve /dev/ptmx @", "echo '         1' >$QUILLMERE_LOCK_FOLDER/LCK..ptmx;",
         "1||quillmere-dir: Cannot open the serial device \"/dev/ptmx\": another program (process 1) is "
         "using it."},
        {"--serve /dev/ptmx @", "ln -s /etc/hostname @/LEAK.000;",
         "1||quillmere-dir: Cannot serve \"@\": \"LEAK.000\" is a link to a file outside it; the calculator "
         "could not fetch it. Copy the file into the folder or remove the link."},
        // A directory that lists the files, beside a missing HP39DIR.CUR, is written anew.
        {"--serve /dev/ptmx --speed 1234567 @", QUILLMERE_DIR_PROGRAM " @ >/dev/null; rm @/HP39DIR.CUR;",
         "1|Wrote 3 entries to @/HP39DIR.000.\n|quillmere-dir: The serial device \"/dev/ptmx\" does not take "
         "the speed 1234567: choose another with --speed.",
         kBuilt},
        // Kermit ends a requested name at a blank: "A B.000" is named before serving.
        {"--serve /dev/ptmx --speed 1234567 @", "printf 'HP39AscA 1 B' >'@/A B.000';",
         "1|Wrote 4 entries to @/HP39DIR.000.\n|quillmere-dir: \"A B.000\" has a blank in its name, so the "
         "calculator cannot fetch it: rename it to serve it.",
         kBuilt + "A 7 A B.0001 B"},
        {"--speed 99999999999 --serve /dev/null @", "",
         "2||quillmere-dir: --speed needs a number of baud, not 99999999999"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        TempFolder folder;
        fill(folder);
        EXPECT_EQ(run(c.arguments, folder, c.setup), c.result);
        EXPECT_EQ(folder.read("HP39DIR.000"), c.directory);
        EXPECT_EQ(folder.read("HP39DIR.CUR"),
                  c.directory ? std::optional("HP39AscA A 11 HP39DIR.0004 Root") : std::nullopt);
    }
}

// minicom and C-Kermit keep their locks in /var/lock: there, a lock naming
// a live process keeps the line. The run sees a /var/lock of its own, in a
// mount namespace, so that it touches no lock of the machine's; a speed no
// device takes ends a run that got past the lock.
TEST(CompanionRuns, LeavesALineOtherSerialProgramsLockedAlone) {
    if (std::system("unshare -rm true 2>/dev/null") != 0) {
        GTEST_SKIP() << "This machine gives no mount namespace of a test's own (unshare -rm).";
    }
    TempFolder folder;
    fill(folder);
    // Given the rest of run()'s line, "exec /usr/bin/env PROGRAM ...", it drops the exec.
    folder.write(
        ".own-lock-folder",
        "mount -t tmpfs tmpfs /var/lock && echo '         1' >/var/lock/LCK..ptmx && shift && exec \"$@\"\n");
    EXPECT_EQ(run("--serve /dev/ptmx --speed 1234567 @", folder,
                  "unset QUILLMERE_LOCK_FOLDER; exec unshare -rm sh @/.own-lock-folder"),
              "1||quillmere-dir: Cannot open the serial device \"/dev/ptmx\": another program (process 1) is "
              "using it.");
}

}  // namespace
