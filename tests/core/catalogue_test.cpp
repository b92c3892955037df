#include "catalogue.h"
#include "catalogue_error.h"
#include "catalogue_observer.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

using namespace quillmere;
using Rows = std::vector<std::string>;
namespace fs = std::filesystem;

namespace {

const std::string kCur = "HP39AscA A 11 HP39DIR.0004 Root";

class BuildRecorder : public CatalogueObserver {
public:
    Rows statuses;
    Rows progress;
    void statusChanged(const std::string& status) override { statuses.push_back(status); }
    void progressChanged(int done, int total) override {
        progress.push_back(std::to_string(done) + "/" + std::to_string(total));
    }
};

Catalogue catalogueOn(const TempFolder& folder) {
    Catalogue catalogue(folder.path());
    catalogue.bindFolder(folder.path());
    catalogue.RefreshLists();
    return catalogue;
}

std::string failureOf(void (*action)(Catalogue&), Catalogue& catalogue) {
    try {
        action(catalogue);
    } catch (const CatalogueError& error) {
        return error.what();
    }
    return "no failure";
}

TEST(Catalogue, BuildsTheDirectoryLastRowFirst) {
    const struct {
        std::vector<std::pair<std::string, std::string>> files;
        std::string directory;
        Rows statuses;
        Rows progress;
    } cases[] = {
        {{}, "HP39AscA", {"Creating DIR file", "Ready"}, {}},
        {{{"HELLO.000", "HP39AscA 5 Hello\r\nbody"}, {"NOTE.000", "HP39AscC 8 Reminder\r\n"}},
         "HP39AscAC 8 NOTE.0003 RemA 9 HELLO.0005 Hello",
         {"Creating DIR file", "Adding NOTE.000", "Creating DIR file", "Adding HELLO.000", "Creating DIR file",
          "Ready"},
         {"1/2", "2/2"}},
        {{{"A.000", "HP39AscA 1 a\n"}, {"B.000", "HP39AscA 1 b\n"}, {"C.000", "HP39AscA 1 c\n"}},
         "HP39AscAA 5 C.0001 cA 5 B.0001 bA 5 A.0001 a",
         {"Creating DIR file", "Adding C.000", "Creating DIR file", "Adding B.000", "Creating DIR file",
          "Adding A.000", "Creating DIR file", "Ready"},
         {"1/3", "2/3", "3/3"}},
        {{{"A.000", "HP39AscA 1 a"}, {"B.000", "HP39AscA 1 b"}, {"C.000", "HP39AscA 1 c"}, {"D.000", "HP39AscA 1 d"}},
         "HP39AscAA 5 D.0001 dA 5 C.0001 cA 5 B.0001 bA 5 A.0001 a",
         {"Creating DIR file", "Adding D.000", "Creating DIR file", "Adding C.000", "Creating DIR file",
          "Adding B.000", "Creating DIR file", "Adding A.000", "Creating DIR file", "Ready"},
         {"1/4", "2/4", "3/4", "4/4"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.directory);
        TempFolder folder;
        for (const auto& [name, bytes] : c.files) {
            folder.write(name, bytes);
        }
        // An older, longer directory leaves nothing behind.
        folder.write("HP39DIR.000", "HP39AscAA 5 X.0001 x and an older, longer directory");
        Catalogue catalogue = catalogueOn(folder);
        BuildRecorder recorder;
        catalogue.setObserver(&recorder);
        catalogue.createDirectory();
        EXPECT_EQ(folder.read("HP39DIR.000"), c.directory);
        EXPECT_EQ(folder.read("HP39DIR.CUR"), kCur);
        EXPECT_EQ(catalogue.directoryText(), c.directory);
        EXPECT_EQ(recorder.statuses, c.statuses);
        EXPECT_EQ(recorder.progress, c.progress);
        EXPECT_EQ(catalogue.order().fileSelection(), c.files.empty() ? -1 : 0);
    }
}

TEST(Catalogue, WritesTheUsersOrderAndReadsTitlesFromTheNamedFile) {
    TempFolder folder;
    folder.write("A.000", "HP39AscA 1 a");
    folder.write("B.000", "HP39AscB 1 b");
    folder.write("C.000", "HP39AscD 1 c");
    Catalogue catalogue = catalogueOn(folder);
    catalogue.order().SelectFileRow(1);
    ASSERT_EQ(catalogue.order().MoveUp(), MoveResult::Moved);

    catalogue.GetNames();
    EXPECT_EQ(catalogue.order().files(), (Rows{"B.000", "A.000", "C.000"}));
    EXPECT_EQ(catalogue.order().titles(), (Rows{"b", "a", "c"}));
    EXPECT_EQ(catalogue.order().fileSelection(), 2);
    EXPECT_EQ(catalogue.order().titleSelection(), 2);
    EXPECT_TRUE(catalogue.order().titleListShown());

    catalogue.createDirectory();
    EXPECT_EQ(folder.read("HP39DIR.000"), "HP39AscAD 5 C.0001 cA 5 A.0001 aB 5 B.0001 b");
}

TEST(Catalogue, GetNamesStopsAtAFailingFileKeepingTheTitlesBefore) {
    TempFolder folder;
    folder.write("A.000", "HP39AscA 2 aa");
    folder.write("B.000", "HP39AscA 2 bb");
    folder.write("C.000", "");
    folder.write("D.000", "HP39AscA 2 dd");
    Catalogue catalogue = catalogueOn(folder);

    EXPECT_EQ(failureOf([](Catalogue& c) { c.GetNames(); }, catalogue),
              "Cannot read the header line of \"C.000\": the file is empty.");
    EXPECT_EQ(catalogue.order().titles(), (Rows{"aa", "bb"}));
    EXPECT_EQ(catalogue.order().fileSelection(), 1);
    EXPECT_EQ(catalogue.order().titleSelection(), 1);
    EXPECT_TRUE(catalogue.order().titleListShown());
}

// The build stops at the first file it cannot read, however the folder
// changed under it, and touches neither directory file.
TEST(Catalogue, AFailingPassTouchesNeitherFile) {
    const struct {
        const char* why;
        std::function<void(const TempFolder&)> change;
        std::string message;
    } cases[] = {
        {"a negative length field", [](const TempFolder& f) { f.write("B.000", "HP39AscA -5 bad"); },
         "Cannot read the title of \"B.000\": its length field \"-5\" is negative."},
        {"an empty file", [](const TempFolder& f) { f.write("B.000", ""); },
         "Cannot read the header line of \"B.000\": the file is empty."},
        {"a listed file deleted", [](const TempFolder& f) { fs::remove(f.pathOf("B.000")); },
         "Cannot read the header line of \"B.000\": no such file or directory."},
        {"a listed file turned into a FIFO",
         [](const TempFolder& f) {
             fs::remove(f.pathOf("B.000"));
             ::mkfifo(f.pathOf("B.000").c_str(), 0600);
         },
         "Cannot read the header line of \"B.000\": it is not a regular file."},
        {"a listed file turned into a folder",
         [](const TempFolder& f) {
             fs::remove(f.pathOf("B.000"));
             fs::create_directory(f.pathOf("B.000"));
         },
         "Cannot read the header line of \"B.000\": it is not a regular file."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        TempFolder folder;
        folder.write("A.000", "HP39AscA 1 a");
        folder.write("B.000", "HP39AscA 1 b");
        folder.write("C.000", "HP39AscA 1 c");
        folder.write("HP39DIR.000", "HP39Ascearlier");
        folder.write("HP39DIR.CUR", "earlier companion");
        Catalogue catalogue = catalogueOn(folder);
        BuildRecorder recorder;
        catalogue.setObserver(&recorder);
        c.change(folder);
        const auto entriesBefore = folder.entries();

        EXPECT_EQ(failureOf([](Catalogue& cat) { cat.createDirectory(); }, catalogue), c.message);
        EXPECT_EQ(recorder.statuses.back(), "Adding B.000");
        EXPECT_EQ(catalogue.order().fileSelection(), 1);
        EXPECT_EQ(catalogue.directoryText(), "HP39AscAA 5 C.0001 c");
        EXPECT_EQ(folder.read("HP39DIR.000"), "HP39Ascearlier");
        EXPECT_EQ(folder.read("HP39DIR.CUR"), "earlier companion");
        EXPECT_EQ(folder.entries(), entriesBefore);
    }
}

TEST(Catalogue, TheFolderRenamedAfterItWasChosen) {
    TempFolder parent;
    const std::string chosen = parent.pathOf("calc");
    fs::create_directory(chosen);
    for (const char* name : {"A.000", "B.000"}) {
        std::ofstream(fs::path(chosen) / name) << "HP39AscA 1 x";
    }
    Catalogue catalogue(chosen);
    catalogue.bindFolder(chosen);
    catalogue.RefreshLists();
    fs::rename(chosen, parent.pathOf("renamed"));
    EXPECT_EQ(failureOf([](Catalogue& c) { c.GetNames(); }, catalogue),
              "Cannot read the header line of \"A.000\": no such file or directory.");
    EXPECT_EQ(failureOf([](Catalogue& c) { c.createDirectory(); }, catalogue),
              "Cannot read the header line of \"B.000\": no such file or directory.");
    EXPECT_EQ(parent.entries(), Rows{"renamed"});
}

TEST(Catalogue, AHugeFileWithoutALineEndCostsAFewBytes) {
    TempFolder folder;
    folder.write("HUGE.000", "HP39AscA 4 Huge");
    ASSERT_EQ(::truncate(folder.pathOf("HUGE.000").c_str(), 2LL * 1024 * 1024 * 1024), 0);
    Catalogue catalogue = catalogueOn(folder);
    catalogue.GetNames();
    EXPECT_EQ(catalogue.order().titles(), Rows{"Huge"});
    EXPECT_EQ(catalogue.lastHeaderLine().size(), 111u);
}

TEST(Catalogue, OddNamesPassIntoTheDirectoryAsTheirBytes) {
    TempFolder folder;
    const std::string longName(255, 'N');
    for (const std::string name : {"a b.000", "back\\slash", "\xe9.000", "new\nline"}) {
        folder.write(name, "HP39AscA 1 x");
    }
    folder.write(longName, "HP39AscA 1 x");
    Catalogue catalogue = catalogueOn(folder);
    catalogue.createDirectory();
    EXPECT_EQ(folder.read("HP39DIR.000"), "HP39AscA"
                                          "A 5 \xe9.0001 x"
                                          "A 255 " + longName + "1 x"
                                          "A 8 new\nline1 x"
                                          "A 10 back\\slash1 x"
                                          "A 7 a b.0001 x");
}

TEST(Catalogue, AFolderThatCannotBeListedChangesNothing) {
    TempFolder folder;
    folder.write("A.000", "HP39AscA 1 a");
    Catalogue catalogue = catalogueOn(folder);
    EXPECT_THROW(catalogue.bindFolder(folder.pathOf("gone")), CatalogueError);
    EXPECT_EQ(catalogue.folderPath(), folder.path());
    EXPECT_EQ(catalogue.folderListing(), (Rows{"A.000"}));
}

}  // namespace
