#include "progress.h"

#include <gtest/gtest.h>

#include <vector>

using namespace quillmere;

namespace {

TEST(Progress, BarAndPercentageForEachPass) {
    const struct {
        int rowCount;
        std::vector<float> widths;
        std::vector<std::string> percentages;
    } cases[] = {
        {1, {2415.0f}, {"100%"}},
        {7, {345.0f, 690.0f, 1035.0f, 1380.0f, 1725.0f, 2070.0f, 2415.0f},
         {"14.2857142857143%", "28.5714285714286%", "42.8571428571429%", "57.1428571428571%",
          "71.4285714285714%", "85.7142857142857%", "100%"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rowCount);
        for (int pass = 1; pass <= c.rowCount; ++pass) {
            EXPECT_EQ(progressBarWidth(2415.0f, pass, c.rowCount), c.widths[pass - 1]);
            EXPECT_EQ(percentageText(pass, c.rowCount, "."), c.percentages[pass - 1]);
        }
    }
}

TEST(Progress, LargeCountsAndTheLocaleSeparator) {
    EXPECT_EQ(percentageText(1, 3, ","), "33,3333333333333%");
    EXPECT_EQ(percentageText(1, 3, "\xd9\xab"), "33\xd9\xab" "3333333333333%");
    // 100 x 40000 is past 16 bits and still exact.
    EXPECT_EQ(percentageText(40000, 40000, "."), "100%");
    EXPECT_EQ(percentageText(1, 40000, "."), "0.0025%");
    EXPECT_EQ(percentageText(20000, 40000, "."), "50%");
}

}  // namespace
