#include "catalogue_error.h"
#include "folder.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace quillmere;
namespace fs = std::filesystem;

namespace {

TEST(ListCalculatorFiles, ListsRegularFilesOnlyWithoutRegardToCase) {
    TempFolder folder;
    for (const char* name : {"b.000", "A.000", "C.000", "a.000", "notes", ".hidden", "HP39DIR.000",
                             "hp39dir.cur", "HP39Dir.Cur", "HP39DIR.0001", "name with space",
                             "back\\slash", "new\nline", "\xe9\xff.000"}) {
        folder.write(name, "x");
    }
    fs::create_directory(folder.pathOf("D.000"));
    fs::create_symlink(folder.pathOf("A.000"), folder.pathOf("link.000"));
    fs::create_symlink(folder.pathOf("missing"), folder.pathOf("dangling.000"));
    fs::create_symlink(folder.pathOf("loop.000"), folder.pathOf("loop.000"));
    fs::create_symlink(folder.pathOf("D.000"), folder.pathOf("folderlink"));
    ::mkfifo(folder.pathOf("fifo.000").c_str(), 0600);
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string socketPath = folder.pathOf("sock.000");
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    socketPath.copy(address.sun_path, socketPath.size());
    ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);

    const std::vector<std::string> expected = {
        "A.000", "a.000", "b.000", "back\\slash", "C.000", "HP39DIR.0001", "link.000",
        "name with space", "new\nline", "notes", "\xe9\xff.000"};
    EXPECT_EQ(listCalculatorFiles(folder.path()), expected);
    ::close(sock);
}

TEST(ListCalculatorFiles, NamesAFolderThatCannotBeListed) {
    TempFolder folder;
    folder.write("FILE.000", "x");
    const struct {
        std::string path;
        std::string message;
    } cases[] = {
        {folder.pathOf("gone"),
         "Cannot list the folder \"" + folder.pathOf("gone") + "\": no such file or directory."},
        {folder.pathOf("FILE.000"),
         "Cannot list the folder \"" + folder.pathOf("FILE.000") + "\": not a directory."},
    };
    for (const auto& c : cases) {
        try {
            listCalculatorFiles(c.path);
            ADD_FAILURE() << c.path << " was listed";
        } catch (const CatalogueError& error) {
            EXPECT_EQ(std::string(error.what()), c.message);
        }
    }
}

TEST(JoinPath, JoinsAsTheyStandSoARootDoublesTheSeparator) {
    EXPECT_EQ(defaultFolder(), "/");
    EXPECT_EQ(joinPath("/", "A.000"), "//A.000");
    EXPECT_EQ(joinPath("/home/calc", "A.000"), "/home/calc/A.000");
}

}  // namespace
