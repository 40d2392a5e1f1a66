#include "panel/resultrows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <tuple>
#include <vector>

#include "panel/catalogue.h"
#include "tests/panel/catalogue_builder.h"

namespace panel {
namespace {

using testing::CatalogueBytes;
using testing::Entry;

// Rows as (category, title, volume, page, record, hits) for comparisons.
using Row = std::tuple<std::string, std::string, std::string, int, int, int>;

std::vector<Row> Flat(const std::vector<SearchNodeTag>& rows) {
    std::vector<Row> flat;
    for (const SearchNodeTag& r : rows) {
        flat.emplace_back(r.category, r.title, r.volume, r.page, r.recordIndex, r.hits);
    }
    return flat;
}

// 經部 covers records 1..300: 周易 1..100 (two volumes), 尚書 101..250 with
// one volume 101..200 starting at page 5, and 251..300 in no title.
class BuildRowsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        catalogue.LoadRecords(CatalogueBytes({{"經部", 1, 1, 300, 1},
                                              {"周易", 2, 1, 100, 1},
                                              {"卷一", 3, 1, 50, 1},
                                              {"卷二", 3, 51, 50, 1},
                                              {"尚書", 2, 101, 150, 1},
                                              {"虞書", 3, 101, 100, 5}}));
    }

    std::vector<Row> Rows(int slot, std::int64_t* total = nullptr) {
        std::vector<SearchNodeTag> rows;
        const std::int64_t places =
            BuildRows(catalogue.ScopeNode(slot), hitRecords, hitPlaces, rows);
        if (total) *total = places;
        return Flat(rows);
    }

    Catalogue catalogue;
    // Record indexes (0-based): 0 卷一, 60 卷二, 102 虞書, 210 尚書 without a
    // volume, 260 no title, 400 outside the category.
    std::vector<std::uint32_t> hitRecords = {400, 260, 102, 210, 60, 0};
    std::vector<std::uint32_t> hitPlaces = {9, 2, 3, 4, 5, 6};
};

// The whole corpus (the root) lists every hit, also one outside every
// category, named through category, title and volume, in both lookups.
TEST_F(BuildRowsTest, WholeCorpusListsEveryHit) {
    for (RowLookup lookup : {RowLookup::Indexed, RowLookup::Linear}) {
        std::vector<SearchNodeTag> rows;
        const std::int64_t total =
            BuildRows(catalogue.ScopeNode(kWholeCorpusSlot), hitRecords, hitPlaces, rows, lookup);
        EXPECT_EQ(total, 29);
        EXPECT_EQ(Flat(rows), (std::vector<Row>{
                                  {"經部", "尚書", "", 0, 210, 4},
                                  {"經部", "", "", 0, 260, 2},
                                  {"", "", "", 0, 400, 9},
                                  {"經部", "周易", "卷一", 1, 0, 6},
                                  {"經部", "尚書", "虞書", 7, 102, 3},
                                  {"經部", "周易", "卷二", 11, 60, 5},
                              }));
    }
    EXPECT_EQ(catalogue.TreePath(kWholeCorpusSlot), "全体");
    EXPECT_FALSE(catalogue.HoldsEntry(kWholeCorpusSlot));
}

TEST_F(BuildRowsTest, CategoryScopeNamesTitleAndVolumeAndKeepsHitsOutsideThem) {
    std::int64_t total = 0;
    EXPECT_EQ(Rows(1, &total), (std::vector<Row>{
                                   {"經部", "尚書", "", 0, 210, 4},
                                   {"經部", "", "", 0, 260, 2},
                                   {"經部", "周易", "卷一", 1, 0, 6},
                                   {"經部", "尚書", "虞書", 7, 102, 3},
                                   {"經部", "周易", "卷二", 11, 60, 5},
                               }));
    EXPECT_EQ(total, 4 + 2 + 6 + 3 + 5);
}

TEST_F(BuildRowsTest, TitleScopeNamesItsCategoryAndVolume) {
    std::int64_t total = 0;
    EXPECT_EQ(Rows(5, &total), (std::vector<Row>{
                                   {"經部", "尚書", "", 0, 210, 4},
                                   {"經部", "尚書", "虞書", 7, 102, 3},
                               }));
    EXPECT_EQ(total, 7);
}

TEST_F(BuildRowsTest, VolumeScopeNamesItsTitleAndCategory) {
    EXPECT_EQ(Rows(6), (std::vector<Row>{{"經部", "尚書", "虞書", 7, 102, 3}}));
    EXPECT_EQ(Rows(4), (std::vector<Row>{{"經部", "周易", "卷二", 11, 60, 5}}));
}

TEST_F(BuildRowsTest, MissingHitCountsCountAsZeroAndNoScopeGivesNoRows) {
    hitPlaces.resize(2);
    std::int64_t total = -1;
    const std::vector<Row> rows = Rows(6, &total);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(std::get<5>(rows[0]), 0);
    EXPECT_EQ(total, 0);

    std::vector<SearchNodeTag> none = {SearchNodeTag{}};
    EXPECT_EQ(BuildRows(nullptr, hitRecords, hitPlaces, none), 0);
    EXPECT_TRUE(none.empty());
}

