#include "core/catalogue.h"
#include "core/catalogue_error.h"
#include "core/catalogue_observer.h"
#include "tests/support/failure.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

using namespace quillmere;
using Rows = std::vector<std::string>;
namespace fs = std::filesystem;

namespace {

// The statuses and the progress of a build, in the order they came.
class BuildRecorder : public CatalogueObserver {
public:
    Rows events;
    void statusChanged(const std::string& status) override { events.push_back(status); }
    void progressChanged(int done, int total) override {
        events.push_back(std::to_string(done) + "/" + std::to_string(total));
    }
};

Catalogue catalogueOn(const TempFolder& folder) {
    Catalogue catalogue(folder.path());
    catalogue.bindFolder(folder.path());
    catalogue.RefreshLists();
    return catalogue;
}

TEST(Catalogue, BuildsTheDirectoryLastRowFirst) {
    TempFolder folder;
    folder.write("HELLO.000", "HP39AscA 5 Hello\r\nbody");
    folder.write("NOTE.000", "HP39AscC 8 Reminder\r\n");
    folder.write("LOANTABL.000", "HP39BinB\x0aLoan Table\x01\x02");
    Catalogue catalogue = catalogueOn(folder);
    BuildRecorder recorder;
    catalogue.setObserver(&recorder);
    catalogue.createDirectory();
    EXPECT_EQ(folder.read("HP39DIR.000"),
              "HP39AscAC 8 NOTE.0003 RemB 12 LOANTABL.00010 Loan TableA 9 HELLO.0005 Hello");
    EXPECT_EQ(folder.read("HP39DIR.CUR"), "HP39AscA A 11 HP39DIR.0004 Root");
    EXPECT_EQ(recorder.events, (Rows{"Creating DIR file", "Adding NOTE.000", "1/3", "Creating DIR file",
                                     "Adding LOANTABL.000", "2/3", "Creating DIR file", "Adding HELLO.000", "3/3",
                                     "Creating DIR file", "Ready"}));
    EXPECT_EQ(catalogue.order().fileSelection(), 0);

    // Then an empty folder: the header alone replaces the longer directory.
    for (const char* name : {"HELLO.000", "NOTE.000", "LOANTABL.000"}) {
        fs::remove(folder.pathOf(name));
    }
    catalogue.bindFolder(folder.path());
    catalogue.RefreshLists();
    recorder.events.clear();
    catalogue.createDirectory();
    EXPECT_EQ(folder.read("HP39DIR.000"), "HP39AscA");
    EXPECT_EQ(recorder.events, (Rows{"Creating DIR file", "Ready"}));
    EXPECT_EQ(folder.entries(), (Rows{"HP39DIR.000", "HP39DIR.CUR"}));
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
    EXPECT_EQ(catalogue.order().titles(), (Rows{"b", "a", "c"}));
    catalogue.createDirectory();
    EXPECT_EQ(folder.read("HP39DIR.000"), "HP39AscAD 5 C.0001 cA 5 A.0001 aB 5 B.0001 b");
}

// "Get Names" and the build stop at the first file they cannot read, however
// the folder changed under them: the titles read before stay shown, and
// neither directory file is touched.
TEST(Catalogue, AFailingFileStopsTheActionThere) {
    const struct {
        std::function<void(const TempFolder&)> change;
        std::string message;
    } cases[] = {
        {[](const TempFolder& f) { f.write("B.000", "HP39AscA -5 bad"); },
         "Cannot read the title of \"B.000\": its length field \"-5\" is negative."},
        {[](const TempFolder& f) { f.write("B.000", ""); },
         "Cannot read the header line of \"B.000\": the file is empty."},
        {[](const TempFolder& f) { fs::remove(f.pathOf("B.000")); },
         "Cannot read the header line of \"B.000\": no such file or directory."},
        // A read that blocked on the FIFO would hang here; ctest's timeout ends it.
        {[](const TempFolder& f) { fs::remove(f.pathOf("B.000")), ::mkfifo(f.pathOf("B.000").c_str(), 0600); },
         "Cannot read the header line of \"B.000\": it is not a regular file."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        TempFolder folder;
        for (const char* name : {"A.000", "B.000", "C.000"}) {
            folder.write(name, "HP39AscA 1 " + std::string(1, name[0]));
        }
        folder.write("HP39DIR.000", "HP39Ascearlier");
        folder.write("HP39DIR.CUR", "earlier companion");
        Catalogue catalogue = catalogueOn(folder);
        BuildRecorder recorder;
        catalogue.setObserver(&recorder);
        c.change(folder);
        const Rows entriesBefore = folder.entries();
        EXPECT_EQ(failureOf([&] { catalogue.GetNames(); }), c.message);
        EXPECT_EQ(catalogue.order().titles(), Rows{"A"});
        EXPECT_TRUE(catalogue.order().titleListShown());
        EXPECT_EQ(failureOf([&] { catalogue.createDirectory(); }), c.message);
        EXPECT_EQ(recorder.events.back(), "Adding B.000");
        EXPECT_EQ(catalogue.directoryText(), "HP39AscAA 5 C.0001 C");
        EXPECT_EQ(folder.read("HP39DIR.000"), "HP39Ascearlier");
        EXPECT_EQ(folder.read("HP39DIR.CUR"), "earlier companion");
        EXPECT_EQ(folder.entries(), entriesBefore);
    }
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

}  // namespace
