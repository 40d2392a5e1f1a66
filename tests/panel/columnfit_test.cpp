#include "panel/columnfit.h"

#include <gtest/gtest.h>

#include <vector>

namespace panel {
namespace {

TEST(ColumnFit, TitleGivesWayAndTakesTheRoomLeft) {
    struct Case {
        std::vector<int> needed;
        int available;
        std::vector<int> expected;
    };
    // 類別, 書名, 巻, 頁; 書名 gives way down to 40 pixels.
    const Case cases[] = {
        {{40, 100, 90, 40}, 400, {40, 230, 90, 40}},  // room left over goes to 書名
        {{40, 100, 90, 40}, 270, {40, 100, 90, 40}},  // an exact fit
        {{40, 300, 90, 40}, 250, {40, 80, 90, 40}},   // 書名 cut, 巻 whole
        {{40, 300, 90, 40}, 150, {40, 40, 90, 40}},   // 書名 at its minimum
        {{40, 30, 90, 40}, 150, {40, 30, 90, 40}},    // a short 書名 stays short
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FitColumns(c.needed, c.available, 1, 40), c.expected) << c.available;
    }
    EXPECT_EQ(FitColumns({10, 20}, 5, 7, 40), (std::vector<int>{10, 20}));
}

TEST(ColumnFit, FullWidthTextCountsCharacters) {
    EXPECT_EQ(FullWidthTextWidth(u"", 14), 0);
    EXPECT_EQ(FullWidthTextWidth(u"不知何處", 14), 56);
    EXPECT_EQ(FullWidthTextWidth(u"春，風。", 14), 56);
    EXPECT_EQ(FullWidthTextWidth(u"\U00020000字", 14), 28);  // a pair is one character
}

}  // namespace
}  // namespace panel
