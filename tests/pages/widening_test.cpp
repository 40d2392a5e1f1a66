#include "pages/widening.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "pages/filelist.h"
#include "pages/highlight.h"
#include "pages/pagecomposer.h"
#include "tests/pages/storefixture.h"

namespace pages {
namespace {

const std::string kOpener(kAnnotationOpener);
const std::string kCloser(kAnnotationCloser);

// The keyword string of the full expansion: every spelling in lexicographic
// order of choices (first unit slowest), joined by single spaces.
std::u16string FullExpansion(const VariantChoices& choices) {
    std::u16string joined;
    std::vector<std::size_t> at(choices.size(), 0);
    for (const auto& list : choices) {
        if (list.empty()) return joined;
    }
    for (bool first = true;; first = false) {
        if (!first) joined += u' ';
        for (std::size_t i = 0; i < choices.size(); ++i) joined += choices[i][at[i]];
        std::size_t i = choices.size();
        while (i > 0 && ++at[i - 1] == choices[i - 1].size()) at[--i] = 0;
        if (i == 0) return joined;
    }
}

std::string StoredPage(const std::string& cell1, const std::string& cell2) {
    return "<html><head><title>題</title></head><body><table><tr><TD>" + cell1 + "</TD><TD>" +
           cell2 + "</TD></tr></table></body></html>";
}

class WideningTest : public ::testing::Test {
  protected:
    testing::StoreFixture fixture;
    CFileList list;
};

TEST(FullExpansion, ListsSpellingsWithTheFirstUnitSlowest) {
    const VariantChoices choices = {{u'甲', u'乙', u'丙'}, {u'丁'}};
    EXPECT_EQ(FullExpansion(choices), u"甲丁 乙丁 丙丁");
    const VariantChoices two = {{u'a', u'b'}, {u' '}, {u'c', u'd'}};
    EXPECT_EQ(FullExpansion(two), u"a c a d b c b d");
}

TEST_F(WideningTest, EqualsTheFullExpansionOnRandomSmallCases) {
    const std::u16string alphabet = u"甲乙丙丁戊";
    const std::vector<std::u16string> groups = {u"甲乙", u"丙丁戊", u"乙甲", u"丁丁甲"};
    std::mt19937 random(20240611);
    auto pick = [&](std::size_t n) { return static_cast<std::size_t>(random() % n); };

    std::vector<testing::PageRecord> records;
    for (int r = 0; r < 24; ++r) {
        std::string cells[2];
        for (std::string& cell : cells) {
            const std::size_t length = 3 + pick(14);
            for (std::size_t i = 0; i < length; ++i) {
                switch (pick(16)) {
                    case 0:
                        cell += "<p>";
                        break;
                    case 12:
                        cell += "<i title=乙>";
                        break;
                    case 13:
                        cell += "<";  // a stray '<' makes the text up to the next '>' a tag
                        break;
                    case 1:
                        cell += kOpener;
                        break;
                    case 2:
                        cell += kCloser;
                        break;
                    case 3:
                        cell += "<h4>";
                        break;
                    default: {
                        std::string utf8;
                        const char16_t unit = alphabet[pick(alphabet.size())];
                        utf8 = unit == u'甲'   ? "甲"
                               : unit == u'乙' ? "乙"
                               : unit == u'丙' ? "丙"
                               : unit == u'丁' ? "丁"
                                               : "戊";
                        cell += utf8;
                    }
                }
            }
        }
        records.push_back({"v\\" + std::to_string(r) + ".htm", StoredPage(cells[0], cells[1])});
    }
    fixture.Write(records);
    ASSERT_TRUE(list.Load(fixture.Dir(), "Index"));

    for (int round = 0; round < 1500; ++round) {
        const bool structural = round % 5 == 4;
        VariantChoices choices;
        const std::size_t units = 1 + pick(structural ? 5 : 7);
        for (std::size_t i = 0; i < units; ++i) {
            const std::size_t kind = pick(10);
            if (kind == 0) {
                choices.push_back({pick(2) ? u' ' : u'\u3000'});
            } else if (kind == 1) {
                choices.push_back({pick(2) ? u'*' : u'?'});
            } else if (kind < 5) {
                choices.push_back({alphabet[pick(alphabet.size())]});
            } else {
                const std::u16string& g = groups[pick(groups.size())];
                choices.emplace_back(g.begin(), g.end());
            }
            if (structural && pick(3) == 0) choices.back().push_back(pick(2) ? u' ' : u'*');
        }
        const std::uint32_t record = static_cast<std::uint32_t>(pick(records.size()));
        const int layer = static_cast<int>(pick(3));
        std::string expected = "untouched";
        std::string widened = "untouched";
        const std::int32_t want =
            list.ComposeHitPage(record, expected, FullExpansion(choices), layer);
        const std::int32_t got = list.ComposeHitPageWidened(record, widened, choices, layer);
        ASSERT_EQ(got, want) << "round " << round;
        ASSERT_EQ(widened, expected) << "round " << round;
    }
}

TEST_F(WideningTest, FirstPassFramesThePageEvenWhenNothingCanMatch) {
    fixture.Write({{"v\\0002.htm", StoredPage("甲乙", "欄")}});
    ASSERT_TRUE(list.Load(fixture.Dir(), "Index"));
    const VariantChoices choices = {{u'丙', u'丁'}, {u'戊', u'己'}};
    std::string widened = "old";
    std::string expected = "old";
    EXPECT_EQ(list.ComposeHitPageWidened(0, widened, choices, 0), 0);
    EXPECT_EQ(list.ComposeHitPage(0, expected, u"丙戊", 0), 0);
    EXPECT_EQ(widened, expected);
    EXPECT_NE(widened.find("甲乙"), std::string::npos);
}

TEST_F(WideningTest, NoWordOrNoStoreLeavesTheOutputUntouched) {
    fixture.Write({{"v\\0002.htm", StoredPage("甲乙", "欄")}});
    ASSERT_TRUE(list.Load(fixture.Dir(), "Index"));
    const VariantChoices cases[] = {{}, {{u' '}, {u'\u3000'}}, {{u'甲'}, {}}};
    for (const VariantChoices& choices : cases) {
        std::string html = "kept";
        EXPECT_EQ(list.ComposeHitPageWidened(0, html, choices, 0), 0);
        EXPECT_EQ(html, "kept");
    }
    std::string html = "kept";
    EXPECT_EQ(list.ComposeHitPageWidened(5, html, {{u'甲'}}, 0), 0);
    list.Close();
    EXPECT_EQ(list.ComposeHitPageWidened(0, html, {{u'甲'}}, 0), 0);
    EXPECT_EQ(html, "kept");
}

// Twelve characters of four forms each: sixteen million spellings, of which
// only the two that occur in the page can mark anything.
TEST_F(WideningTest, LongKeywordWithManyFormsComposesOnlyWhatOccurs) {
    const std::u16string forms[4] = {u"一二三四五六七八九十百千", u"壱弐参肆伍陸漆捌玖拾佰仟",
                                     u"甲乙丙丁戊己庚辛壬癸子丑", u"東西南北春夏秋冬金木水火"};
    VariantChoices choices(12);
    for (std::size_t i = 0; i < 12; ++i) {
        for (const auto& f : forms) choices[i].push_back(f[i]);
    }
    std::u16string mixed = forms[0];
    mixed[3] = forms[2][3];
    mixed[11] = forms[3][11];
    std::string mixedUtf8 = "一二三丁五六七八九十百火";
    fixture.Write({{"v\\0002.htm", StoredPage(mixedUtf8 + "<p>" + kOpener + mixedUtf8 + kCloser +
                                                  "一二三四五六七八九十百千壱",
                                              "欄")}});
    ASSERT_TRUE(list.Load(fixture.Dir(), "Index"));
    std::string widened;
    std::string expected;
    const std::int32_t want = list.ComposeHitPage(0, expected, forms[0] + u" " + mixed, 0);
    EXPECT_EQ(want, 3);
    EXPECT_EQ(list.ComposeHitPageWidened(0, widened, choices, 0), want);
    EXPECT_EQ(widened, expected);
}

// Past the anchor cap the widened passes stop, as the passes of the listed
// spellings do: the same page, the same count.
TEST_F(WideningTest, StopsAtTheAnchorCapAsTheListedSpellingsDo) {
    std::string crowded;
    for (int i = 0; i < kMaxPageAnchors / 2 + 40; ++i) crowded += "乙甲甲乙";
    fixture.Write({{"v\\0002.htm", StoredPage(crowded, "欄")}});
    ASSERT_TRUE(list.Load(fixture.Dir(), "Index"));
    const VariantChoices choices = {{u'甲', u'乙'}, {u'乙', u'甲'}};
    std::string widened;
    std::string expected;
    const std::int32_t want = list.ComposeHitPage(0, expected, u"甲乙 甲甲 乙乙 乙甲", 0);
    EXPECT_EQ(want, kMaxPageAnchors);
    EXPECT_EQ(list.ComposeHitPageWidened(0, widened, choices, 0), want);
    EXPECT_TRUE(widened == expected);
}

// The work limit covers only the spellings beyond the first ones; when it
// cuts the enumeration short, the words as typed still get their passes
// (here the typed 甲乙 is not a first choice).
TEST_F(WideningTest, WorkLimitLeavesTheFirstAndTypedSpellingsWhole) {
    const VariantChoices choices = {
        {u'壱', u'甲'}, {u'弐', u'乙'}, {u' '}, {u'丙', u'参'}, {u'丁', u'肆'}};
    const std::u16string typed = u"甲乙 丙丁";
    const std::string page = StoredPage("甲乙丙丁壱弐参肆甲弐<p>甲乙", "欄");
    fixture.Write({{"v\\0002.htm", page}});
    ASSERT_TRUE(list.Load(fixture.Dir(), "Index"));
    struct Case {
        std::uint64_t maxWorkBytes;
        std::u16string listed;
    };
    for (const Case& c :
         {Case{0, u"壱弐 丙丁 甲乙"}, Case{kMaxWidenedWorkBytes, FullExpansion(choices)}}) {
        std::string expected;
        const std::int32_t want = list.ComposeHitPage(0, expected, c.listed, 0);
        std::string widened;
        EXPECT_EQ(ComposeWidened(page, 0, widened, choices, 0, CFileList::kMaxEnumeratedSpellings,
                                 c.maxWorkBytes, typed),
                  want);
        EXPECT_EQ(widened, expected);
    }
}

TEST(ComposeWidened, RefusesToEnumerateBeyondItsLimit) {
    const VariantChoices choices = {{u'甲', u' '}, {u'乙', u'*'}, {u'丙', u'丁'}};
    const std::string page = StoredPage("甲乙丙", "欄");
    std::string html = "kept";
    EXPECT_EQ(ComposeWidened(page, 0, html, choices, 0, 7), 0);
    EXPECT_EQ(html, "kept");
    EXPECT_GT(ComposeWidened(page, 0, html, choices, 0, 8), 0);
}

TEST(StretchesFitRun, NeedsEveryNonAsciiStretchInOrder) {
    struct Case {
        std::string keyword;
        std::string run;
        bool fits;
    };
    const Case cases[] = {
        {"甲乙*丙", "甲乙丁丙", true},
        {"甲乙*丙", "甲丁乙丙", false},
        {"甲*乙", "乙甲", false},
        {"甲*甲", "甲", false},
        {"甲*甲", "甲<b>甲", true},
        {"甲?乙", "甲乙", true},
        {"ab*?", "", true},
        {"", "", true},
        {"甲a乙", "甲乙", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(StretchesFitRun(c.keyword, c.run), c.fits) << c.keyword << " in " << c.run;
    }
}

// Pieces spread over different runs match across the runs' markup, as the
// search counts them; the output equals the full expansion.
TEST_F(WideningTest, PiecesInDifferentRunsMatchAsInTheFullExpansion) {
    fixture.Write({{"v\0002.htm", StoredPage("甲" + kOpener + "乙" + kCloser + "丙乙甲", "欄")}});
    ASSERT_TRUE(list.Load(fixture.Dir(), "Index"));
    const VariantChoices choices = {{u'丁', u'甲'}, {u'*'}, {u'戊', u'乙'}};
    for (int layer : {0, 1, 2}) {
        std::string widened;
        std::string expected;
        const std::int32_t want = list.ComposeHitPage(0, expected, FullExpansion(choices), layer);
        EXPECT_EQ(list.ComposeHitPageWidened(0, widened, choices, layer), want);
        EXPECT_EQ(widened, expected);
    }
}

}  // namespace
}  // namespace pages
