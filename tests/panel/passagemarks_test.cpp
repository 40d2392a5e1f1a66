#include "panel/passagemarks.h"

#include <gtest/gtest.h>

#include <string>

namespace panel {
namespace {

using Spans = std::vector<pages::PositionSpan>;

// The page's codes stand at positions 10, 11, ... except that a gap (as a
// stretch the page leaves out of the passage's numbering) follows index 3.
std::vector<std::uint32_t> Positions(std::size_t count) {
    std::vector<std::uint32_t> positions;
    for (std::uint32_t k = 0; k < count; ++k) positions.push_back(10 + k + (k > 3 ? 5 : 0));
    return positions;
}

TEST(PassageMarksTest, MapsThePassageRunsOntoItsPage) {
    const std::vector<int> page = {1, 2, 3, 4, 5, 6, 7, 3, 4, 5};
    struct Case {
        std::string name;
        std::int64_t record;
        std::vector<int> passage;
        Spans runs;  // passage indexes
        Spans want;  // page positions; empty: no entry
    };
    const std::vector<Case> cases = {
        {"whole page", 4, page, {{0, 3}, {5, 9}}, {{10, 13}, {20, 24}}},
        {"selection, first occurrence", 4, {3, 4, 5}, {{1, 3}}, {{13, 20}}},
        {"selection across the gap", 4, {4, 5, 6}, {{0, 3}}, {{13, 21}}},
        {"empty or out-of-range runs skipped", 4, {3, 4, 5}, {{2, 2}, {1, 9}, {0, 1}}, {{12, 13}}},
        {"selection not on the page", 4, {9, 9}, {{0, 2}}, {}},
        {"no page", -1, page, {{0, 3}}, {}},
        {"no runs", 4, page, {}, {}},
    };
    for (const Case& c : cases) {
        PassageMarks marks;
        marks.Set(c.record, c.passage, page, Positions(page.size()));
        const std::optional<HistoryEntry> entry = marks.EntryFor(c.runs);
        ASSERT_EQ(entry.has_value(), !c.want.empty()) << c.name;
        if (!entry) continue;
        EXPECT_EQ(entry->kind, HistoryEntry::kResult) << c.name;
        EXPECT_EQ(entry->record, static_cast<std::uint32_t>(c.record)) << c.name;
        EXPECT_TRUE(entry->keyword.empty()) << c.name;
        EXPECT_EQ(entry->marks, c.want) << c.name;
    }
}

TEST(PassageMarksTest, ReplacedEntryComesBackAndMarksTellPagesApart) {
    PassageMarks marks;
    marks.Set(0, {1, 2, 3}, {1, 2, 3}, {0, 1, 2});
    HistoryEntry catalogue;  // the passage's page as first shown
    catalogue.volumeSlot = 3;
    catalogue.page = 1;
    HistoryEntry result;  // a result page with other marks
    result.kind = HistoryEntry::kResult;
    result.record = 1;
    result.marks = {{0, 3}};

    PageHistory history;
    history.ReplaceCurrent(catalogue);  // nothing to replace yet
    EXPECT_TRUE(history.Entries().empty());
    history.Record(catalogue);
    history.ReplaceCurrent(*marks.EntryFor({{0, 3}}));
    history.Record(result);
    HistoryEntry otherMarks = result;
    otherMarks.marks = {{1, 3}};
    EXPECT_FALSE(otherMarks.SamePage(result));
    ASSERT_EQ(history.Entries().size(), 2u);

    std::vector<HistoryEntry> shown;
    ASSERT_TRUE(history.Back([&](const HistoryEntry& e) {
        shown.push_back(e);
        return true;
    }));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].record, 0u);
    EXPECT_EQ(shown[0].marks, (Spans{{0, 3}}));
}

}  // namespace
}  // namespace panel