TEST(BuildRowsPageTest, PageNumberFollowsTheVolumesFirstPage) {
    Catalogue catalogue;
    catalogue.LoadRecords(
        CatalogueBytes({{"類", 1, 101, 10, 1}, {"書", 2, 101, 10, 1}, {"巻", 3, 101, 10, 5}}));
    const std::vector<std::uint32_t> records = {102};
    const std::vector<std::uint32_t> places = {1};
    for (int slot = 1; slot <= 3; ++slot) {
        std::vector<SearchNodeTag> rows;
        BuildRows(catalogue.ScopeNode(slot), records, places, rows);
        ASSERT_EQ(rows.size(), 1u);
        EXPECT_EQ(rows[0].page, 7) << slot;
    }
}

TEST(BuildRowsOrderTest, PagesAscendThenRecordIndexes) {
    Catalogue catalogue;
    catalogue.LoadRecords(CatalogueBytes({{"類", 1, 1, 40, 1},
                                          {"書", 2, 1, 40, 1},
                                          {"甲", 3, 1, 10, 1},
                                          {"乙", 3, 11, 10, 1},
                                          {"丙", 3, 21, 20, 3}}));
    // Records 20 and 2 are page 3 of 丙 and of 甲; records 10 and 0 are page
    // 1 of 乙 and of 甲. Hits in record order, as a search gives them, and
    // out of it give the same rows.
    for (const std::vector<std::uint32_t>& records :
         {std::vector<std::uint32_t>{20, 10, 2, 0}, std::vector<std::uint32_t>{0, 2, 10, 20}}) {
        const std::vector<std::uint32_t> places = {1, 1, 1, 1};
        std::vector<SearchNodeTag> rows;
        BuildRows(catalogue.ScopeNode(1), records, places, rows);
        std::vector<std::pair<int, int>> order;
        for (const SearchNodeTag& row : rows) order.emplace_back(row.page, row.recordIndex);
        EXPECT_EQ(order, (std::vector<std::pair<int, int>>{{1, 0}, {1, 10}, {3, 2}, {3, 20}}));
    }
}

// Rows ascend by page, then record, then hit order, whether the hits come
// in record order (with repeats) or not, and whatever the page numbers'
// spread: a volume starting at page 65,000 beside one at page 1.
TEST(BuildRowsOrderTest, RowsFollowPageRecordAndHitOrder) {
    std::mt19937 random(5);
    std::uniform_int_distribution<std::uint32_t> record(0, 79);
    for (int round = 0; round < 200; ++round) {
        Catalogue catalogue;
        catalogue.LoadRecords(
            CatalogueBytes({{"類", 1, 1, 80, 1},
                            {"書", 2, 1, 80, 1},
                            {"甲", 3, 1, 30, 1},
                            {"乙", 3, 31, 30, static_cast<std::uint16_t>(round % 2 ? 65000 : 2)},
                            {"丙", 3, 61, 20, 7}}));
        std::vector<std::uint32_t> records(1 + random() % 120);
        for (auto& r : records) r = record(random);
        if (round % 4 < 2) std::sort(records.begin(), records.end());
        std::vector<std::uint32_t> places(records.size());
        for (std::size_t i = 0; i < places.size(); ++i) places[i] = static_cast<std::uint32_t>(i);
        std::vector<SearchNodeTag> rows;
        BuildRows(catalogue.ScopeNode(1), records, places, rows);
        ASSERT_EQ(rows.size(), records.size());
        for (std::size_t k = 1; k < rows.size(); ++k) {
            const auto key = [](const SearchNodeTag& r) {
                return std::tuple(r.page, r.recordIndex, r.hits);
            };
            ASSERT_LT(key(rows[k - 1]), key(rows[k])) << "round " << round << " row " << k;
        }
    }
}

TEST(BuildRowsOddScopeTest, ScopesOffTheThreeLevelsNeverCrash) {
    Catalogue catalogue;
    catalogue.LoadRecords(CatalogueBytes({{"", 0, 0, 0, 0},  // matches the root
                                          {"類", 1, 1, 40, 1},
                                          {"書", 2, 1, 40, 1},
                                          {"巻", 3, 1, 40, 2},
                                          {"節", 4, 1, 20, 1}}));
    const std::vector<std::uint32_t> records = {0, 5, 30};
    const std::vector<std::uint32_t> places = {1, 2, 3};
    std::vector<SearchNodeTag> rows;
    EXPECT_EQ(BuildRows(catalogue.ScopeNode(1), records, places, rows), 6);
    EXPECT_EQ(rows.size(), 3u);
    BuildRows(catalogue.ScopeNode(5), records, places, rows);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(Flat(rows)[1], (Row{"類", "書", "巻", 7, 5, 2}));
}

