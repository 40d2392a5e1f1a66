#include "pages/pagecomposer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>
#include <string>
#include <vector>

#include "pages/filelist.h"
#include "pages/highlight.h"
#include "tests/pages/storefixture.h"

namespace pages {
namespace {

const std::string kOpener(kAnnotationOpener);
const std::string kCloser(kAnnotationCloser);

std::string Anchor(int n) {
    std::string out;
    AppendAnchor(out, n);
    return out;
}

std::string Hit(int n, const std::string& text) {
    return Anchor(n) + std::string(kMarkOpener) + text + std::string(kMarkCloser);
}

std::string Frame(const std::string& title, const std::string& cell1, const std::string& cell2) {
    return std::string(kFrameHead) + title + std::string(kFrameAfterTitle) + cell1 +
           std::string(kFrameBetweenCells) + cell2 + std::string(kFrameTail);
}

// A page shaped like the ones the corpus builder stores.
std::string StoredPage(const std::string& title, const std::string& cell1,
                       const std::string& cell2) {
    return "<html><head><meta charset=\"UTF-8\"><title>" + title +
           "</title><style>td{}</style></head><body><table border=0><tr><TD width=80>" + cell1 +
           "</TD><TD valign=top>" + cell2 + "</TD></tr></table></body></html>";
}

// The parser and the run splitter written piece by piece, the plain way:
// the ones the composer uses give whole stretches at once and must agree.
bool StartsWith(std::string_view s, std::string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

enum PartState {
    kBeforeTitle,
    kInTitle,
    kAfterTitle,
    kInCell1,
    kBetweenCells,
    kInCell2,
    kAfterCells
};

HTMLNode* PartOf(std::array<HTMLNode, 3>& parts, int state) {
    switch (state) {
        case kInTitle:
            return &parts[0];
        case kInCell1:
            return &parts[1];
        case kInCell2:
            return &parts[2];
        default:
            return nullptr;
    }
}

std::array<HTMLNode, 3> PieceByPieceParsePage(std::string_view page) {
    std::array<HTMLNode, 3> parts;
    int state = kBeforeTitle;
    std::size_t i = 0;
    while (i < page.size()) {
        if (page[i] != '<') {
            const std::size_t next = std::min(page.find('<', i), page.size());
            if (HTMLNode* part = PartOf(parts, state)) part->text.append(page.substr(i, next - i));
            i = next;
            continue;
        }
        const std::size_t close = page.find('>', i);
        if (close == std::string_view::npos) break;  // a tag still open at the end is dropped
        const std::string_view tag = page.substr(i, close + 1 - i);
        i = close + 1;
        if (StartsWith(tag, "<title") && state == kBeforeTitle) {
            state = kInTitle;
        } else if (StartsWith(tag, "<TD")) {
            if (state == kAfterTitle) {
                state = kInCell1;
            } else if (state == kBetweenCells) {
                state = kInCell2;
            }
        } else if (StartsWith(tag, "</title>")) {
            state = kAfterTitle;
        } else if (StartsWith(tag, "</TD")) {
            if (state == kInCell1) {
                state = kBetweenCells;
            } else if (state == kInCell2) {
                state = kAfterCells;
            }
        } else if (HTMLNode* part = PartOf(parts, state)) {
            part->text.append(tag);
        }
    }
    return parts;
}

std::vector<FilterItem> PieceByPieceSplitRuns(std::string_view cell) {
    std::vector<FilterItem> runs(1);
    std::size_t i = 0;
    while (i < cell.size()) {
        if (cell[i] != '<') {
            const std::size_t next = std::min(cell.find('<', i), cell.size());
            runs.back().text.append(cell.substr(i, next - i));
            i = next;
            continue;
        }
        const std::size_t close = cell.find('>', i);
        if (close == std::string_view::npos) break;
        const std::string_view tag = cell.substr(i, close + 1 - i);
        i = close + 1;
        if (StartsWith(tag, kAnnotationOpener)) {
            runs.push_back(FilterItem{kAnnotation, {}});
        } else if (runs.back().kind == kAnnotation && StartsWith(tag, kAnnotationCloser)) {
            runs.push_back(FilterItem{kMainText, {}});
        } else {
            runs.back().text.append(tag);
        }
    }
    return runs;
}

TEST(ParsePage, AgreesWithThePieceByPieceParserOnRandomMarkup) {
    const std::string pieces[] = {"<title>", "</title>", "<TD>",     "</TD>", "<td>",
                                  "<TD x>",  "</TD >",   kOpener,    kCloser, "<p>",
                                  "<",       ">",        "甲",       "乙",    "<title x>",
                                  "</title", "a",        "<b>x</b>", "<TD"};
    std::mt19937 random(99);
    for (int round = 0; round < 5000; ++round) {
        std::string page;
        const int length = static_cast<int>(random() % 40);
        for (int i = 0; i < length; ++i) page += pieces[random() % std::size(pieces)];
        const std::array<HTMLNode, 3> got = ParsePage(page);
        const std::array<HTMLNode, 3> want = PieceByPieceParsePage(page);
        for (int part = 0; part < 3; ++part) {
            ASSERT_EQ(got[part].text, want[part].text) << "round " << round << " page " << page;
        }
        const std::vector<FilterItem> runs = SplitRuns(page);
        const std::vector<FilterItem> wantRuns = PieceByPieceSplitRuns(page);
        ASSERT_EQ(runs.size(), wantRuns.size()) << page;
        for (std::size_t r = 0; r < runs.size(); ++r) {
            ASSERT_EQ(runs[r].kind, wantRuns[r].kind) << page;
            ASSERT_EQ(runs[r].text, wantRuns[r].text) << page;
        }
    }
}

TEST(FrameTemplate, IsEmittedByteForByte) {
    EXPECT_EQ(Frame("T", "A", "B"),
              "<html><head>\t\t<meta http-equiv=\"Content-Type\" content=\"text/html; "
              "charset=UTF-8\"><title>T</title></head><div align=\"center\"><center><BODY>\t\t"
              "<TABLE border=1 cellPadding=0 cellSpacing=1 class=wd_gray height=477 width=635 "
              "bordercolor=\"#FFCC66\">\t\t<tr>  <TD height=477 width=80 vAlign=top "
              "align=\"center\" background=\"../Back.gif\">A</TD>\t\t<TD height=477 width=450 "
              "vAlign=top align=\"center\">B</TD> \t\t</tr></table></div></div>\t\t</center>"
              "</BODY></html>");
    EXPECT_EQ(kAnnotationOpener.size(), 30u);
}

TEST(ParsePage, ExtractsTitleAndCells) {
    struct Case {
        const char* what;
        std::string page;
        std::string title, cell1, cell2;
    };
    const Case cases[] = {
        {"stored page", StoredPage("題", "<div>欄</div>", "本<p>文"), "題", "<div>欄</div>",
         "本<p>文"},
        {"lower-case cells", "<title>題</title><td>甲</td><td>乙</td>", "題", "", ""},
        {"capital title", "<TITLE>題</TITLE><TD>甲</TD><TD>乙</TD>", "", "", ""},
        {"no title", "<html><TD>甲</TD><TD>乙</TD>", "", "", ""},
        {"cells before the title", "<TD>甲</TD><title>題</title><TD>乙</TD>", "題", "乙", ""},
        {"tag open at the end", "<title>題</title><TD>甲</TD><TD>乙<b", "題", "甲", "乙"},
        {"only one cell", "<title>題</title><TD>甲</TD>", "題", "甲", ""},
        {"markup in the title", "<title>題<i>x</i></title>", "題<i>x</i>", "", ""},
        {"'<' inside a tag", "<title>t</title><TD><a<b>c</TD><TD>d</TD>", "t", "<a<b>c", "d"},
        {"cell tags with attributes", "<title>t</title><TDX>a</TDX><TD>b</TD>", "t", "a", "b"},
        {"third cell is dropped", "<title>t</title><TD>a</TD><TD>b</TD><TD>c</TD>", "t", "a", "b"},
        {"empty page", "", "", "", ""},
    };
    for (const Case& c : cases) {
        const auto parts = ParsePage(c.page);
        EXPECT_EQ(parts[0].text, c.title) << c.what;
        EXPECT_EQ(parts[1].text, c.cell1) << c.what;
        EXPECT_EQ(parts[2].text, c.cell2) << c.what;
    }
}

TEST(SplitRuns, SeparatesMainTextAndAnnotations) {
    struct Run {
        int kind;
        std::string text;
    };
    struct Case {
        const char* what;
        std::string cell;
        std::vector<Run> runs;
    };
    const Case cases[] = {
        {"x note z",
         "x" + kOpener + "y" + kCloser + "z",
         {{kMainText, "x"}, {kAnnotation, "y"}, {kMainText, "z"}}},
        {"starts with a note",
         kOpener + "y" + kCloser,
         {{kMainText, ""}, {kAnnotation, "y"}, {kMainText, ""}}},
        {"opener inside a note",
         "x" + kOpener + "y" + kOpener + "w" + kCloser,
         {{kMainText, "x"}, {kAnnotation, "y"}, {kAnnotation, "w"}, {kMainText, ""}}},
        {"closer in main text stays", "x</font>y<b>z</b>", {{kMainText, "x</font>y<b>z</b>"}}},
        {"other font tag stays",
         "<font color=red>x</font>",
         {{kMainText, "<font color=red>x</font>"}}},
        {"empty cell", "", {{kMainText, ""}}},
    };
    for (const Case& c : cases) {
        const auto runs = SplitRuns(c.cell);
        ASSERT_EQ(runs.size(), c.runs.size()) << c.what;
        for (std::size_t i = 0; i < runs.size(); ++i) {
            EXPECT_EQ(runs[i].kind, c.runs[i].kind) << c.what << " #" << i;
            EXPECT_EQ(runs[i].text, c.runs[i].text) << c.what << " #" << i;
        }
    }
}

TEST(ComposeTermPass, MarksTheRunsOfTheTextLayer) {
    const std::string cell = "甲乙" + kOpener + "甲丙" + kCloser + "丁甲";
    const std::string page = StoredPage("題甲", cell, "欄甲");
    struct Case {
        int layer;
        std::string cell;
        std::int32_t anchors;
    };
    const Case cases[] = {
        {kWholeText,
         Hit(0, "甲") + "乙" + kOpener + Hit(1, "甲") + "丙" + kCloser + "丁" + Hit(2, "甲"), 3},
        {kMainTextLayer, Hit(0, "甲") + "乙" + kOpener + "甲丙" + kCloser + "丁" + Hit(1, "甲"), 2},
        {kAnnotationLayer, "甲乙" + kOpener + Hit(0, "甲") + "丙" + kCloser + "丁甲", 1},
    };
    for (const Case& c : cases) {
        std::string html;
        std::int32_t counter = 0;
        ComposeTermPass(page, html, "甲", 0, c.layer, counter);
        EXPECT_EQ(html, Frame("題甲", c.cell, "欄甲")) << c.layer;
        EXPECT_EQ(counter, c.anchors) << c.layer;
    }
}

TEST(ComposeTermPass, ParityChoosesTheTextCell) {
    const std::string page = StoredPage("甲", "甲", "甲");
    for (int parity : {0, 1}) {
        std::string html;
        std::int32_t counter = 0;
        ComposeTermPass(page, html, "甲", parity, kWholeText, counter);
        EXPECT_EQ(html,
                  parity == 0 ? Frame("甲", Hit(0, "甲"), "甲") : Frame("甲", "甲", Hit(0, "甲")));
        EXPECT_EQ(counter, 1);
    }
}

TEST(ComposeTermPass, AnnotationKeywordInMainLayerStillShowsTheNote) {
    const std::string page = StoredPage("t", "乙" + kOpener + "甲" + kCloser, "m");
    std::string html;
    std::int32_t counter = 0;
    ComposeTermPass(page, html, "甲", 0, kMainTextLayer, counter);
    EXPECT_EQ(counter, 0);
    EXPECT_EQ(html, Frame("t", "乙" + kOpener + "甲" + kCloser, "m"));
}

// The search counts a match that runs from main text into an annotation, so
// the page marks it, piece by piece around the annotation's tag.
TEST(ComposeTermPass, MatchesRunOnIntoTheNextRun) {
    const std::string page = StoredPage("t", "甲" + kOpener + "乙" + kCloser, "m");
    std::string html;
    std::int32_t counter = 0;
    ComposeTermPass(page, html, "甲*乙", 0, kWholeText, counter);
    EXPECT_EQ(counter, 1);
    EXPECT_EQ(html, Frame("t",
                          Hit(0, "甲") + kOpener + std::string(kMarkOpener) + "乙" +
                              std::string(kMarkCloser) + kCloser,
                          "m"));
}

// Later passes parse the frame of the earlier ones: a pass that finds nothing
// must give back exactly the framed page it was given.
TEST(ComposeTermPass, PassWithoutMatchLeavesAFramedPageUnchanged) {
    const std::string cells[] = {
        "x" + kOpener + "y" + kOpener + "w" + kCloser + "z",
        kOpener + "甲",
        "a</font>b<TD>c",
        "<title>t</title>甲<p>乙",
        "",
    };
    for (const std::string& cell : cells) {
        std::string framed;
        std::int32_t counter = 0;
        ComposeTermPass(StoredPage("<i>題</i>", cell, "欄<title>"), framed, "甲", 0, kWholeText,
                        counter);
        for (int layer : {0, 1, 2}) {
            std::string again;
            std::int32_t none = 0;
            ComposeTermPass(framed, again, "丙", 0, layer, none);
            EXPECT_EQ(again, framed) << cell;
            EXPECT_EQ(none, 0);
        }
    }
}

// The same claim on random pages made of page markup, stray tag bytes and
// text: once framed, a pass that writes no anchor changes no byte.
TEST(ComposeTermPass, RandomFramedPagesAreFixedPointsOfPassesWithoutMatch) {
    const std::string pieces[] = {"<title>", "</title>", "<TD>", "</TD>", "<td>", kOpener,
                                  kCloser,   "<p>",      "<h4>", "<",     ">",    "/",
                                  "甲",      "乙",       "丙",   "甲乙",  "a",    "<b>x</b>"};
    const std::string keywords[] = {"甲", "乙*甲", "甲?丙", "丙乙", "*", "a", "丁", "甲**乙"};
    std::mt19937 random(4242);
    for (int round = 0; round < 3000; ++round) {
        std::string page;
        const int length = static_cast<int>(random() % 40);
        for (int i = 0; i < length; ++i) page += pieces[random() % std::size(pieces)];
        const int parity = static_cast<int>(random() % 2);
        const int layer = static_cast<int>(random() % 3);
        std::string framed;
        std::int32_t counter = 0;
        ComposeTermPass(page, framed, keywords[random() % std::size(keywords)], parity, layer,
                        counter);
        for (const std::string& keyword : keywords) {
            std::string again;
            std::int32_t after = counter;
            ComposeTermPass(framed, again, keyword, parity, layer, after);
            if (after == counter) {
                ASSERT_EQ(again, framed) << "round " << round << " page " << page;
            }
        }
    }
}

class ComposeHitPageTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fixture.Write({{"v\\0012.htm", StoredPage("題", "甲乙甲丙", "乙")},
                       {"v\\0013.htm", StoredPage("題", "乙", "甲乙甲丙")},
                       {"nonumber", StoredPage("題", "甲", "甲")},
                       {"v\\0014.htm", ""}});
        ASSERT_TRUE(list.Load(fixture.Dir(), "Index"));
    }
    testing::StoreFixture fixture;
    CFileList list;
};

TEST_F(ComposeHitPageTest, ParityOfThePageNumberChoosesTheCell) {
    std::string html;
    EXPECT_EQ(list.ComposeHitPage(0, html, u"甲", 0), 2);
    EXPECT_EQ(html, Frame("題", Hit(0, "甲") + "乙" + Hit(1, "甲") + "丙", "乙"));
    html.clear();
    EXPECT_EQ(list.ComposeHitPage(1, html, u"甲", 0), 2);
    EXPECT_EQ(html, Frame("題", "乙", Hit(0, "甲") + "乙" + Hit(1, "甲") + "丙"));
    html.clear();
    EXPECT_EQ(list.ComposeHitPage(2, html, u"甲", 0), 1);  // no page number: page 0
    EXPECT_EQ(html, Frame("題", Hit(0, "甲"), "甲"));
}

TEST_F(ComposeHitPageTest, AnchorsAreNumberedKeywordByKeyword) {
    std::string html;
    EXPECT_EQ(list.ComposeHitPage(0, html, u"甲\u3000丙 乙", 0), 4);
    EXPECT_EQ(html, Frame("題", Hit(0, "甲") + Hit(3, "乙") + Hit(1, "甲") + Hit(2, "丙"), "乙"));
}

TEST_F(ComposeHitPageTest, RepeatedKeywordAddsNothing) {
    std::string once;
    std::string repeated;
    EXPECT_EQ(list.ComposeHitPage(0, once, u"甲 丙", 0), 3);
    EXPECT_EQ(list.ComposeHitPage(0, repeated, u"  甲  丙 甲\u3000", 0), 3);
    EXPECT_EQ(repeated, once);
}

TEST_F(ComposeHitPageTest, NoKeywordLeavesTheOutputUntouched) {
    for (std::u16string keywords : {u"", u"\u3000\u3000", u" ", u" \u3000 "}) {
        std::string html = "kept";
        EXPECT_EQ(list.ComposeHitPage(0, html, keywords, 0), 0);
        EXPECT_EQ(html, "kept");
    }
}

TEST_F(ComposeHitPageTest, KeywordWithoutMatchStillFramesThePage) {
    std::string html = "old";
    EXPECT_EQ(list.ComposeHitPage(0, html, u"丁", 0), 0);
    EXPECT_EQ(html, Frame("題", "甲乙甲丙", "乙"));
    EXPECT_EQ(list.ComposeHitPage(3, html, u"丁", 0), 0);  // an empty page
    EXPECT_EQ(html, Frame("", "", ""));
}

TEST_F(ComposeHitPageTest, MissingRecordOrUnloadedStoreGivesZero) {
    std::string html = "kept";
    EXPECT_EQ(list.ComposeHitPage(4, html, u"甲", 0), 0);
    list.Close();
    EXPECT_EQ(list.ComposeHitPage(0, html, u"甲", 0), 0);
    EXPECT_EQ(html, "kept");
}

}  // namespace
}  // namespace pages
