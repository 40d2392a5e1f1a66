// The concordance on corpora built by orvale-build: every hit's context is
// checked against the source text the corpus was built from (not against
// anything the reader decodes), the hits per page against the search's
// counts, and the left and right sorts on a table of cases.
#include "engine/concordance.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/index.h"
#include "engine/indexcode.h"
#include "tests/tools/program.h"

namespace toolstest {
namespace {

struct Run {
    bool note;
    std::u32string text;
};
using Page = std::vector<Run>;

// Pages 1, 2, 3 of one volume. Hits sit at the start and end of pages and of
// annotations; markup-like characters and punctuation sit between them; the
// title holds the searched characters too (it is never text).
const std::vector<Page> kPages = {
    {{false, U"甲乙丙。<丁&>甲乙"}, {true, U"甲乙丁"}, {false, U"戊\n甲乙甲乙甲"}},
    {{true, U"甲乙"}, {false, U"丙丁，戊甲\n\n乙甲乙"}},
    {{false, U"丁丁丁。甲"}, {true, U"乙丙甲乙"}},
};
const char* const kTitle = "甲乙之書";

std::string JsonString(std::u32string_view text) {
    std::string out = "\"";
    for (const char32_t c : text) out += c == U'\n' ? std::string("\\n") : pages::ToUtf8({&c, 1});
    return out + "\"";
}

std::string Source() {
    std::string s = std::string(R"({"category": "経", "title": ")") + kTitle +
                    R"(", "volume": "巻一", "first_page": 1, "pages": [)";
    for (std::size_t p = 0; p < kPages.size(); ++p) {
        if (p > 0) s += ", ";
        s += R"({"runs": [)";
        for (std::size_t r = 0; r < kPages[p].size(); ++r) {
            if (r > 0) s += ", ";
            const Run& run = kPages[p][r];
            s += run.note ? R"({"note": )" + JsonString(run.text) + "}" : JsonString(run.text);
        }
        s += "]}";
    }
    return s + "]}\n";
}

// The characters of a layer as the source has them, line breaks dropped.
std::u32string SourceLayer(const Page& page, int layer) {
    std::u32string out;
    for (const Run& run : page) {
        if ((layer == 1 && run.note) || (layer == 2 && !run.note)) continue;
        for (const char32_t c : run.text) {
            if (c != U'\n') out += c;
        }
    }
    return out;
}

class Concordance : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        s_dir = new TempDir;
        WriteFile(*s_dir / "source.jsonl", Source());
        WriteFile(*s_dir / "variants.txt", "7532,620A\n");  // 甲 and 戊
        const RunResult run = RunProgram(
            BuildExe(), {(*s_dir / "source.jsonl").string(), (*s_dir / "corpus").string(),
                         "--variants", (*s_dir / "variants.txt").string()});
        ASSERT_EQ(run.status, 0) << run.err;
    }
    static void TearDownTestSuite() { delete s_dir; }

    // The lines of keywords on every hit page, in position order, after the
    // search ran on the scope of layer.
    static std::vector<engine::KwicLine> Lines(engine::CIndex& index, std::u16string keywords,
                                               int layer, bool variants, int width) {
        const int scope = layer == 1 ? engine::Content : layer == 2 ? engine::Desc : engine::Full;
        EXPECT_TRUE(index.Load((*s_dir / "corpus").string(), "Index", scope));
        const engine::KwicQuery query(keywords, variants, index.VariantGroups());
        index.SearchAnd(keywords, true, variants);
        std::vector<engine::KwicLine> lines;
        pages::LayerText text;
        std::vector<engine::HitSpan> hits;
        for (const std::uint32_t record : index.GetHitPages()) {
            EXPECT_TRUE(engine::AppendPageLines(index.PageStore(), record, query, layer, width,
                                                lines, text, hits));
        }
        return lines;
    }
    static TempDir* s_dir;
};

TempDir* Concordance::s_dir = nullptr;

