// The file system failing or changing under the program: every action ends
// with a message naming the file and the cause, and the earlier directory
// files survive byte for byte with nothing left beside them.
#include "catalogue.h"
#include "catalogue_error.h"
#include "directory_files.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace quillmere;
namespace fs = std::filesystem;

namespace {

const ProgressGeometry kGeometry{2415.0f, "."};
const std::string kEarlierDirectory = "HP39AscAA 7 OLD.0003 old";
const std::string kEarlierCurrent = "HP39AscA A 11 HP39DIR.0004 Root";

// A folder of three calculator files and an earlier directory.
class FaultFolder {
public:
    explicit FaultFolder(const std::string& path) : path_(path) {
        write("A.000", "HP39AscA 1 a\r\n");
        write("B.000", "HP39AscA 1 b\r\n");
        write("C.000", "HP39AscA 1 c\r\n");
        write("HP39DIR.000", kEarlierDirectory);
        write("HP39DIR.CUR", kEarlierCurrent);
        snapshot();
    }

    // Takes the names that expectUntouched() will look for.
    void snapshot() { before_ = names(); }

    std::string pathOf(const std::string& name) const { return path_ + "/" + name; }

    void write(const std::string& name, const std::string& bytes) const {
        std::FILE* file = std::fopen(pathOf(name).c_str(), "wb");
        ASSERT_NE(file, nullptr);
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
    }

    std::vector<std::string> names() const {
        std::vector<std::string> result;
        for (const auto& entry : fs::directory_iterator(path_)) {
            result.push_back(entry.path().filename().string());
        }
        std::sort(result.begin(), result.end());
        return result;
    }

    // The earlier directory files as they were, and no other file added.
    void expectUntouched() const {
        std::ifstream directory(pathOf("HP39DIR.000"), std::ios::binary);
        std::ifstream current(pathOf("HP39DIR.CUR"), std::ios::binary);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(directory), {}), kEarlierDirectory);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(current), {}), kEarlierCurrent);
        EXPECT_EQ(names(), before_);
    }

private:
    std::string path_;
    std::vector<std::string> before_;
};

std::string failureOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const CatalogueError& error) {
        return error.what();
    }
    return "no failure";
}

