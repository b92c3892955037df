#include "catalogue_error.h"
#include "directory_files.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace quillmere;
namespace fs = std::filesystem;

namespace {

const std::string kCur = "HP39AscA A 11 HP39DIR.0004 Root";

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

// Each failure must leave the earlier files as they were and nothing else.
TEST(WriteDirectoryFiles, AFailureKeepsTheEarlierFilesAndLeavesNoLitter) {
    const struct {
        const char* why;
        void (*arrange)(const TempFolder&);
        std::string cause;
    } cases[] = {
        {"a read-only directory file",
         [](const TempFolder& f) { fs::permissions(f.pathOf("HP39DIR.000"), fs::perms::owner_read | fs::perms::group_read); },
         "Cannot write \"HP39DIR.000\" in \"%\": the file is read-only."},
        {"a read-only companion file",
         [](const TempFolder& f) { fs::permissions(f.pathOf("HP39DIR.CUR"), fs::perms::owner_read); },
         "Cannot write \"HP39DIR.CUR\" in \"%\": the file is read-only."},
        {"a folder in the place of the directory file",
         [](const TempFolder& f) {
             fs::remove(f.pathOf("HP39DIR.000"));
             fs::create_directory(f.pathOf("HP39DIR.000"));
         },
         "Cannot write \"HP39DIR.000\" in \"%\": it exists and is not a regular file."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        TempFolder folder;
        folder.write("HP39DIR.000", "HP39AscAearlier directory");
        folder.write("HP39DIR.CUR", "earlier companion");
        c.arrange(folder);
        const auto directoryBefore = folder.read("HP39DIR.000");
        const auto entriesBefore = folder.entries();
        std::string expected = c.cause;
        expected.replace(expected.find('%'), 1, folder.path());
        try {
            writeDirectoryFiles(folder.path(), "HP39AscAA 5 A.0001 a");
            ADD_FAILURE() << "the files were written";
        } catch (const CatalogueError& error) {
            EXPECT_EQ(std::string(error.what()), expected);
        }
        EXPECT_EQ(folder.read("HP39DIR.000"), directoryBefore);
        EXPECT_EQ(folder.read("HP39DIR.CUR"), "earlier companion");
        EXPECT_EQ(folder.entries(), entriesBefore);
    }
}

TEST(WriteDirectoryFiles, AMissingFolderIsNamed) {
    TempFolder folder;
    const std::string gone = folder.pathOf("gone");
    try {
        writeDirectoryFiles(gone, "HP39AscA");
        ADD_FAILURE() << "the files were written";
    } catch (const CatalogueError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "Cannot write \"HP39DIR.000\" in \"" + gone + "\": no such file or directory.");
    }
    EXPECT_FALSE(fs::exists(gone));
}

}  // namespace
