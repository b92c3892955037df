#include "catalogue_observer.h"
#include "preference_order.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

using namespace quillmere;
using Rows = std::vector<std::string>;

namespace {

class RecordingObserver : public CatalogueObserver {
public:
    std::vector<std::string> events;
    void listReset(ListId list) override { events.push_back(name(list) + " reset"); }
    void rowsSwapped(ListId list, int a, int b) override {
        events.push_back(name(list) + " swap " + std::to_string(a) + " " + std::to_string(b));
    }
    void selectionChanged(ListId list, int row) override {
        events.push_back(name(list) + " select " + std::to_string(row));
    }

private:
    static std::string name(ListId list) { return list == ListId::Files ? "files" : "titles"; }
};

// The lists as "Get Names" leaves them, then the file row a click selects.
PreferenceOrder orderOf(const Rows& files, const Rows& titles, int selectedFile) {
    PreferenceOrder order;
    order.replaceFiles(files);
    if (!titles.empty()) {
        order.replaceTitles(titles);
    }
    order.SelectFileRow(selectedFile);
    return order;
}

TEST(PreferenceOrder, MovesBothListsTogether) {
    enum Direction { Up, Down };
    const struct {
        const char* why;
        Rows files, titles;
        int selected;
        Direction direction;
        MoveResult result;
        Rows filesAfter, titlesAfter;
        int fileSelection, titleSelection;
    } cases[] = {
        {"empty list, up asks for a selection", {}, {}, -1, Up, MoveResult::NothingSelected, {}, {}, -1, -1},
        {"empty list, down is silent", {}, {}, -1, Down, MoveResult::Stopped, {}, {}, -1, -1},
        {"one file, up", {"A"}, {}, 0, Up, MoveResult::Stopped, {"A"}, {}, 0, -1},
        {"one file, down", {"A"}, {}, 0, Down, MoveResult::Stopped, {"A"}, {}, 0, -1},
        {"nothing selected, up", {"A", "B"}, {}, -1, Up, MoveResult::NothingSelected, {"A", "B"}, {}, -1, -1},
        {"nothing selected, down", {"A", "B"}, {}, -1, Down, MoveResult::NothingSelected, {"A", "B"}, {}, -1, -1},
        {"files alone move up", {"A", "B", "C"}, {}, 1, Up, MoveResult::Moved, {"B", "A", "C"}, {}, 0, -1},
        {"files alone move down", {"A", "B", "C"}, {}, 1, Down, MoveResult::Moved, {"A", "C", "B"}, {}, 2, -1},
        {"with titles, down", {"A", "B", "C"}, {"a", "b", "c"}, 1, Down, MoveResult::Moved,
         {"A", "C", "B"}, {"a", "c", "b"}, 2, 2},
        {"with titles, up", {"A", "B", "C"}, {"a", "b", "c"}, 2, Up, MoveResult::Moved,
         {"A", "C", "B"}, {"a", "c", "b"}, 1, 1},
        {"top row up is silent", {"A", "B"}, {"a", "b"}, 0, Up, MoveResult::Stopped, {"A", "B"}, {"a", "b"}, 0, 0},
        {"bottom row down is silent", {"A", "B"}, {"a", "b"}, 1, Down, MoveResult::Stopped, {"A", "B"}, {"a", "b"}, 1, 1},
        // After "Get Names" stopped at C, the titles cover two rows only.
        {"short titles, a row without title moves up", {"A", "B", "C", "D"}, {"a", "b"}, 3, Up, MoveResult::Moved,
         {"A", "B", "D", "C"}, {"a", "b"}, 2, 1},
        {"short titles, the last titled row moves down", {"A", "B", "C", "D"}, {"a", "b"}, 1, Down, MoveResult::Moved,
         {"A", "C", "B", "D"}, {"a", "b"}, 2, 1},
        {"short titles, titled rows move", {"A", "B", "C", "D"}, {"a", "b"}, 1, Up, MoveResult::Moved,
         {"B", "A", "C", "D"}, {"b", "a"}, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        PreferenceOrder order = orderOf(c.files, c.titles, c.selected);
        EXPECT_EQ(c.direction == Up ? order.MoveUp() : order.MoveDown(), c.result);
        EXPECT_EQ(order.files(), c.filesAfter);
        EXPECT_EQ(order.titles(), c.titlesAfter);
        EXPECT_EQ(order.fileSelection(), c.fileSelection);
        EXPECT_EQ(order.titleSelection(), c.titleSelection);
    }
}

TEST(PreferenceOrder, PairsTheSelectionsInOneStep) {
    PreferenceOrder order = orderOf({"A", "B", "C"}, {"a", "b", "c"}, 2);
    RecordingObserver observer;
    order.setObserver(&observer);

    order.SelectTitleRow(0);
    order.SelectFileRow(1);
    order.SelectFileRow(1);
    EXPECT_EQ(observer.events, (Rows{"titles select 0", "files select 0", "files select 1", "titles select 1"}));
    EXPECT_EQ(order.selectedFile(), "B");
    EXPECT_EQ(order.selectedTitle(), "b");
}

TEST(PreferenceOrder, ARowTheListDoesNotHoldChangesNothing) {
    PreferenceOrder order = orderOf({"A", "B"}, {"a"}, 0);
    EXPECT_THROW(order.SelectFileRow(2), std::out_of_range);
    EXPECT_THROW(order.SelectTitleRow(1), std::out_of_range);
    EXPECT_THROW(order.SelectFileRow(-2), std::out_of_range);
    EXPECT_EQ(order.fileSelection(), 0);
    EXPECT_EQ(order.titleSelection(), 0);
}

TEST(PreferenceOrder, RefillingEmptiesBothListsAndKeepsTheTitlesShown) {
    PreferenceOrder order = orderOf({"A", "B"}, {"a", "b"}, 0);
    order.setTitleListShown(true);
    RecordingObserver observer;
    order.setObserver(&observer);

    order.replaceFiles({"X", "Y", "Z"});
    EXPECT_EQ(order.files(), (Rows{"X", "Y", "Z"}));
    EXPECT_TRUE(order.titles().empty());
    EXPECT_EQ(order.fileSelection(), -1);
    EXPECT_EQ(order.titleSelection(), -1);
    EXPECT_TRUE(order.titleListShown());
    EXPECT_EQ(observer.events, (Rows{"files reset", "titles reset"}));
}

}  // namespace
