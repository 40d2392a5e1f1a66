#include "panel/resultpaging.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace panel {
namespace {

struct PageCase {
    std::size_t rowCount;
    int page;  // result page to move to with ">" from the first
    int totalPages;
    std::size_t firstRow;
    std::size_t lastRow;
    bool prevEnabled;
    bool nextEnabled;
    bool editReadOnly;
    const char* countText;
};

TEST(ResultPagingTest, PagesRowsAndControlStates) {
    const PageCase cases[] = {
        {100, 1, 1, 0, 100, false, false, true, "/1"},
        {101, 1, 2, 0, 100, false, true, false, "/2"},
        {101, 2, 2, 100, 101, true, false, false, "/2"},
        {250, 1, 3, 0, 100, false, true, false, "/3"},
        {250, 2, 3, 100, 200, true, true, false, "/3"},
        {250, 3, 3, 200, 250, true, false, false, "/3"},
        {1, 1, 1, 0, 1, false, false, true, "/1"},
    };
    for (const PageCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.rowCount) + " rows, page " + std::to_string(c.page));
        ResultPaging paging;
        paging.Reset(c.rowCount);
        for (int p = 1; p < c.page; ++p) EXPECT_TRUE(paging.OnNextResultPage());
        EXPECT_EQ(paging.TotalResultPages(), c.totalPages);
        EXPECT_EQ(paging.CurrentResultPage(), c.page);
        EXPECT_EQ(paging.FirstRow(), c.firstRow);
        EXPECT_EQ(paging.LastRow(), c.lastRow);
        const PagingControls controls = paging.Controls();
        EXPECT_TRUE(controls.visible);
        EXPECT_EQ(controls.prevEnabled, c.prevEnabled);
        EXPECT_EQ(controls.nextEnabled, c.nextEnabled);
        EXPECT_EQ(controls.editReadOnly, c.editReadOnly);
        EXPECT_EQ(controls.editText, std::to_string(c.page));
        EXPECT_EQ(controls.countText, c.countText);
        // The buttons do nothing exactly where they are disabled.
        ResultPaging copy = paging;
        EXPECT_EQ(copy.OnPrevResultPage(), c.prevEnabled);
        copy = paging;
        EXPECT_EQ(copy.OnNextResultPage(), c.nextEnabled);
    }
}

TEST(ResultPagingTest, NoRowsHideThePagingRow) {
    ResultPaging fresh;
    ResultPaging afterSearch;
    afterSearch.Reset(250);
    afterSearch.OnNextResultPage();
    afterSearch.Reset(0);
    for (ResultPaging& paging : {std::ref(fresh), std::ref(afterSearch)}) {
        EXPECT_EQ(paging.TotalResultPages(), 0);
        EXPECT_EQ(paging.CurrentResultPage(), 0);
        EXPECT_FALSE(paging.Controls().visible);
        EXPECT_EQ(paging.FirstRow(), paging.LastRow());
        EXPECT_FALSE(paging.OnPrevResultPage());
        EXPECT_FALSE(paging.OnNextResultPage());
        EXPECT_EQ(paging.OnResultPageEdited("1").outcome, PageEditOutcome::Restored);
        EXPECT_TRUE(paging.EnterRunsSearch());
    }
}

TEST(ResultPagingTest, PageRowsTakesTheCurrentPageOutOfAllRows) {
    std::vector<int> rows(250);
    for (std::size_t i = 0; i < rows.size(); ++i) rows[i] = static_cast<int>(i);
    ResultPaging paging;
    paging.Reset(rows.size());
    paging.OnNextResultPage();
    paging.OnNextResultPage();
    const auto page = paging.PageRows(rows);
    ASSERT_EQ(page.size(), 50u);
    EXPECT_EQ(page.front(), 200);
    EXPECT_EQ(page.back(), 249);
    EXPECT_TRUE(paging.PageRows(std::vector<int>{}).empty());  // fewer rows than counted
}

struct EditCase {
    const char* text;
    PageEditOutcome outcome;
    const char* editText;
    int current;
};

TEST(ResultPagingTest, PageEditRule) {
    const EditCase cases[] = {
        {"0", PageEditOutcome::Restored, "2", 2},
        {"a", PageEditOutcome::Restored, "2", 2},
        {"", PageEditOutcome::Restored, "2", 2},
        {"4", PageEditOutcome::Restored, "2", 2},
        {"-1", PageEditOutcome::Restored, "2", 2},
        {"99999999999999999999", PageEditOutcome::Restored, "2", 2},
        {"3", PageEditOutcome::Changed, "3", 3},
        {"1x", PageEditOutcome::Changed, "1", 1},
        {"2", PageEditOutcome::Unchanged, "2", 2},
    };
    for (const EditCase& c : cases) {
        ResultPaging paging;
        paging.Reset(250);
        paging.OnNextResultPage();
        const PageEditResult result = paging.OnResultPageEdited(c.text);
        EXPECT_EQ(result.outcome, c.outcome) << c.text;
        EXPECT_EQ(result.editText, c.editText) << c.text;
        EXPECT_EQ(paging.CurrentResultPage(), c.current) << c.text;
    }
}

TEST(ResultPagingTest, EnterSearchesWithAtMostOneResultPage) {
    ResultPaging paging;
    for (const auto& [rows, search] : std::vector<std::pair<std::size_t, bool>>{
             {0, true}, {100, true}, {101, false}, {250, false}}) {
        paging.Reset(rows);
        EXPECT_EQ(paging.EnterRunsSearch(), search) << rows;
    }
}

}  // namespace
}  // namespace panel
