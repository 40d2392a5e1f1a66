#include "tools/orvale-cli/rows_command.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>
#include <vector>

#include "tests/panel/catalogue_builder.h"

namespace cli {
namespace {

using panel::testing::CatalogueBytes;
using panel::testing::Entry;
using panel::testing::TempDir;

const std::vector<Entry> kEntries = {{"經部", 1, 1, 300, 1},
                                     {"周易", 2, 1, 100, 1},
                                     {"卷一", 3, 1, 50, 1},
                                     {"卷二", 3, 51, 50, 1},
                                     {"孤\"書\\\t名", 2, 101, 150, 1}};

class RowsCommandTest : public ::testing::Test {
  protected:
    void SetUp() override { catalogue.LoadRecords(CatalogueBytes(kEntries)); }

    int Run(int slot, bool json) {
        out.str("");
        err.str("");
        return PrintRows(catalogue, slot, hitPages, hitCounts, json, out, err);
    }

    panel::Catalogue catalogue;
    std::vector<std::uint32_t> hitPages = {60, 0, 120, 500};
    std::vector<std::uint32_t> hitCounts = {2, 3, 4, 5};
    std::ostringstream out;
    std::ostringstream err;
};

TEST_F(RowsCommandTest, PrintsOneTabSeparatedLinePerRowAndTheSummary) {
    EXPECT_EQ(Run(1, false), 0);
    EXPECT_EQ(out.str(),
              "經部\t孤\"書\\ 名\t\t0\t120\t4\n"
              "經部\t周易\t卷一\t1\t0\t3\n"
              "經部\t周易\t卷二\t11\t60\t2\n");
    EXPECT_EQ(err.str(), "全部で 3 頁で、9 箇所でした。\n");
}

TEST_F(RowsCommandTest, JsonHoldsTheSameRowsEscaped) {
    EXPECT_EQ(Run(1, true), 0);
    EXPECT_TRUE(nlohmann::json::accept(out.str()));
    // Fields in the order of the result list's columns; the tab, the quote
    // and the backslash of the title are escaped.
    EXPECT_EQ(
        out.str(),
        R"({"pages":3,"places":9,"rows":[)"
        R"({"category":"經部","title":"孤\"書\\\t名","volume":"","page":0,"record":120,"hits":4},)"
        R"({"category":"經部","title":"周易","volume":"卷一","page":1,"record":0,"hits":3},)"
        R"({"category":"經部","title":"周易","volume":"卷二","page":11,"record":60,"hits":2}]})"
        "\n");
    EXPECT_EQ(err.str(), "全部で 3 頁で、9 箇所でした。\n");
}

TEST_F(RowsCommandTest, ASlotWithoutACatalogueEntryIsRefused) {
    for (const int slot : {0, -3, 6, 10001}) {
        EXPECT_EQ(Run(slot, false), 2) << slot;
        EXPECT_EQ(out.str(), "") << slot;
        EXPECT_EQ(err.str(), "検索範囲をまた指定していません。\n") << slot;
    }
}

TEST_F(RowsCommandTest, NoHitsGiveAnEmptyListAndZeroes) {
    hitPages.clear();
    hitCounts.clear();
    EXPECT_EQ(Run(2, true), 0);
    EXPECT_EQ(nlohmann::json::parse(out.str()),
              nlohmann::json::parse(R"({"pages":0,"places":0,"rows":[]})"));
    EXPECT_EQ(err.str(), "全部で 0 頁で、0 箇所でした。\n");
}

TEST(CatalogueCommandTest, PrintsWhatTheListingFileHolds) {
    TempDir dir;
    dir.Write("kvt.dir", CatalogueBytes(kEntries) + "partial");
    panel::Catalogue catalogue;
    ASSERT_TRUE(catalogue.LoadCatalogue(dir.Path(), dir.File("kvt.txt")).listingWritten);

    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(PrintCatalogueTo(dir.Path(), out, err), 0);
    EXPECT_EQ(out.str(), dir.Read("kvt.txt"));
    EXPECT_NE(err.str().find("partial record"), std::string::npos);
}

TEST(CatalogueCommandTest, MissingCatalogue) {
    TempDir dir;
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(PrintCatalogueTo(dir.Path(), out, err), 1);
    EXPECT_EQ(out.str(), "");
    EXPECT_NE(err.str().find("you delete data file!"), std::string::npos);

    err.str("");
    const std::vector<std::uint32_t> none;
    EXPECT_EQ(PrintSearchRowsTo(dir.Path(), 1, none, none, false, out, err), 2);
    EXPECT_NE(err.str().find("you delete data file!"), std::string::npos);
    EXPECT_NE(err.str().find("検索範囲をまた指定していません。"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir.File("kvt.txt")));
}

}  // namespace
}  // namespace cli