// Runs action in a child process, so that limits and identities stay
// there, and returns the message it failed with.
std::string failureInChild(const std::function<void()>& prepareChild, const std::function<void()>& action) {
    int channel[2];
    if (::pipe(channel) != 0) {
        return "no pipe";
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        prepareChild();
        const std::string message = failureOf(action);
        const ssize_t written = ::write(channel[1], message.data(), message.size());
        ::_exit(written == static_cast<ssize_t>(message.size()) ? 0 : 1);
    }
    ::close(channel[1]);
    std::string message;
    char buffer[256];
    for (ssize_t got; (got = ::read(channel[0], buffer, sizeof buffer)) > 0;) {
        message.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(channel[0]);
    ::waitpid(child, nullptr, 0);
    return message.empty() ? "the child process died" : message;
}

TEST(Faults, TheFolderChangingUnderTheProgram) {
    const struct {
        const char* why;
        std::function<void(FaultFolder&)> change;
        bool getNames;
        std::string message;
    } cases[] = {
        {"a listed file deleted before Create DIR", [](FaultFolder& f) { fs::remove(f.pathOf("B.000")); }, false,
         "Cannot read the header line of \"B.000\": no such file or directory."},
        {"a listed file deleted before Get Names", [](FaultFolder& f) { fs::remove(f.pathOf("A.000")); }, true,
         "Cannot read the header line of \"A.000\": no such file or directory."},
        {"a listed file turned into a FIFO",
         [](FaultFolder& f) {
             fs::remove(f.pathOf("C.000"));
             ::mkfifo(f.pathOf("C.000").c_str(), 0600);
         },
         false, "Cannot read the header line of \"C.000\": it is not a regular file."},
        {"a listed file turned into a folder",
         [](FaultFolder& f) {
             fs::remove(f.pathOf("B.000"));
             fs::create_directory(f.pathOf("B.000"));
         },
         true, "Cannot read the header line of \"B.000\": it is not a regular file."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        TempFolder temp;
        FaultFolder folder(temp.path());
        Catalogue catalogue(temp.path());
        catalogue.bindFolder(temp.path());
        catalogue.RefreshLists();
        c.change(folder);
        folder.snapshot();
        EXPECT_EQ(failureOf([&] { c.getNames ? catalogue.GetNames() : catalogue.createDirectory(kGeometry); }),
                  c.message);
        if (!c.getNames) {
            folder.expectUntouched();
        }
    }
}

TEST(Faults, TheFolderRemovedOrRenamedAfterItWasChosen) {
    TempFolder temp;
    const std::string chosen = temp.pathOf("calc");
    fs::create_directory(chosen);
    FaultFolder folder(chosen);
    Catalogue catalogue(chosen);
    catalogue.bindFolder(chosen);
    catalogue.RefreshLists();
    fs::rename(chosen, temp.pathOf("renamed"));
    EXPECT_EQ(failureOf([&] { catalogue.createDirectory(kGeometry); }),
              "Cannot read the header line of \"C.000\": no such file or directory.");
    catalogue.order().replaceFiles({});
    EXPECT_EQ(failureOf([&] { catalogue.createDirectory(kGeometry); }),
              "Cannot write \"HP39DIR.000\" in \"" + chosen + "\": no such file or directory.");
    fs::rename(temp.pathOf("renamed"), chosen);
    folder.expectUntouched();
}

TEST(Faults, AFileSizeLimitWhileWriting) {
    TempFolder temp;
    FaultFolder folder(temp.path());
    const std::string message = failureInChild(
        [] {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{1024, 1024};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        },
        [&] { writeDirectoryFiles(temp.path(), "HP39AscA" + std::string(4096, 'x')); });
    EXPECT_EQ(message, "Cannot write \"HP39DIR.000\" in \"" + temp.path() + "\": file too large.");
    folder.expectUntouched();
}

TEST(Faults, AFullDisk) {
    TempFolder temp;
    const std::string disk = temp.pathOf("disk");
    fs::create_directory(disk);
    if (::mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=32k") != 0) {
        GTEST_SKIP() << "cannot mount a small tmpfs here (needs root): " << std::strerror(errno);
    }
    {
        FaultFolder folder(disk);
        EXPECT_EQ(failureOf([&] { writeDirectoryFiles(disk, "HP39AscA" + std::string(64 * 1024, 'x')); }),
                  "Cannot write \"HP39DIR.000\" in \"" + disk + "\": no space left on device.");
        folder.expectUntouched();
    }
    ::umount(disk.c_str());
}

TEST(Faults, AFolderTheUserMayNotWrite) {
    TempFolder temp;
    FaultFolder folder(temp.path());
    fs::permissions(temp.path(), fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read |
                                     fs::perms::others_exec);
    // Root writes anywhere, so the child takes another user's identity.
    const std::string message = failureInChild(
        [] {
            if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) {
                ::_exit(1);
            }
        },
        [&] { writeDirectoryFiles(temp.path(), "HP39AscA"); });
    fs::permissions(temp.path(), fs::perms::owner_all);
    EXPECT_EQ(message, "Cannot write \"HP39DIR.000\" in \"" + temp.path() + "\": permission denied.");
    folder.expectUntouched();
}

TEST(Faults, AHugeFileWithoutALineEndCostsAFewBytes) {
    TempFolder temp;
    temp.write("HUGE.000", "HP39AscA 4 Huge");
    ASSERT_EQ(::truncate(temp.pathOf("HUGE.000").c_str(), 2LL * 1024 * 1024 * 1024), 0);
    Catalogue catalogue(temp.path());
    catalogue.bindFolder(temp.path());
    catalogue.RefreshLists();
    catalogue.GetNames();
    EXPECT_EQ(catalogue.order().titles(), std::vector<std::string>{"Huge"});
    EXPECT_EQ(catalogue.lastHeaderLine().size(), 111u);
}

}  // namespace
