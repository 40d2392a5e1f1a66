// Marking several one-character keywords in one pass, skipping keywords that
// cannot match and skipping the check across markup for one character must
// give the very bytes and anchor counts of one full term pass per keyword.
#include "pages/characterpass.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>
#include <string>
#include <vector>

#include "pages/crossmatch.h"
#include "pages/filelist.h"
#include "pages/highlight.h"
#include "pages/pagecomposer.h"
#include "tests/pages/storefixture.h"

namespace pages {
namespace {

// One term pass as it stands without shortcuts: the runs marked, then
// marked again across markup when that finds more.
void FullTermPass(std::string_view page, std::string& html, const std::string& keyword, int parity,
                  int textLayer, std::int32_t& anchors) {
    std::array<HTMLNode, 3> parts = ParsePage(page);
    HTMLNode& textCell = parity == 0 ? parts[1] : parts[2];
    const std::vector<FilterItem> runs = SplitRuns(textCell.text);
    std::vector<Seg> segs;
    SplitTerm(keyword, segs);
    std::string cell;
    const std::int32_t first = anchors;
    std::int32_t matches = 0;
    for (const FilterItem& run : runs) {
        const bool annotation = run.kind == kAnnotation;
        if (annotation) cell.append(kAnnotationOpener);
        if (annotation ? textLayer != kMainTextLayer : textLayer != kAnnotationLayer) {
            matches += HighlightRun(run.text, segs, cell, anchors);
        } else {
            cell.append(run.text);
        }
        if (annotation) cell.append(kAnnotationCloser);
    }
    const PlainCell plain = MakePlainCell(runs, textLayer);
    const std::vector<CrossMatch> crossing = FindCrossMatches(plain.text, plain.spans, keyword);
    if (static_cast<std::int64_t>(crossing.size()) > matches) {
        cell.clear();
        anchors = first;
        EmitCrossMarked(plain.text, plain.spans, crossing, cell, anchors);
    }
    textCell.text.swap(cell);
    AppendFrame(parts, html);
}

const std::string kPieces[] = {"<title>",
                               "</title>",
                               "<TD>",
                               "</TD>",
                               std::string(kAnnotationOpener),
                               std::string(kAnnotationCloser),
                               "<p>",
                               "<h4>",
                               "<",
                               ">",
                               "<b>甲</b>",
                               "甲",
                               "乙",
                               "丙",
                               "丁",
                               "甲乙",
                               "乙甲",
                               "。",
                               "&amp;",
                               "a",
                               "\xE7",
                               "\x94",
                               "\xE7\x94"};
const std::string kCharacters[] = {"甲", "乙", "丙", "丁", "戊"};
const std::string kOtherKeywords[] = {"甲乙", "乙*甲", "甲?丙", "丙乙", "甲。乙"};

// A UTF-8 keyword of ASCII and characters of the basic plane in UTF-16.
std::u16string Utf16Of(const std::string& utf8) {
    std::u16string typed;
    for (std::size_t pos = 0; pos < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[pos]);
        if (lead < 0x80) {
            typed += static_cast<char16_t>(lead);
            ++pos;
        } else {
            typed += static_cast<char16_t>(((lead & 0x0F) << 12) | ((utf8[pos + 1] & 0x3F) << 6) |
                                           (utf8[pos + 2] & 0x3F));
            pos += 3;
        }
    }
    return typed;
}

std::string RandomPage(std::mt19937& random) {
    std::string page;
    const int length = static_cast<int>(random() % 60);
    for (int i = 0; i < length; ++i) page += kPieces[random() % std::size(kPieces)];
    return page;
}

TEST(ComposeCharacterPass, EqualsOneFullTermPassPerKeyword) {
    std::mt19937 random(77);
    for (int round = 0; round < 4000; ++round) {
        const std::string page = RandomPage(random);
        const int parity = static_cast<int>(random() % 2);
        const int layer = static_cast<int>(random() % 3);
        std::vector<std::string> keywords(std::begin(kCharacters), std::end(kCharacters));
        std::shuffle(keywords.begin(), keywords.end(), random);
        keywords.resize(1 + random() % keywords.size());

        std::string expected(page);
        std::int32_t expectedAnchors = 7;
        for (const std::string& keyword : keywords) {
            std::string next;
            FullTermPass(expected, next, keyword, parity, layer, expectedAnchors);
            expected.swap(next);
        }
        std::string html;
        std::int32_t anchors = 7;
        ComposeCharacterPass(page, html, keywords, parity, layer, anchors);
        ASSERT_EQ(html, expected) << "round " << round << " page " << page;
        ASSERT_EQ(anchors, expectedAnchors) << "round " << round;
    }
}

// Whole compositions from the page store: keywords of one character and
// longer ones interleaved, repeated, or absent from the page.
TEST(ComposeHitPage, EqualsOneFullTermPassPerKeywordInOrder) {
    std::mt19937 random(78);
    std::vector<testing::PageRecord> records;
    for (int r = 0; r < 200; ++r) {
        records.push_back({"v\\" + std::to_string(1000 + r) + ".htm", RandomPage(random)});
    }
    testing::StoreFixture fixture;
    fixture.Write(records);
    CFileList list;
    ASSERT_TRUE(list.Load(fixture.Dir(), "Index"));
    for (std::uint32_t r = 0; r < records.size(); ++r) {
        std::vector<std::string> keywords;
        const int count = 1 + static_cast<int>(random() % 6);
        std::u16string typed;
        for (int i = 0; i < count; ++i) {
            const bool character = random() % 3 != 0;
            keywords.push_back(character ? kCharacters[random() % std::size(kCharacters)]
                                         : kOtherKeywords[random() % std::size(kOtherKeywords)]);
            if (i > 0) typed += u' ';
            typed += Utf16Of(keywords.back());
        }
        const int parity = std::stoi(records[r].name.substr(2, 4)) % 2 == 0 ? 0 : 1;
        const int layer = static_cast<int>(random() % 3);
        std::string expected = records[r].bytes;
        std::int32_t expectedAnchors = 0;
        std::vector<std::string> done;
        for (const std::string& keyword : keywords) {
            if (std::find(done.begin(), done.end(), keyword) != done.end()) continue;
            done.push_back(keyword);
            std::string next;
            FullTermPass(expected, next, keyword, parity, layer, expectedAnchors);
            expected.swap(next);
        }
        std::string html;
        EXPECT_EQ(list.ComposeHitPage(r, html, typed, layer), expectedAnchors) << r;
        EXPECT_EQ(html, expected) << "record " << r << " page " << records[r].bytes;
    }
}

// The counter read straight from a page must count what the matching across
// markup finds in the page's plain cell, on stored pages and framed ones.
TEST(CrossCounterOf, CountsWhatTheMatchingAcrossMarkupFinds) {
    std::mt19937 random(79);
    for (int round = 0; round < 2000; ++round) {
        std::string page = RandomPage(random);
        const int parity = static_cast<int>(random() % 2);
        const int layer = static_cast<int>(random() % 3);
        for (int framed = 0; framed < 2; ++framed) {
            if (framed == 1) {
                std::string next;
                std::int32_t anchors = 0;
                FullTermPass(page, next, "丙", parity, layer, anchors);
                page.swap(next);
            }
            const std::array<HTMLNode, 3> parts = ParsePage(page);
            const PlainCell plain =
                MakePlainCell(SplitRuns(parts[parity == 0 ? 1 : 2].text), layer);
            const CrossCounter counter = CrossCounterOf(page, parity, layer);
            for (const std::string& keyword : kOtherKeywords) {
                ASSERT_EQ(counter.Count(keyword),
                          FindCrossMatches(plain.text, plain.spans, keyword).size())
                    << "round " << round << " keyword " << keyword << " page " << page;
            }
        }
    }
}

std::size_t Occurrences(std::string_view text, std::string_view needle) {
    std::size_t count = 0;
    for (std::size_t at = text.find(needle); at != std::string_view::npos;
         at = text.find(needle, at + 1)) {
        ++count;
    }
    return count;
}

// A page whose text cell repeats unit count times.
std::string CrowdedPage(const std::string& unit, int count) {
    std::string cell;
    for (int i = 0; i < count; ++i) cell += unit;
    return "<title>t</title><TD>" + cell + "</TD><TD>x</TD>";
}

// Every kind of pass stops marking at the anchor cap, the same way the
// keyword-by-keyword passes do, and the anchors it reports are the anchors
// the page holds.
TEST(AnchorCap, EveryKindOfPassStopsAtTheCap) {
    struct Case {
        const char* what;
        std::string unit;
        std::vector<std::string> keywords;
    };
    const int over = kMaxPageAnchors + 40;
    const std::vector<Case> cases = {
        {"one character", "甲", {"甲"}},
        {"characters in one pass, the second past the cap", "甲乙", {"乙", "甲"}},
        {"a longer keyword", "甲乙", {"甲乙"}},
        {"across markup", "甲<p>乙", {"甲乙"}},
        {"pieces and gaps of one match", "甲丙乙", {"甲?乙"}},
        {"a later keyword gets nothing", "甲乙", {"甲", "乙丙", "乙"}},
    };
    std::vector<testing::PageRecord> records;
    for (std::size_t c = 0; c < cases.size(); ++c) {
        records.push_back(
            {"v\\" + std::to_string(1000 + 2 * c) + ".htm", CrowdedPage(cases[c].unit, over)});
    }
    testing::StoreFixture fixture;
    fixture.Write(records);
    CFileList list;
    ASSERT_TRUE(list.Load(fixture.Dir(), "Index"));
    for (std::size_t c = 0; c < cases.size(); ++c) {
        SCOPED_TRACE(cases[c].what);
        std::string expected = records[c].bytes;
        std::int32_t expectedAnchors = 0;
        std::u16string typed;
        for (const std::string& keyword : cases[c].keywords) {
            std::string next;
            FullTermPass(expected, next, keyword, 0, kWholeText, expectedAnchors);
            expected.swap(next);
            if (!typed.empty()) typed += u' ';
            typed += Utf16Of(keyword);
        }
        std::string html;
        const std::int32_t anchors =
            list.ComposeHitPage(static_cast<std::uint32_t>(c), html, typed, kWholeText);
        EXPECT_EQ(anchors, expectedAnchors);
        EXPECT_GE(anchors, kMaxPageAnchors);
        EXPECT_LE(anchors, kMaxPageAnchors + 2);
        EXPECT_EQ(Occurrences(html, "<a name="), static_cast<std::size_t>(anchors));
        EXPECT_TRUE(html == expected);
    }
}

}  // namespace
}  // namespace pages
