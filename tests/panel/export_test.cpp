// Export files read back equal to what was written, whatever the names
// hold; the citation line; the distribution's totals and its top titles.
#include "panel/export.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "panel/distribution.h"

namespace panel {
namespace {

TEST(Export, EveryFieldReadsBackInBothFormats) {
    const std::vector<ExportRow> rows = {
        {"経部", "詩経", "巻一", 1, 0, 4, "關關雎鳩，", "在河", "之洲。"},
        {"tab\there", "quote \"q\"", "comma, here", 12, 7, 1, "", "明月", ""},
        {"line\nbreak", "\"", ",\t,", -1, 2, 0, "\"\"", "a\r\nb", " end "},
        {"", "", "", 0, 0, 0, "", "", ""},
    };
    for (const ExportFormat format : {ExportFormat::Tsv, ExportFormat::Csv}) {
        const std::string text = ExportText(rows, format);
        const auto lines = ParseExport(text, format);
        ASSERT_EQ(lines.size(), rows.size() + 1);
        EXPECT_EQ(lines[0], (std::vector<std::string>{"類別", "書名", "巻", "頁", "記録", "箇所",
                                                      "左文脈", "検索語", "右文脈"}));
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const ExportRow& r = rows[i];
            EXPECT_EQ(lines[i + 1],
                      (std::vector<std::string>{r.category, r.title, r.volume,
                                                std::to_string(r.page), std::to_string(r.record),
                                                std::to_string(r.hits), r.left, r.hit, r.right}))
                << i;
        }
    }
    // Plain fields stay unquoted.
    EXPECT_EQ(ExportText(std::span(rows).first(1), ExportFormat::Csv)
                  .substr(ExportText({}, ExportFormat::Csv).size()),
              "経部,詩経,巻一,1,0,4,關關雎鳩，,在河,之洲。\n");
}

TEST(Export, TheExtensionPicksTheFormat) {
    const std::pair<const char*, ExportFormat> cases[] = {
        {"a.csv", ExportFormat::Csv}, {"A.CSV", ExportFormat::Csv},
        {"a.tsv", ExportFormat::Tsv}, {"a.txt", ExportFormat::Tsv},
        {"csv", ExportFormat::Tsv},   {"dir.csv/a", ExportFormat::Tsv},
    };
    for (const auto& [name, format] : cases) EXPECT_EQ(ExportFormatOf(name), format) << name;
}

TEST(Citation, NamesThePageAndQuotesTheHit) {
    EXPECT_EQ(CitationText("経部", "詩経", "巻一", 1, "", "", ""), "経部・詩経・巻一・1頁");
    EXPECT_EQ(CitationText("経部", "詩経", "巻一", 12, "關關雎鳩", "在河", "之洲"),
              "経部・詩経・巻一・12頁「關關雎鳩在河之洲」");
    EXPECT_EQ(CitationText("史部", "史記", "", 0, "", "", ""), "史部・史記");
}

TEST(Distribution, TotalsEqualTheRowsAndTheRestSumsTheTail) {
    std::vector<SearchNodeTag> rows;
    for (int t = 0; t < 25; ++t) {
        for (int p = 0; p <= t; ++p) {
            rows.push_back({t % 2 ? "甲" : "乙", "書" + std::to_string(t), "巻", 0, p, 2});
        }
    }
    const Distribution d = BuildDistribution(rows);
    std::int64_t hits = 0;
    for (const auto& row : rows) hits += row.hits;
    EXPECT_EQ(d.pages, static_cast<std::int64_t>(rows.size()));
    EXPECT_EQ(d.hits, hits);
    ASSERT_EQ(d.categories.size(), 2u);
    EXPECT_EQ(d.categories[0].category, "乙");
    EXPECT_EQ(d.categories[0].pages + d.categories[1].pages, d.pages);
    EXPECT_EQ(d.titles.front().title, "書24");
    const auto top = TopTitles(d, kChartTitles);
    ASSERT_EQ(top.size(), kChartTitles + 1);
    EXPECT_TRUE(top.back().rest);
    EXPECT_EQ(top.back().pages, 1 + 2 + 3 + 4 + 5);
    std::int64_t sum = 0;
    for (const auto& e : top) sum += e.hits;
    EXPECT_EQ(sum, d.hits);
    EXPECT_EQ(TopTitles(d, 30).size(), 25u);
}

}  // namespace
}  // namespace panel
