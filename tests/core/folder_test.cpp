#include "core/folder.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <sys/stat.h>

using namespace quillmere;
using Rows = std::vector<std::string>;
namespace fs = std::filesystem;

TEST(Folder, ListsFilesAndSubfoldersWithoutRegardToCase) {
    TempFolder folder;
    for (const char* name :
         {"b.000", "A.000", "C.000", "a.000", ".hidden", "HP39DIR.000", "hp39dir.cur", "HP39Dir.Cur",
          "HP39DIR.0001", "A.0001", "back\\slash", "new\nline", "\xe9\xff.000"}) {
        folder.write(name, "x");
    }
    for (const char* name : {"d.000", "Bad\xff", ".git"}) {
        fs::create_directory(folder.pathOf(name));
    }
    fs::create_symlink(folder.pathOf("A.000"), folder.pathOf("link.000"));
    fs::create_symlink(folder.pathOf("d.000"), folder.pathOf("Linked"));
    fs::create_symlink(folder.pathOf("missing"), folder.pathOf("dangling.000"));
    ::mkfifo(folder.pathOf("fifo.000").c_str(), 0600);
    EXPECT_EQ(listCalculatorFiles(folder.path()),
              (Rows{"A.000", "a.000", "A.0001", "b.000", "back\\slash", "C.000", "HP39DIR.0001", "link.000",
                    "new\nline", "\xe9\xff.000"}));
    EXPECT_EQ(listSubfolders(folder.path()), (Rows{"Bad\xff", "d.000", "Linked"}));
}
