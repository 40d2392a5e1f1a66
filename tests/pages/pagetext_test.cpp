// Page text by index position: the characters of a stored page as the index
// counts them, and the page rebuilt with position spans marked.
#include "pages/pagetext.h"

#include <gtest/gtest.h>

#include <string>

#include "pages/highlight.h"

namespace pages {
namespace {

// An odd page (text in the second cell) as orvale-build stores it: 甲乙 and
// 丙, a note 丁戊 across a paragraph break, an entity and Latin text.
std::string StoredPage(const std::string& text) {
    return "<html><head><meta charset=\"UTF-8\"><title>春 巻一</title></head><body><table><tr>"
           "<TD width=80><div>春<br>巻一<br>3</div></TD><TD width=450><div>" +
           text + "</div></TD></tr></table></body></html>";
}

const std::string kText =
    "甲乙。<p>丙<font size=-1 color=\"#993366\">丁</font><p>"
    "<font size=-1 color=\"#993366\">戊</font>a&amp;己";

TEST(PageTextTest, CharactersTakeTheIndexPositions) {
    const std::vector<PageChar> chars = PageCharacters(StoredPage(kText), 1);
    std::u32string text;
    std::vector<int> positions;
    for (const PageChar& ch : chars) {
        text += ch.cp;
        positions.push_back(ch.position);
    }
    EXPECT_EQ(text, U"甲乙。\n丙丁\n戊a&己");
    EXPECT_EQ(positions, (std::vector<int>{0, 1, -1, -1, 2, 3, -1, 4, -1, -1, 5}));
    EXPECT_TRUE(chars[5].annotation);
    EXPECT_FALSE(chars[4].annotation);
    EXPECT_EQ(PageCharsText(chars, 0, chars.size()), "甲乙。／丙丁／戊a&己");
    // Parity 0 reads the first cell, here the margin.
    const std::vector<PageChar> margin = PageCharacters(StoredPage(kText), 0);
    EXPECT_EQ(PageCharsText(margin, 0, margin.size()), "春／巻一／3");
}

TEST(PageTextTest, MarksSpansWithoutCrossingTags) {
    struct Case {
        std::vector<PositionSpan> spans;
        std::vector<std::string> marked;  // the text of each mark, in order
        int anchors;
    };
    const Case cases[] = {
        {{{0, 2}}, {"甲乙"}, 1},
        // Punctuation inside a span is marked; a paragraph break and an
        // annotation boundary end a mark and the next part opens another.
        {{{1, 3}}, {"乙。", "丙"}, 1},
        {{{2, 5}}, {"丙", "丁", "戊"}, 1},
        {{{0, 1}, {3, 6}}, {"甲", "丁", "戊", "a&amp;己"}, 2},
        {{{0, 2}, {1, 3}}, {"甲乙。", "丙"}, 1},  // overlapping spans: one stretch
        {{}, {}, 0},
    };
    for (const Case& c : cases) {
        std::string html;
        const std::int32_t anchors = ComposeMarkedPage(StoredPage(kText), 1, c.spans, html);
        EXPECT_EQ(anchors, c.anchors) << html;
        std::vector<std::string> marked;
        for (std::size_t at = html.find(kMarkOpener); at != std::string::npos;
             at = html.find(kMarkOpener, at + 1)) {
            const std::size_t start = at + kMarkOpener.size();
            marked.push_back(html.substr(start, html.find(kMarkCloser, start) - start));
        }
        EXPECT_EQ(marked, c.marked) << html;
        EXPECT_NE(html.find("<title>春 巻一</title>"), std::string::npos);
    }
}

}  // namespace
}  // namespace pages
