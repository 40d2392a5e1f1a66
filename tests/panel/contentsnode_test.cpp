#include "panel/contentsnode.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "panel/catalogue.h"
#include "tests/panel/catalogue_builder.h"

namespace panel {
namespace {

using testing::CatalogueBytes;
using testing::Entry;

// Loading the records one by one with FindParentNode over the tree built so
// far gives every record the parent the catalogue gave it.
TEST(FindParentNodeTest, AgreesWithTheCataloguesParentsOnRandomLevels) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> level(0, 5);
    Catalogue catalogue;
    for (int round = 0; round < 40; ++round) {
        std::vector<Entry> entries;
        for (int i = 0; i < 80; ++i) {
            entries.push_back({"e" + std::to_string(i), level(random), i, 1, 1});
        }
        catalogue.LoadRecords(CatalogueBytes(entries));

        ContentsNodeTag root;
        std::vector<const ContentsNodeTag*> parentOfSlot(entries.size() + 1, nullptr);
        for (std::size_t k = 0; k < entries.size(); ++k) {
            const int slot = static_cast<int>(k) + 1;
            const ContentsNodeTag* parent = FindParentNode(root, entries[k].level);
            parentOfSlot[static_cast<std::size_t>(slot)] = parent;
            if (!parent) continue;
            auto node = std::make_unique<ContentsNodeTag>(catalogue.NodeItem(slot), slot);
            const_cast<ContentsNodeTag*>(parent)->AddChild(std::move(node));
        }
        for (int slot = 1; slot < catalogue.RecordCount(); ++slot) {
            const ContentsNodeTag* expected = parentOfSlot[static_cast<std::size_t>(slot)];
            const ContentsNodeTag* actual = catalogue.NodeOfSlot(slot)->parent;
            SCOPED_TRACE("round " + std::to_string(round) + " slot " + std::to_string(slot));
            ASSERT_EQ(actual == nullptr, expected == nullptr);
            if (actual) {
                EXPECT_EQ(actual->slot, expected->slot);
            }
        }
    }
}

TEST(FindCatalogueNodeTest, FirstMatchInPreOrder) {
    Catalogue catalogue;
    catalogue.LoadRecords(CatalogueBytes({{"甲", 1, 1, 10, 1},
                                          {"書", 2, 1, 5, 1},
                                          {"巻", 3, 1, 5, 1},
                                          {"乙", 1, 11, 10, 1},
                                          {"同じ書", 2, 1, 5, 1}}));
    // Slot 5 repeats the fields of slot 2: the earlier node wins.
    EXPECT_EQ(FindCatalogueNode(catalogue.RootNode(), catalogue.NodeItem(5)),
              catalogue.NodeOfSlot(2));
    EXPECT_EQ(FindCatalogueNode(catalogue.RootNode(), catalogue.NodeItem(3)),
              catalogue.NodeOfSlot(3));
    EXPECT_EQ(FindCatalogueNode(catalogue.RootNode(), CatalogueRecord::Make("", 3, 1, 5, 2)),
              nullptr);
}

struct HoldsCase {
    std::int32_t docID;
    std::int32_t docNo;
    std::uint32_t n;
    bool holds;
};

TEST(ContentsNodeTest, HoldsComparesUnsigned) {
    const HoldsCase cases[] = {
        {101, 10, 100, false},     {101, 10, 101, true},
        {101, 10, 110, true},      {101, 10, 111, false},
        {101, 0, 101, false},      {0, 0, 0, true},  // wraps: all records
        {0, 0, 0xFFFFFFFFu, true}, {-1, 1, 0xFFFFFFFFu, true},
        {-1, 2, 0, false},         {INT32_MAX, INT32_MAX, 0x80000000u, true},
    };
    for (const HoldsCase& c : cases) {
        ContentsNodeTag node;
        node.docID = c.docID;
        node.docNo = c.docNo;
        EXPECT_EQ(node.Holds(c.n), c.holds) << c.docID << " " << c.docNo << " " << c.n;
    }
}

TEST(RangeIndexTest, BinarySearchOnlyForAscendingDisjointRanges) {
    struct Case {
        std::vector<std::pair<int, int>> ranges;  // docID, docNo
        bool sorted;
    };
    const Case cases[] = {
        {{{1, 10}, {11, 5}, {20, 1}}, true},
        {{{1, 10}, {5, 10}}, false},          // overlap
        {{{11, 5}, {1, 10}}, false},          // descending
        {{{1, 10}, {11, 0}, {11, 3}}, true},  // an empty range takes no part
        {{}, true},
    };
    for (const Case& c : cases) {
        std::vector<std::unique_ptr<ContentsNodeTag>> owned;
        std::vector<const ContentsNodeTag*> nodes;
        for (const auto& [docID, docNo] : c.ranges) {
            owned.push_back(std::make_unique<ContentsNodeTag>());
            owned.back()->docID = docID;
            owned.back()->docNo = docNo;
            nodes.push_back(owned.back().get());
        }
        RangeIndex index;
        index.Build(nodes);
        EXPECT_EQ(index.Sorted(), c.sorted);
        for (std::uint32_t n = 0; n < 30; ++n) {
            EXPECT_EQ(index.Find(n), index.Find(n, true)) << n;
        }
    }
}

}  // namespace
}  // namespace panel
