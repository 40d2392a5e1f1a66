#include "panel/pagehistory.h"

#include <gtest/gtest.h>

#include <set>

namespace panel {
namespace {

HistoryEntry Catalogue(int slot, int page) {
    HistoryEntry e;
    e.volumeSlot = slot;
    e.page = page;
    return e;
}

HistoryEntry Result(std::uint32_t record, int hit) {
    HistoryEntry e;
    e.kind = HistoryEntry::kResult;
    e.record = record;
    e.keyword = u"明月";
    e.hit = hit;
    return e;
}

// Shows every entry but those listed as gone, remembering what it showed.
struct Viewer {
    std::set<int> goneSlots;
    std::vector<HistoryEntry> shown;
    PageHistory::Show Show(PageHistory& history) {
        return [this, &history](const HistoryEntry& e) {
            if (goneSlots.count(e.volumeSlot) != 0) return false;
            shown.push_back(e);
            history.Record(e);  // the view reports it: must not add an entry
            return true;
        };
    }
};

TEST(PageHistory, BackAndForwardOverAMixedPathRestoreTheHit) {
    PageHistory history;
    Viewer viewer;
    history.Record(Catalogue(3, 1));
    history.Record(Result(7, 0));
    history.Record(Result(7, 2));  // a hit step on the same page
    history.Record(Catalogue(3, 2));
    ASSERT_EQ(history.Entries().size(), 3u);
    EXPECT_FALSE(history.CanForward());

    ASSERT_TRUE(history.Back(viewer.Show(history)));
    EXPECT_EQ(viewer.shown.back(), Result(7, 2));
    ASSERT_TRUE(history.Back(viewer.Show(history)));
    EXPECT_EQ(viewer.shown.back(), Catalogue(3, 1));
    EXPECT_FALSE(history.CanBack());
    EXPECT_FALSE(history.Back(viewer.Show(history)));
    ASSERT_TRUE(history.Forward(viewer.Show(history)));
    ASSERT_TRUE(history.Forward(viewer.Show(history)));
    EXPECT_EQ(viewer.shown.back(), Catalogue(3, 2));
    EXPECT_EQ(history.Entries().size(), 3u);

    // A new page after going back drops the forward entries.
    ASSERT_TRUE(history.Back(viewer.Show(history)));
    history.Record(Catalogue(9, 1));
    EXPECT_FALSE(history.CanForward());
    EXPECT_EQ(history.Entries().back(), Catalogue(9, 1));
    EXPECT_EQ(history.Entries().size(), 3u);
}

TEST(PageHistory, PagesThatNoLongerExistAreSkippedAndDropped) {
    PageHistory history;
    Viewer viewer;
    for (int slot : {1, 2, 3, 4, 5}) history.Record(Catalogue(slot, 1));
    viewer.goneSlots = {3, 4};
    ASSERT_TRUE(history.Back(viewer.Show(history)));
    EXPECT_EQ(viewer.shown.back(), Catalogue(2, 1));
    EXPECT_EQ(history.Entries().size(), 3u);
    ASSERT_TRUE(history.Forward(viewer.Show(history)));
    EXPECT_EQ(viewer.shown.back(), Catalogue(5, 1));

    viewer.goneSlots = {1, 2};
    EXPECT_FALSE(history.Back(viewer.Show(history)));
    EXPECT_EQ(history.Entries().size(), 1u);
    EXPECT_EQ(history.CurrentIndex(), 0);
}

TEST(PageHistory, KeepsAtMostTheLimit) {
    PageHistory history;
    for (int i = 0; i < static_cast<int>(kHistoryLimit) + 20; ++i) history.Record(Catalogue(1, i));
    EXPECT_EQ(history.Entries().size(), kHistoryLimit);
    EXPECT_EQ(history.Entries().front(), Catalogue(1, 20));
    EXPECT_EQ(history.CurrentIndex(), static_cast<int>(kHistoryLimit) - 1);
}

}  // namespace
}  // namespace panel