// Random catalogues: categories of titles of volumes, with ranges either laid
// out as the corpus builder writes them (ascending, disjoint, gaps allowed)
// or drawn at random (overlaps, disorder, empty and wrapping ranges).
std::vector<Entry> RandomCatalogue(std::mt19937& random, bool ordered) {
    std::uniform_int_distribution<int> count(0, 6);
    std::uniform_int_distribution<int> span(0, 40);
    std::uniform_int_distribution<int> start(-2, 400);
    std::vector<Entry> entries;
    int next = 1;
    const auto range = [&](int size) {
        if (!ordered) return std::pair<int, int>{start(random), span(random) - 2};
        const std::pair<int, int> r{next + span(random) % 3, size};
        next = r.first + size;
        return r;
    };
    const int categories = 1 + count(random) % 3;
    for (int c = 0; c < categories; ++c) {
        const int titleCount = count(random);
        const std::size_t categoryAt = entries.size();
        const int categoryFirst = next;
        entries.push_back({"類" + std::to_string(c), 1, 0, 0, 1});
        for (int t = 0; t < titleCount; ++t) {
            const int volumeCount = count(random);
            const std::size_t titleAt = entries.size();
            const int titleFirst = next;
            entries.push_back({"書" + std::to_string(t), 2, 0, 0, 1});
            for (int v = 0; v < volumeCount; ++v) {
                const auto [docID, docNo] = range(1 + span(random));
                entries.push_back({"巻" + std::to_string(v), 3, docID, docNo,
                                   static_cast<std::uint16_t>(span(random))});
            }
            const auto [docID, docNo] = range(0);
            entries[titleAt].docID = ordered ? titleFirst : docID;
            entries[titleAt].docNo = ordered ? next - titleFirst + span(random) % 2 : docNo;
            next += ordered ? entries[titleAt].docNo - (next - titleFirst) : 0;
        }
        const auto [docID, docNo] = range(0);
        entries[categoryAt].docID = ordered ? categoryFirst : docID;
        entries[categoryAt].docNo = ordered ? next - categoryFirst + 1 : docNo;
        next += ordered ? 1 : 0;
    }
    return entries;
}

TEST(BuildRowsLookupTest, IndexedLookupGivesTheRowsOfTheLinearScan) {
    std::mt19937 random(11);
    std::uniform_int_distribution<std::uint32_t> record(0, 450);
    int sortedScopes = 0;
    Catalogue catalogue;
    for (int round = 0; round < 300; ++round) {
        const bool ordered = round % 2 == 0;
        catalogue.LoadRecords(CatalogueBytes(RandomCatalogue(random, ordered)));
        std::vector<std::uint32_t> records(200);
        std::vector<std::uint32_t> places(200);
        for (auto& r : records) r = record(random);
        records.push_back(0xFFFFFFFFu);
        for (std::size_t i = 0; i < places.size(); ++i) places[i] = static_cast<std::uint32_t>(i);
        for (int slot = 1; slot < catalogue.RecordCount(); ++slot) {
            const ContentsNodeTag* scope = catalogue.ScopeNode(slot);
            if (ordered && scope && scope->level == 1 && scope->grandchildRanges.Size() > 0) {
                EXPECT_TRUE(scope->childRanges.Sorted());
                EXPECT_TRUE(scope->grandchildRanges.Sorted());
                ++sortedScopes;
            }
            std::vector<SearchNodeTag> indexed;
            std::vector<SearchNodeTag> linear;
            const auto a = BuildRows(scope, records, places, indexed, RowLookup::Indexed);
            const auto b = BuildRows(scope, records, places, linear, RowLookup::Linear);
            ASSERT_EQ(Flat(indexed), Flat(linear)) << "round " << round << " slot " << slot;
            ASSERT_EQ(a, b);
        }
    }
    EXPECT_GT(sortedScopes, 50);
}

TEST(BuildRowsLookupTest, ATreeWithoutRangeIndexesIsScannedInOrder) {
    ContentsNodeTag category;
    category.name = "類";
    category.level = 1;
    category.docID = 1;
    category.docNo = 20;
    auto title = std::make_unique<ContentsNodeTag>();
    title->name = "書";
    title->level = 2;
    title->docID = 1;
    title->docNo = 20;
    auto volume = std::make_unique<ContentsNodeTag>();
    volume->name = "巻";
    volume->level = 3;
    volume->docID = 1;
    volume->docNo = 20;
    volume->curFileName = 1;
    title->AddChild(std::move(volume));
    category.AddChild(std::move(title));

    const std::vector<std::uint32_t> records = {4};
    const std::vector<std::uint32_t> places = {1};
    std::vector<SearchNodeTag> rows;
    BuildRows(&category, records, places, rows);
    EXPECT_EQ(Flat(rows), (std::vector<Row>{{"類", "書", "巻", 5, 4, 1}}));
}

TEST(ResultSummaryTextTest, NamesRowsAndPlaces) {
    EXPECT_EQ(ResultSummaryText(250, 1234), "全部で 250 頁で、1234 箇所でした。");
    EXPECT_EQ(ResultSummaryText(0, 0), "全部で 0 頁で、0 箇所でした。");
}

}  // namespace
}  // namespace panel
