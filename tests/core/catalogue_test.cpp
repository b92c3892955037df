#include "core/catalogue.h"
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
struct BuildRecorder : CatalogueObserver {
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

// The rows are HELLO, LOANTABL, NOTE; the user moves NOTE up one.
TEST(Catalogue, BuildsTheDirectoryLastRowFirstInTheUsersOrder) {
    TempFolder folder;
    folder.write("HELLO.000", "HP39AscA 5 Hello\r\nbody");
    folder.write("NOTE.000", "HP39AscC 8 Reminder\r\n");
    folder.write("LOANTABL.000", "HP39BinB\x0aLoan Table\x01\x02");
    Catalogue catalogue = catalogueOn(folder);
    catalogue.order().SelectFileRow(2);
    ASSERT_EQ(catalogue.order().MoveUp(), MoveResult::Moved);
    catalogue.GetNames();
    EXPECT_EQ(catalogue.order().titles(), (Rows{"Hello", "Reminder", "Loan Table"}));
    BuildRecorder recorder;
    catalogue.setObserver(&recorder);
    catalogue.createDirectory();
    EXPECT_EQ(folder.read("HP39DIR.000"),
              "HP39AscAB 12 LOANTABL.00010 Loan TableC 8 NOTE.0003 RemA 9 HELLO.0005 Hello");
    EXPECT_EQ(recorder.events,
              (Rows{"Creating DIR file", "Adding LOANTABL.000", "1/3", "Creating DIR file", "Adding NOTE.000",
                    "2/3", "Creating DIR file", "Adding HELLO.000", "3/3", "Creating DIR file", "Ready"}));
}

// "Get Names" and the build stop at the first file they cannot read, however
// the folder changed under them: the titles read before stay shown until a
// refresh, and neither directory file is touched. A huge first file costs a
// few bytes.
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
        {[](const TempFolder& f) {
             fs::remove(f.pathOf("B.000")), ::mkfifo(f.pathOf("B.000").c_str(), 0600);
         },
         "Cannot read the header line of \"B.000\": it is not a regular file."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        TempFolder folder;
        for (const char* name : {"A.000", "B.000", "C.000"}) {
            folder.write(name, "HP39AscA 1 " + std::string(1, name[0]));
        }
        ASSERT_EQ(::truncate(folder.pathOf("A.000").c_str(), 2LL << 30), 0);
        folder.write("HP39DIR.000", "HP39Ascearlier");
        Catalogue catalogue = catalogueOn(folder);
        c.change(folder);
        const Rows entriesBefore = folder.entries();
        EXPECT_EQ(failureOf([&] { catalogue.GetNames(); }), c.message);
        EXPECT_EQ(catalogue.order().titles(), Rows{"A"});
        EXPECT_TRUE(catalogue.order().titleListShown());
        EXPECT_EQ(failureOf([&] { catalogue.createDirectory(); }), c.message);
        EXPECT_EQ(folder.read("HP39DIR.000"), "HP39Ascearlier");
        EXPECT_EQ(folder.entries(), entriesBefore);
        catalogue.RefreshLists();
        EXPECT_EQ(catalogue.order().titles(), Rows{});
    }
}

}  // namespace
