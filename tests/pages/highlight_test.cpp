#include "pages/highlight.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pages/findbytes.h"

namespace pages {
namespace {

std::string Anchor(int n) {
    std::string out;
    AppendAnchor(out, n);
    return out;
}

std::string Marked(const std::string& text) {
    return std::string(kMarkOpener) + text + std::string(kMarkCloser);
}

// One anchored single-piece hit.
std::string Hit(int n, const std::string& text) { return Anchor(n) + Marked(text); }

std::string Highlight(const std::string& run, const std::string& keyword, std::int32_t& counter) {
    std::string out;
    HighlightRun(run, keyword, out, counter);
    return out;
}

TEST(AppendAnchor, PadsToFourDigitsAndWritesLargerNumbersWhole) {
    EXPECT_EQ(Anchor(0), "<a name=\"0000\"></a>");
    EXPECT_EQ(Anchor(42), "<a name=\"0042\"></a>");
    EXPECT_EQ(Anchor(9999), "<a name=\"9999\"></a>");
    EXPECT_EQ(Anchor(10000), "<a name=\"10000\"></a>");
    EXPECT_EQ(Anchor(123456), "<a name=\"123456\"></a>");
}

TEST(SplitTerm, CutsAtWildcards) {
    struct Expected {
        std::int32_t type;
        std::string text;
        std::int32_t count;  // checked for type 1 only
    };
    struct Case {
        std::string keyword;
        std::vector<Expected> segs;
    };
    const Case cases[] = {
        {"甲乙", {{kSegFirst, "甲乙", 0}}},
        {"甲??乙", {{kSegFirst, "甲", 0}, {kSegAfterGap, "乙", 2}}},
        {"甲?乙?丙", {{kSegFirst, "甲", 0}, {kSegAfterGap, "乙", 1}, {kSegAfterGap, "丙", 1}}},
        {"甲*乙", {{kSegFirst, "甲", 0}, {kSegAfterStar, "乙", 0}}},
        {"*甲", {{kSegAfterStar, "甲", 0}}},
        {"?甲", {{kSegFirst, "甲", 0}}},
        {"甲?", {{kSegFirst, "甲", 0}}},
        {"甲**乙*", {{kSegFirst, "甲", 0}, {kSegAfterStar, "乙", 0}}},
        {"甲?*?乙", {{kSegFirst, "甲", 0}, {kSegAfterStar, "乙", 0}}},
        {"*?甲?乙", {{kSegAfterStar, "甲", 0}, {kSegAfterGap, "乙", 1}}},
        {"??", {}},
        {"*?*", {}},
        {"", {}},
    };
    for (const Case& c : cases) {
        std::vector<Seg> segs{Seg{}};  // replaced, not appended to
        SplitTerm(c.keyword, segs);
        ASSERT_EQ(segs.size(), c.segs.size()) << c.keyword;
        for (std::size_t i = 0; i < segs.size(); ++i) {
            EXPECT_EQ(segs[i].type, c.segs[i].type) << c.keyword << " #" << i;
            EXPECT_EQ(segs[i].text, c.segs[i].text) << c.keyword << " #" << i;
            if (segs[i].type == kSegAfterGap) {
                EXPECT_EQ(segs[i].count, c.segs[i].count) << c.keyword << " #" << i;
            }
        }
    }
}

TEST(HighlightRun, MarksLeftmostNonOverlappingMatches) {
    struct Case {
        std::string run;
        std::string keyword;
        std::string expected;
        std::int32_t anchors;
    };
    const Case cases[] = {
        {"甲甲甲", "甲甲", Hit(0, "甲甲") + "甲", 1},
        {"乙甲丙甲", "甲", "乙" + Hit(0, "甲") + "丙" + Hit(1, "甲"), 2},
        {"乙丙", "甲", "乙丙", 0},
        {"", "甲", "", 0},
        {"甲<b>乙", "甲乙", "甲<b>乙", 0},
        {"甲乙", "", "甲乙", 0},
        {"甲乙", "??", "甲乙", 0},
        {"丁甲丙乙", "甲*乙", "丁" + Hit(0, "甲") + "丙" + Hit(1, "乙"), 2},
        {"甲<b>x</b>乙", "甲*乙", Hit(0, "甲") + "<b>x</b>" + Hit(1, "乙"), 2},
        {"甲丙乙", "甲?乙", Hit(0, "甲") + Marked(Anchor(1) + "丙") + Hit(2, "乙"), 3},
        {"甲乙", "甲?乙", "甲乙", 0},
        {"甲丙丙乙", "甲?乙", "甲丙丙乙", 0},
        {"甲丙丙乙", "甲??乙", Hit(0, "甲") + Marked(Anchor(1) + "丙丙") + Hit(2, "乙"), 3},
        {"甲a乙", "甲?乙", "甲a乙", 0},  // '?' is exactly three bytes
        {"甲é乙", "甲?乙", "甲é乙", 0},
        {"甲\U00020000乙", "甲?乙", "甲\U00020000乙", 0},
        {"甲乙", "甲乙?", Hit(0, "甲乙"), 1},
        {"ＡＢ？", "Ｂ？", "Ａ" + Hit(0, "Ｂ？"), 1},  // U+FF1F is literal here
    };
    for (const Case& c : cases) {
        std::int32_t counter = 0;
        EXPECT_EQ(Highlight(c.run, c.keyword, counter), c.expected) << c.run << " / " << c.keyword;
        EXPECT_EQ(counter, c.anchors) << c.run << " / " << c.keyword;
    }
}

TEST(HighlightRun, StarStopsAtExactParagraphAndHeadingBarriers) {
    struct Case {
        std::string run;
        std::string expected;
    };
    const Case cases[] = {
        {"甲丙<p>丙乙", "甲丙<p>丙乙"},
        {"甲丙<h4>丙乙", "甲丙<h4>丙乙"},
        {"甲<P>乙", Hit(0, "甲") + "<P>" + Hit(1, "乙")},
        {"甲<p class=x>乙", Hit(0, "甲") + "<p class=x>" + Hit(1, "乙")},
        {"甲<H4>乙", Hit(0, "甲") + "<H4>" + Hit(1, "乙")},
        {"甲<p>甲丙乙", "甲<p>" + Hit(0, "甲") + "丙" + Hit(1, "乙")},
        {"甲<h4>丁<p>甲乙", "甲<h4>丁<p>" + Hit(0, "甲") + Hit(1, "乙")},
        {"甲乙<p>", Hit(0, "甲") + Hit(1, "乙") + "<p>"},
    };
    for (const Case& c : cases) {
        std::int32_t counter = 0;
        EXPECT_EQ(Highlight(c.run, "甲*乙", counter), c.expected) << c.run;
    }
}

TEST(HighlightRun, FailedAttemptResumesWhereItsFailedPieceLeftOff) {
    std::int32_t counter = 0;
    const std::string out = Highlight("甲丙丙乙甲丙乙甲", "甲?乙*甲", counter);
    EXPECT_EQ(counter, 4);
    EXPECT_EQ(out,
              "甲丙丙乙" + Hit(0, "甲") + Marked(Anchor(1) + "丙") + Hit(2, "乙") + Hit(3, "甲"));
}

TEST(HighlightRun, FailedGapPieceResumesBehindThePreviousPiece) {
    // The first 甲 fails its gap; the attempt from behind it finds 甲丙乙.
    std::int32_t counter = 0;
    const std::string out = Highlight("甲甲丙乙", "甲?乙", counter);
    EXPECT_EQ(out, "甲" + Hit(0, "甲") + Marked(Anchor(1) + "丙") + Hit(2, "乙"));
    EXPECT_EQ(counter, 3);
}

TEST(HighlightRun, AnchorsContinueFromTheCounter) {
    std::int32_t counter = 9998;
    const std::string out = Highlight("甲乙甲", "甲", counter);
    EXPECT_EQ(out, Hit(9998, "甲") + "乙" + Hit(9999, "甲"));
    EXPECT_EQ(counter, 10000);
    EXPECT_EQ(Highlight("甲", "甲", counter), Hit(10000, "甲"));
    EXPECT_EQ(counter, 10001);
}

TEST(HighlightRun, TenMatchesGetAnchorsZeroToNine) {
    std::string run;
    std::string expected;
    for (int i = 0; i < 10; ++i) {
        run += "甲乙";
        expected += Hit(i, "甲") + "乙";
    }
    std::int32_t counter = 0;
    EXPECT_EQ(Highlight(run, "甲", counter), expected);
    EXPECT_EQ(counter, 10);
}

TEST(HighlightRun, PiecesMatchOnlyOutsideTags) {
    struct Case {
        std::string run;
        std::string keyword;
        std::string expected;
    };
    const Case cases[] = {
        {"<span title=\"甲\">甲</span>", "甲", "<span title=\"甲\">" + Hit(0, "甲") + "</span>"},
        {"<a>a</a>", "a", "<a>" + Hit(0, "a") + "</a>"},
        {"甲<b>乙", "甲?乙", Hit(0, "甲") + Marked(Anchor(1) + "<b>") + Hit(2, "乙")},
        {"<甲乙", "乙", "<甲乙"},  // an unclosed '<' runs to the end
        {"甲<x 乙>乙", "甲*乙", Hit(0, "甲") + "<x 乙>" + Hit(1, "乙")},
    };
    for (const Case& c : cases) {
        std::int32_t counter = 0;
        EXPECT_EQ(Highlight(c.run, c.keyword, counter), c.expected) << c.run << " / " << c.keyword;
    }
}

TEST(HighlightRun, EarlierMarksSplitLaterMatches) {
    std::int32_t counter = 0;
    const std::string marked = Highlight("甲乙", "甲", counter);
    counter = 0;
    EXPECT_EQ(Highlight(marked, "甲乙", counter), marked);
    EXPECT_EQ(counter, 0);
}

TEST(FindBytes, AnswersAsStringViewFindDoesAtTheEdges) {
    struct Case {
        std::string_view text;
        std::string_view needle;
        std::size_t from;
    };
    const Case cases[] = {
        {{}, "甲", 0},     {{}, {}, 0},       {"甲乙", "乙", 0},     {"甲乙", "乙", 3},
        {"甲乙", "乙", 4}, {"甲乙", "甲", 1}, {"甲乙", "甲乙丙", 0}, {"甲乙", {}, 6},
        {"甲乙", {}, 7},   {"甲乙", "乙", 9}, {"a<b>乙", "<b>", 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FindBytes(c.text, c.needle, c.from), c.text.find(c.needle, c.from))
            << c.text << " / " << c.needle << " from " << c.from;
    }
}

}  // namespace
}  // namespace pages
