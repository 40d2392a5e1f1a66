#include "shell/commandrules.h"

#include <gtest/gtest.h>

#include "shell/commandids.h"

namespace shell {
namespace {

CommandState Volume(int firstPage, int pageCount, int page) {
    CommandState s;
    s.currentVolume = 3;
    s.volumeFirstPage = firstPage;
    s.volumePageCount = pageCount;
    s.currentPage = page;
    return s;
}

TEST(CommandRules, EditAndPrintFollowTheBlankPage) {
    for (int id : {kIdCopy, kIdSelectAll, kIdPrint, kIdPrintSettings, kIdPageCopy, kIdPageSelectAll,
                   kIdFilePrint}) {
        CommandState s;
        EXPECT_FALSE(IsCommandEnabled(id, s)) << id;
        s.pageShown = true;
        EXPECT_TRUE(IsCommandEnabled(id, s)) << id;
    }
}

TEST(CommandRules, PageCommandsAtFirstMiddleAndLastPage) {
    struct Case {
        int page;
        bool prev;
        bool next;
    };
    // A volume of pages 1 .. 3.
    for (const Case& c : {Case{1, false, true}, Case{2, true, true}, Case{3, true, false}}) {
        const CommandState s = Volume(1, 3, c.page);
        EXPECT_EQ(IsCommandEnabled(kIdPrevPage, s), c.prev) << c.page;
        EXPECT_EQ(IsCommandEnabled(kIdNextPage, s), c.next) << c.page;
    }
    // Numbering that starts at 5: pages 5 .. 16.
    EXPECT_FALSE(IsCommandEnabled(kIdPrevPage, Volume(5, 12, 5)));
    EXPECT_TRUE(IsCommandEnabled(kIdNextPage, Volume(5, 12, 15)));
    EXPECT_FALSE(IsCommandEnabled(kIdNextPage, Volume(5, 12, 16)));
}

TEST(CommandRules, NoVolumeDisablesPageAndVolumeCommands) {
    CommandState s = Volume(1, 3, 2);
    s.volumeBefore = s.volumeAfter = true;
    s.currentVolume = 0;
    for (int id : {kIdPrevPage, kIdNextPage, kIdPrevVolume, kIdNextVolume}) {
        EXPECT_FALSE(IsCommandEnabled(id, s)) << id;
    }
}

TEST(CommandRules, OnePageVolumeHasNoPageSteps) {
    const CommandState s = Volume(7, 1, 7);
    EXPECT_FALSE(IsCommandEnabled(kIdPrevPage, s));
    EXPECT_FALSE(IsCommandEnabled(kIdNextPage, s));
}

TEST(CommandRules, VolumeCommandsFollowNeighbours) {
    CommandState s = Volume(1, 3, 1);
    EXPECT_FALSE(IsCommandEnabled(kIdPrevVolume, s));
    EXPECT_FALSE(IsCommandEnabled(kIdNextVolume, s));
    s.volumeBefore = true;
    s.volumeAfter = true;
    EXPECT_TRUE(IsCommandEnabled(kIdPrevVolume, s));
    EXPECT_TRUE(IsCommandEnabled(kIdNextVolume, s));
}

TEST(CommandRules, HitCommandsStepThroughThreeHits) {
    struct Case {
        int hit;
        bool prev;
        bool next;
    };
    for (const Case& c : {Case{0, false, true}, Case{1, true, true}, Case{2, true, false}}) {
        CommandState s;
        s.hitCount = 3;
        s.currentHit = c.hit;
        EXPECT_EQ(IsCommandEnabled(kIdPrevHit, s), c.prev) << c.hit;
        EXPECT_EQ(IsCommandEnabled(kIdNextHit, s), c.next) << c.hit;
    }
    CommandState none;
    EXPECT_FALSE(IsCommandEnabled(kIdNextHit, none));
}

TEST(CommandRules, ReadingCommandsFollowZoomPageAndHistory) {
    struct Case {
        int zoom;
        bool in;
        bool out;
    };
    for (const Case& c : {Case{50, true, false}, Case{100, true, true}, Case{300, false, true}}) {
        CommandState s;
        s.zoomPercent = c.zoom;
        EXPECT_EQ(IsCommandEnabled(kIdZoomIn, s), c.in) << c.zoom;
        EXPECT_EQ(IsCommandEnabled(kIdZoomOut, s), c.out) << c.zoom;
    }
    CommandState s;
    EXPECT_FALSE(IsCommandEnabled(kIdFindInPage, s));
    EXPECT_FALSE(IsCommandEnabled(kIdHistoryBack, s));
    EXPECT_FALSE(IsCommandEnabled(kIdHistoryForward, s));
    s.pageShown = true;
    s.canGoBack = true;
    EXPECT_TRUE(IsCommandEnabled(kIdFindInPage, s));
    EXPECT_TRUE(IsCommandEnabled(kIdHistoryBack, s));
    EXPECT_FALSE(IsCommandEnabled(kIdHistoryForward, s));
    s.canGoForward = true;
    EXPECT_TRUE(IsCommandEnabled(kIdHistoryForward, s));
    for (int id : {kIdZoomReset, kIdVertical, kIdPageFont, kIdSchemeSystem, kIdSchemeLight,
                   kIdSchemeDark, kIdFocusKeyword}) {
        EXPECT_TRUE(IsCommandEnabled(id, CommandState{})) << id;
    }
}

TEST(CommandRules, CommandsWithoutRuleAreEnabled) {
    const CommandState s;
    for (int id : {kIdShowAll, kIdExit, kIdAbout, kIdHelp, kIdViewToolbar, kIdViewStatusBar}) {
        EXPECT_TRUE(IsCommandEnabled(id, s)) << id;
    }
}

}  // namespace
}  // namespace shell
