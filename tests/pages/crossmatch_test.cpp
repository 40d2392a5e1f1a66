// Marking across markup: a match the search counts over a paragraph break, a
// tag, a skipped punctuation mark or the other text layer is marked piece by
// piece with one anchor; a cell whose matches the run-by-run marking already
// finds keeps its bytes.
#include "pages/crossmatch.h"

#include <gtest/gtest.h>

#include <string>

#include "pages/highlight.h"
#include "pages/pagecomposer.h"

namespace pages {
namespace {

const std::string kNoteOpen(kAnnotationOpener);
const std::string kNoteClose(kAnnotationCloser);

std::string Anchor(int n) {
    std::string out;
    AppendAnchor(out, n);
    return out;
}

std::string Mark(const std::string& text) {
    return std::string(kMarkOpener) + text + std::string(kMarkCloser);
}

std::string Frame(const std::string& cell) {
    return std::string(kFrameHead) + "t" + std::string(kFrameAfterTitle) + cell +
           std::string(kFrameBetweenCells) + "m" + std::string(kFrameTail);
}

std::string StoredPage(const std::string& cell) {
    return "<html><head><title>t</title></head><body><table><tr><TD>" + cell + "</TD><TD>m</TD>" +
           "</tr></table></body></html>";
}

TEST(CrossMarking, MarksPieceByPieceWithOneAnchorPerMatch) {
    struct Case {
        const char* what;
        std::string cell;
        const char* keyword;
        int layer;
        std::string marked;
        std::int32_t anchors;
    };
    std::string between300;
    for (int i = 0; i < 300; ++i) between300 += "一";
    const Case cases[] = {
        {"phrase over a paragraph break", "明<p>月", "明月", kWholeText,
         Anchor(0) + Mark("明") + "<p>" + Mark("月"), 1},
        {"phrase over two tags", "明<br><i>月</i>", "明月", kWholeText,
         Anchor(0) + Mark("明") + "<br><i>" + Mark("月") + "</i>", 1},
        {"punctuation the index skips", "明。月", "明月", kWholeText, Anchor(0) + Mark("明。月"),
         1},
        {"star over a paragraph break", "春日<p>清風", "春*風", kWholeText,
         Anchor(0) + Mark("春") + "日<p>清" + Mark("風"), 1},
        {"question mark over a tag", "明<br>白月", "明?月", kWholeText,
         Anchor(0) + Mark("明") + "<br>" + Mark("白月"), 1},
        {"main text into an annotation", "明" + kNoteOpen + "月" + kNoteClose, "明月", kWholeText,
         Anchor(0) + Mark("明") + kNoteOpen + Mark("月") + kNoteClose, 1},
        {"main layer over an annotation", "明" + kNoteOpen + "注" + kNoteClose + "月", "明月",
         kMainTextLayer, Anchor(0) + Mark("明") + kNoteOpen + "注" + kNoteClose + Mark("月"), 1},
        {"one match in a run, one across: both, across markup", "明月<p>明<p>月", "明月",
         kWholeText, Anchor(0) + Mark("明月") + "<p>" + Anchor(1) + Mark("明") + "<p>" + Mark("月"),
         2},
        {"star reaches 300 characters", "春" + between300 + "<p>風", "春*風", kWholeText,
         Anchor(0) + Mark("春") + between300 + "<p>" + Mark("風"), 1},
        {"star stops short of 301 characters", "春一" + between300 + "<p>風", "春*風", kWholeText,
         "春一" + between300 + "<p>風", 0},
    };
    for (const Case& c : cases) {
        std::string html;
        std::int32_t counter = 0;
        ComposeTermPass(StoredPage(c.cell), html, c.keyword, 0, c.layer, counter);
        EXPECT_EQ(html, Frame(c.marked)) << c.what;
        EXPECT_EQ(counter, c.anchors) << c.what;
    }
}

// Where the run-by-run marking finds every match, its output stands byte for
// byte: one anchor per piece of a '*' or '?' keyword, as before.
TEST(CrossMarking, CellsMarkedRunByRunKeepTheirBytes) {
    struct Case {
        std::string cell;
        const char* keyword;
    };
    const Case cases[] = {
        {"明月<p>明月", "明月"},
        {"春日風<p>春風", "春*風"},
        {"明白月。明", "明?月"},
        {"明明明", "明明"},
        {"甲" + kNoteOpen + "甲乙" + kNoteClose, "甲乙"},
        {"無<p>關<h4>係", "明月"},
        {"明月", "*"},
    };
    for (const Case& c : cases) {
        std::string runByRun;
        std::int32_t expectedAnchors = 0;
        for (const FilterItem& run : SplitRuns(c.cell)) {
            if (run.kind == kAnnotation) runByRun += kNoteOpen;
            HighlightRun(run.text, c.keyword, runByRun, expectedAnchors);
            if (run.kind == kAnnotation) runByRun += kNoteClose;
        }
        std::string html;
        std::int32_t counter = 0;
        ComposeTermPass(StoredPage(c.cell), html, c.keyword, 0, kWholeText, counter);
        EXPECT_EQ(html, Frame(runByRun)) << c.cell;
        EXPECT_EQ(counter, expectedAnchors) << c.cell;
    }
}

// A later keyword's pass sees the marks of the earlier ones as tags and marks
// around them; its pieces never land inside a tag.
TEST(CrossMarking, LaterPassesMarkAroundEarlierMarks) {
    std::string first;
    std::int32_t counter = 0;
    ComposeTermPass(StoredPage("明月<p>光"), first, "明", 0, kWholeText, counter);
    std::string second;
    ComposeTermPass(first, second, "月光", 0, kWholeText, counter);
    EXPECT_EQ(counter, 2);
    EXPECT_EQ(second, Frame(Anchor(0) + Mark("明") + Anchor(1) + Mark("月") + "<p>" + Mark("光")));
}

TEST(CrossMarking, WildcardsAtTheEndsAndUnindexedKeywordCharactersAreDropped) {
    const std::vector<CellSpan> spans = CellSpans("甲乙。丙", {true}, {0});
    for (const char* keyword : {"乙丙", "?乙丙?", "*乙。丙*"}) {
        const std::vector<CrossMatch> matches = FindCrossMatches("甲乙。丙", spans, keyword);
        ASSERT_EQ(matches.size(), 1u) << keyword;
        EXPECT_EQ(matches[0].parts.front().first, 3u) << keyword;
        EXPECT_EQ(matches[0].parts.back().second, 12u) << keyword;
    }
    EXPECT_TRUE(FindCrossMatches("甲乙。丙", spans, "??").empty());
    EXPECT_TRUE(FindCrossMatches("甲乙。丙", spans, "。").empty());
}

}  // namespace
}  // namespace pages
