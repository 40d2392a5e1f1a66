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

}  // namespace
}  // namespace shell
