#include "shell/splitterlayout.h"

#include <gtest/gtest.h>

namespace shell {
namespace {

TEST(SplitterLayout, FormatsFourNumbers) {
    EXPECT_EQ((SplitterLayout{-1, 260, -1, 1000}.Format()), "-1 260 -1 1000");
    EXPECT_EQ((SplitterLayout{0, 260, -1, 1000}.Format()), "0 260 -1 1000");
    EXPECT_EQ((SplitterLayout{-1, -1, -1, -1}.Format()), "-1 100 -1 100");
    EXPECT_EQ(SplitterEntryName(0), "Panes_0");
}

TEST(SplitterLayout, ParsesWhatItWrites) {
    SplitterLayout layout;
    ASSERT_TRUE(layout.Parse("0 260 -1 1000"));
    EXPECT_EQ(layout, (SplitterLayout{0, 260, -1, 1000}));
    ASSERT_TRUE(layout.Parse("-1 150 -1 150"));
    EXPECT_EQ(layout, (SplitterLayout{-1, 150, -1, 150}));
}

TEST(SplitterLayout, RefusesDamagedText) {
    for (const char* text : {"", "1 2 3", "1 2 3 x", "1 2 3 4 5", "a b c d", "1,2,3,4"}) {
        SplitterLayout layout{0, 1, 2, 3};
        EXPECT_FALSE(layout.Parse(text)) << text;
        EXPECT_EQ(layout, (SplitterLayout{0, 1, 2, 3})) << text;
    }
}

TEST(SplitterLayout, CheckedLayoutKeepsOnlyUsableValues) {
    struct Case {
        SplitterLayout saved;
        SplitterLayout expected;
    };
    const Case cases[] = {
        {{-1, 300, -1, 900}, {-1, 300, -1, 900}},   {{0, 300, -1, 900}, {0, 300, -1, 900}},
        {{5, 300, 7, 900}, {-1, 300, -1, 900}},     {{-1, 20, -1, 900}, {-1, 260, -1, 900}},
        {{-1, 90000, -1, 900}, {-1, 260, -1, 900}}, {{-1, -1, -1, 900}, {-1, 260, -1, 900}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CheckedLayout(c.saved, 260, 120, 2000), c.expected) << c.saved.Format();
    }
}

TEST(SplitterLayout, LeftPaneGivesWayBeforeThePagePane) {
    struct Case {
        int extent;
        int wanted;
        PaneSizes expected;
    };
    // handle 5, first pane at least 150, second at least 400
    const Case cases[] = {
        {1605, 260, {260, 1340}},   // room for both
        {805, 260, {260, 540}},     // still room
        {605, 260, {200, 400}},     // the first gives way
        {505, 260, {150, 350}},     // the first at its minimum, then the second shrinks
        {100, 260, {95, 0}},        // smaller than any minimum
        {1605, 1500, {1200, 400}},  // a wide first pane leaves the second its minimum
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SplitPanes(c.extent, 5, c.wanted, 150, 400), c.expected) << c.extent;
    }
}

}  // namespace
}  // namespace shell
