#include "core/preference_order.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace quillmere;
using Rows = std::vector<std::string>;

namespace {

// One row per letter: "ABC" is the rows A, B, C.
Rows rows(const std::string& letters) {
    Rows result;
    for (const char letter : letters) {
        result.emplace_back(1, letter);
    }
    return result;
}

TEST(PreferenceOrder, MovesBothListsTogether) {
    enum Direction { Up, Down };
    using R = MoveResult;
    const struct {
        const char* why;
        std::string files, titles;
        int selected;
        Direction direction;
        MoveResult result;
        std::string filesAfter, titlesAfter;
        int fileSelection, titleSelection;
        bool titleClicked = false;
    } cases[] = {
        {"empty list, up asks for a selection", "", "", -1, Up, R::NothingSelected, "", "", -1, -1},
        {"empty list, down is silent", "", "", -1, Down, R::Stopped, "", "", -1, -1},
        {"nothing selected, up", "AB", "", -1, Up, R::NothingSelected, "AB", "", -1, -1},
        {"nothing selected, down", "AB", "", -1, Down, R::NothingSelected, "AB", "", -1, -1},
        {"with titles, down", "ABC", "abc", 1, Down, R::Moved, "ACB", "acb", 2, 2},
        {"with titles, up", "ABC", "abc", 2, Up, R::Moved, "ACB", "acb", 1, 1},
        {"a title clicked, up", "ABC", "abc", 1, Up, R::Moved, "BAC", "bac", 0, 0, true},
        {"top row up", "AB", "ab", 0, Up, R::Stopped, "AB", "ab", 0, 0},
        {"bottom row down", "AB", "ab", 1, Down, R::Stopped, "AB", "ab", 1, 1},
        // After "Get Names" stopped at C, the titles cover two rows only.
        {"short titles, untitled row up", "ABCD", "ab", 3, Up, R::Moved, "ABDC", "ab", 2, 1},
        {"short titles, last titled row down", "ABCD", "ab", 1, Down, R::Moved, "ACBD", "ab", 2, 1},
        {"short titles, titled rows", "ABCD", "ab", 1, Up, R::Moved, "BACD", "ba", 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        PreferenceOrder order;
        order.replaceFiles(rows(c.files));
        order.replaceTitles(rows(c.titles));
        c.titleClicked ? order.SelectTitleRow(c.selected) : order.SelectFileRow(c.selected);
        EXPECT_EQ(c.direction == Up ? order.MoveUp() : order.MoveDown(), c.result);
        EXPECT_EQ(order.files(), rows(c.filesAfter));
        EXPECT_EQ(order.titles(), rows(c.titlesAfter));
        EXPECT_EQ(order.fileSelection(), c.fileSelection);
        EXPECT_EQ(order.titleSelection(), c.titleSelection);
    }
}

}  // namespace