TEST_F(Concordance, ContextsEqualTheSourceTextAroundEveryHit) {
    struct Case {
        std::u32string term;
        int layer;
        int width;
    };
    const Case cases[] = {
        {U"甲乙", 0, 3}, {U"甲乙", 1, 2}, {U"甲乙", 2, 4}, {U"乙甲", 0, 12},
        {U"丁", 0, 1},   {U"丁丁", 0, 2}, {U"甲", 2, 0},   {U"戊甲", 0, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(pages::ToUtf8(c.term) + " layer " + std::to_string(c.layer));
        std::u16string keywords(c.term.begin(), c.term.end());
        engine::CIndex index;
        const std::vector<engine::KwicLine> lines = Lines(index, keywords, c.layer, false, c.width);
        // Brute force over the source: every place where the term's
        // characters are consecutive indexed characters of the layer.
        std::vector<engine::KwicLine> expected;
        for (std::uint32_t record = 0; record < kPages.size(); ++record) {
            const std::u32string chars = SourceLayer(kPages[record], c.layer);
            std::vector<std::size_t> at;
            for (std::size_t i = 0; i < chars.size(); ++i) {
                if (engine::IndexCodeOf(chars[i]) >= 0) at.push_back(i);
            }
            for (std::size_t p = 0; p + c.term.size() <= at.size(); ++p) {
                bool match = true;
                for (std::size_t k = 0; k < c.term.size(); ++k)
                    match = match && chars[at[p + k]] == c.term[k];
                if (!match) continue;
                const std::size_t w = static_cast<std::size_t>(c.width);
                const std::size_t last = p + c.term.size() - 1;
                const std::size_t from = p >= w ? at[p - w] : 0;
                const std::size_t to = last + w < at.size() ? at[last + w] + 1 : chars.size();
                engine::KwicLine line;
                line.record = record;
                line.position = static_cast<std::uint32_t>(p);
                line.left = chars.substr(from, at[p] - from);
                line.hit = chars.substr(at[p], at[last] + 1 - at[p]);
                line.right = chars.substr(at[last] + 1, to - at[last] - 1);
                expected.push_back(line);
            }
        }
        ASSERT_EQ(lines.size(), expected.size());
        for (std::size_t i = 0; i < lines.size(); ++i) {
            EXPECT_EQ(lines[i].record, expected[i].record) << i;
            EXPECT_EQ(lines[i].position, expected[i].position) << i;
            EXPECT_EQ(pages::ToUtf8(lines[i].left), pages::ToUtf8(expected[i].left)) << i;
            EXPECT_EQ(pages::ToUtf8(lines[i].hit), pages::ToUtf8(expected[i].hit)) << i;
            EXPECT_EQ(pages::ToUtf8(lines[i].right), pages::ToUtf8(expected[i].right)) << i;
        }
    }
}

TEST_F(Concordance, HitsPerPageEqualTheSearchCounts) {
    const std::u16string queries[] = {u"甲乙",     u"甲*甲", u"甲?甲", u"乙 丁",   u"丁丁",
                                      u"甲*乙*丙", u"戊",    u"甲",    u"乙?甲*丁"};
    for (const std::u16string& q : queries) {
        for (const bool variants : {false, true}) {
            for (int layer = 0; layer < 3; ++layer) {
                SCOPED_TRACE(std::string(variants ? "variants " : "") + "layer " +
                             std::to_string(layer) + " query #" + std::to_string(&q - queries));
                engine::CIndex index;
                const auto lines = Lines(index, q, layer, variants, 2);
                std::vector<std::uint32_t> perPage(kPages.size(), 0);
                for (const auto& line : lines) ++perPage[line.record];
                const auto& pagesFound = index.GetHitPages();
                const auto& counts = index.GetHitCounts();
                std::uint32_t total = 0;
                for (std::size_t i = 0; i < pagesFound.size(); ++i) {
                    EXPECT_EQ(perPage[pagesFound[i]], counts[i]) << "record " << pagesFound[i];
                    total += counts[i];
                }
                EXPECT_EQ(lines.size(), total);
            }
        }
    }
}

TEST_F(Concordance, TheTitleAndMarkupNeverAppearAsText) {
    engine::CIndex index;
    const auto lines = Lines(index, u"丙", 0, false, 30);
    ASSERT_FALSE(lines.empty());
    for (const auto& line : lines) {
        const std::string all = pages::ToUtf8(line.left + line.hit + line.right);
        EXPECT_EQ(all.find("之書"), std::string::npos) << all;
        EXPECT_EQ(all.find("font"), std::string::npos) << all;
        EXPECT_EQ(all.find("&amp;"), std::string::npos) << all;
        EXPECT_EQ(all.find("&lt;"), std::string::npos) << all;
        EXPECT_EQ(all.find("<p>"), std::string::npos) << all;
    }
    EXPECT_EQ(pages::ToUtf8(lines[0].right), "。<丁&>甲乙甲乙丁戊甲乙甲乙甲");
}

TEST_F(Concordance, VariantFormsAreListedPerCharacter) {
    engine::CIndex index;
    ASSERT_TRUE(index.Load((*s_dir / "corpus").string(), "Index", engine::Full));
    const engine::KwicQuery query(u"甲乙 甲", true, index.VariantGroups());
    ASSERT_EQ(query.Variants().size(), 1u);
    EXPECT_EQ(query.Variants()[0].character, U'甲');
    EXPECT_EQ(query.Variants()[0].forms, (std::vector<char32_t>{U'甲', U'戊'}));
    const auto lines = Lines(index, u"戊甲", 0, true, 1);
    const engine::KwicQuery pair(u"戊甲", true, index.VariantGroups());
    ASSERT_EQ(pair.Variants().size(), 2u);  // 戊 and 甲, each standing for both
    const auto counts = engine::VariantFormCounts(pair, lines);
    std::uint32_t withFirst = 0;
    std::uint32_t withSecond = 0;
    for (const auto& line : lines) {
        withFirst += line.hit.find(U'甲') != std::u32string::npos;
        withSecond += line.hit.find(U'戊') != std::u32string::npos;
    }
    EXPECT_EQ(pair.Variants()[0].character, U'戊');
    EXPECT_EQ(counts[0], (std::vector<std::uint32_t>{withFirst, withSecond}));
    EXPECT_GT(withSecond, 0u);
    // 戊 stands for 甲 too: 甲乙甲乙甲 holds no pair, 戊甲 on page 2 and 乙甲 do not.
    std::vector<std::string> hits;
    for (const auto& line : lines) hits.push_back(pages::ToUtf8(line.hit));
    for (const auto& hit : hits) {
        EXPECT_TRUE(hit == "戊甲" || hit == "甲甲" || hit == "甲戊" || hit == "戊戊") << hit;
    }
}

TEST(KwicSort, LeftReadsBackwardsRightReadsForwardsAndPunctuationIsSkipped) {
    const auto line = [](std::uint32_t record, std::uint32_t position, std::u32string left,
                         std::u32string right) {
        engine::KwicLine l;
        l.record = record;
        l.position = position;
        l.left = std::move(left);
        l.hit = U"甲";
        l.right = std::move(right);
        return l;
    };
    // A hit at a page start has no left context, one at a page end no right
    // context; 。 does not count.
    const std::vector<engine::KwicLine> lines = {
        line(0, 0, U"", U"丙乙"),     line(0, 3, U"丙乙", U"乙"),   line(1, 1, U"丙", U""),
        line(1, 4, U"乙丙", U"乙丙"), line(2, 0, U"乙。", U"。乙"), line(3, 9, U"乙丙", U"丙"),
    };
    struct Case {
        engine::KwicSort sort;
        std::vector<std::uint32_t> order;  // records*10 + position of each line in order
    };
    const Case cases[] = {
        {engine::KwicSort::Position, {0, 3, 11, 14, 20, 39}},
        // By code point 丙 (U+4E19) sorts before 乙 (U+4E59). Keys: "", 乙丙,
        // 丙, 丙乙, 乙, 丙乙 -> "" < 丙 < 丙乙 (two, by position) < 乙 < 乙丙.
        {engine::KwicSort::Left, {0, 11, 14, 39, 20, 3}},
        // Keys: 丙乙, 乙, "" (page end), 乙丙, 乙, 丙 -> "" < 丙 < 丙乙 < 乙
        // (two, by position) < 乙丙.
        {engine::KwicSort::Right, {11, 39, 0, 3, 20, 14}},
    };
    for (const Case& c : cases) {
        std::vector<engine::KwicLine> sorted = lines;
        engine::SortKwicLines(sorted, c.sort);
        std::vector<std::uint32_t> order;
        for (const auto& l : sorted) order.push_back(l.record * 10 + l.position);
        EXPECT_EQ(order, c.order) << static_cast<int>(c.sort);
    }
}

}  // namespace
}  // namespace toolstest
