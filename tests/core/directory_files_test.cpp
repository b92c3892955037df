#include "catalogue_error.h"
#include "directory_files.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <functional>

#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace quillmere;
namespace fs = std::filesystem;

namespace {

const std::string kCur = "HP39AscA A 11 HP39DIR.0004 Root";

std::string failureOf(const std::function<void()>& write) {
    try {
        write();
    } catch (const CatalogueError& error) {
        return error.what();
    }
    return "no failure";
}

// Writes in a child process, so that limits and identities stay there;
// returns the message the write failed with.
std::string failureInChild(const std::function<void()>& prepare, const std::function<void()>& write) {
    int channel[2];
    if (::pipe(channel) != 0) {
        return "no pipe";
    }
    if (::fork() == 0) {
        prepare();
        const std::string message = failureOf(write);
        ::_exit(::write(channel[1], message.data(), message.size()) < 0);
    }
    ::close(channel[1]);
    std::string message;
    char buffer[256];
    for (ssize_t got; (got = ::read(channel[0], buffer, sizeof buffer)) > 0;) {
        message.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(channel[0]);
    ::wait(nullptr);
    return message.empty() ? "the child process died" : message;
}

// The earlier directory files are as they were and nothing lies beside them.
void expectEarlierFiles(const TempFolder& folder, const std::vector<std::string>& entriesBefore) {
    EXPECT_EQ(folder.read("HP39DIR.CUR"), "earlier companion");
    EXPECT_EQ(folder.entries(), entriesBefore);
}

TEST(WriteDirectoryFiles, WritesExactlyTheBytesAndReplacesLongerFiles) {
    TempFolder folder;
    folder.write("HP39DIR.000", std::string(5000, 'o'));
    folder.write("HP39DIR.CUR", "old and longer than thirty-one bytes");

    writeDirectoryFiles(folder.path(), "HP39AscA");
    EXPECT_EQ(folder.read("HP39DIR.000"), "HP39AscA");
    EXPECT_EQ(folder.read("HP39DIR.CUR"), kCur);
    EXPECT_EQ(kCur.size(), 31u);

    writeDirectoryFiles(folder.path(), "HP39AscAC 8 NOTE.0003 RemA 9 HELLO.0005 Hello");
    EXPECT_EQ(folder.read("HP39DIR.000"), "HP39AscAC 8 NOTE.0003 RemA 9 HELLO.0005 Hello");
    EXPECT_EQ(folder.read("HP39DIR.CUR"), kCur);
    EXPECT_EQ(folder.entries(), (std::vector<std::string>{"HP39DIR.000", "HP39DIR.CUR"}));
}

TEST(WriteDirectoryFiles, AFailureKeepsTheEarlierFilesAndLeavesNoLitter) {
    const auto readOnly = [](const char* name) {
        return [name](const TempFolder& f) {
            fs::permissions(f.pathOf(name), fs::perms::owner_read | fs::perms::group_read);
        };
    };
    const struct {
        const char* why;
        std::function<void(const TempFolder&)> arrange;
        // Set: the write runs in a child process prepared by it.
        std::function<void()> prepareChild;
        std::string file;
        std::string cause;
    } cases[] = {
        {"a read-only directory file", readOnly("HP39DIR.000"), nullptr, "HP39DIR.000", "the file is read-only"},
        {"a read-only companion file", readOnly("HP39DIR.CUR"), nullptr, "HP39DIR.CUR", "the file is read-only"},
        {"a folder in the place of the directory file",
         [](const TempFolder& f) {
             fs::remove(f.pathOf("HP39DIR.000"));
             fs::create_directory(f.pathOf("HP39DIR.000"));
         },
         nullptr, "HP39DIR.000", "it exists and is not a regular file"},
        {"a file size limit while writing", [](const TempFolder&) {},
         [] {
             std::signal(SIGXFSZ, SIG_IGN);
             const rlimit limit{1024, 1024};
             ::setrlimit(RLIMIT_FSIZE, &limit);
         },
         "HP39DIR.000", "file too large"},
        // Root writes anywhere, so the child takes another user's identity.
        {"a folder the user may not write",
         [](const TempFolder& f) {
             fs::permissions(f.path(), fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read |
                                           fs::perms::others_exec);
         },
         [] {
             if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) {
                 ::_exit(1);
             }
         },
         "HP39DIR.000", "permission denied"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        TempFolder folder;
        folder.write("HP39DIR.000", "HP39AscAearlier directory");
        folder.write("HP39DIR.CUR", "earlier companion");
        c.arrange(folder);
        const auto directoryBefore = folder.read("HP39DIR.000");
        const auto entriesBefore = folder.entries();
        const auto write = [&] { writeDirectoryFiles(folder.path(), "HP39AscA" + std::string(4096, 'x')); };
        EXPECT_EQ(c.prepareChild ? failureInChild(c.prepareChild, write) : failureOf(write),
                  "Cannot write \"" + c.file + "\" in \"" + folder.path() + "\": " + c.cause + ".");
        EXPECT_EQ(folder.read("HP39DIR.000"), directoryBefore);
        expectEarlierFiles(folder, entriesBefore);
    }
}

TEST(WriteDirectoryFiles, AMissingFolderIsNamed) {
    TempFolder folder;
    const std::string gone = folder.pathOf("gone");
    EXPECT_EQ(failureOf([&] { writeDirectoryFiles(gone, "HP39AscA"); }),
              "Cannot write \"HP39DIR.000\" in \"" + gone + "\": no such file or directory.");
    EXPECT_TRUE(folder.entries().empty());
}

TEST(WriteDirectoryFiles, AFullDisk) {
    TempFolder folder;
    if (::mount("tmpfs", folder.path().c_str(), "tmpfs", 0, "size=32k") != 0) {
        GTEST_SKIP() << "cannot mount a small tmpfs here (needs root): " << std::strerror(errno);
    }
    folder.write("HP39DIR.000", "HP39AscAearlier directory");
    folder.write("HP39DIR.CUR", "earlier companion");
    const auto entriesBefore = folder.entries();
    EXPECT_EQ(failureOf([&] { writeDirectoryFiles(folder.path(), "HP39AscA" + std::string(64 * 1024, 'x')); }),
              "Cannot write \"HP39DIR.000\" in \"" + folder.path() + "\": no space left on device.");
    EXPECT_EQ(folder.read("HP39DIR.000"), "HP39AscAearlier directory");
    expectEarlierFiles(folder, entriesBefore);
    ::umount(folder.path().c_str());
}

}  // namespace
