#include "panel/catalogue.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "panel/positionstate.h"
#include "tests/panel/catalogue_builder.h"

namespace panel {
namespace {

using testing::CatalogueBytes;
using testing::Entry;
using testing::TempDir;

std::vector<int> ChildSlots(const ContentsNodeTag& node) {
    std::vector<int> slots;
    for (const auto& child : node.children) slots.push_back(child->slot);
    return slots;
}

TEST(CatalogueTest, OneCategoryTitleVolumeGivesSlotsOneTwoThree) {
    Catalogue catalogue;
    const auto result = catalogue.LoadRecords(
        CatalogueBytes({{"經部", 1, 1, 10, 1}, {"周易", 2, 1, 10, 1}, {"卷一", 3, 1, 10, 1}}));
    EXPECT_TRUE(result.opened);
    EXPECT_EQ(result.records, 3);
    EXPECT_TRUE(result.diagnostic.empty());
    EXPECT_EQ(catalogue.RecordCount(), 4);

    const ContentsNodeTag& root = catalogue.RootNode();
    EXPECT_EQ(root.name, "root");
    EXPECT_EQ(root.level, 0);
    ASSERT_EQ(ChildSlots(root), std::vector<int>{1});
    const ContentsNodeTag& category = *root.children[0];
    ASSERT_EQ(ChildSlots(category), std::vector<int>{2});
    const ContentsNodeTag& title = *category.children[0];
    ASSERT_EQ(ChildSlots(title), std::vector<int>{3});
    const ContentsNodeTag& volume = *title.children[0];
    EXPECT_TRUE(volume.children.empty());
    EXPECT_EQ(category.parent, &root);
    EXPECT_EQ(title.parent, &category);
    EXPECT_EQ(volume.parent, &title);
    EXPECT_EQ(volume.name, "卷一");
    EXPECT_EQ(volume.docNo, 10);

    const std::vector<CatalogueTreeItem>& items = catalogue.TreeItems();
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].slot, 1);
    EXPECT_EQ(items[0].parentSlot, 0);
    EXPECT_EQ(items[1].slot, 2);
    EXPECT_EQ(items[1].parentSlot, 1);
    EXPECT_EQ(items[2].slot, 3);
    EXPECT_EQ(items[2].parentSlot, 2);
    EXPECT_EQ(catalogue.TreePath(3), "經部\\周易\\卷一");
    EXPECT_EQ(catalogue.TreePath(1), "經部");
    for (int slot = 1; slot <= 3; ++slot) EXPECT_EQ(catalogue.NodeOfSlot(slot)->slot, slot);
}

TEST(CatalogueTest, VolumesAreLinkedWithinTheirTitleOnly) {
    Catalogue catalogue;
    catalogue.LoadRecords(CatalogueBytes({{"類", 1, 1, 40, 1},
                                          {"甲", 2, 1, 20, 1},
                                          {"甲一", 3, 1, 10, 1},
                                          {"甲二", 3, 11, 10, 1},
                                          {"乙", 2, 21, 20, 1},
                                          {"乙一", 3, 21, 10, 1},
                                          {"乙二", 3, 31, 10, 1}}));
    const auto* a1 = catalogue.NodeOfSlot(3);
    const auto* a2 = catalogue.NodeOfSlot(4);
    const auto* b1 = catalogue.NodeOfSlot(6);
    const auto* b2 = catalogue.NodeOfSlot(7);
    EXPECT_EQ(a1->prevVolume, nullptr);
    EXPECT_EQ(a1->nextVolume, a2);
    EXPECT_EQ(a2->prevVolume, a1);
    EXPECT_EQ(a2->nextVolume, nullptr);
    EXPECT_EQ(b1->prevVolume, nullptr);
    EXPECT_EQ(b1->nextVolume, b2);
    EXPECT_EQ(b2->prevVolume, b1);
    EXPECT_EQ(catalogue.NodeOfSlot(2)->nextVolume, nullptr);  // titles are never linked
    EXPECT_EQ(ChildSlots(*catalogue.NodeOfSlot(1)), (std::vector<int>{2, 5}));
}

TEST(CatalogueTest, RecordsBeforeTheirParentLevelAreOrphansAtTheTopLevel) {
    Catalogue catalogue;
    catalogue.LoadRecords(CatalogueBytes({{"孤書", 2, 1, 5, 1},
                                          {"孤巻甲", 3, 1, 2, 1},
                                          {"孤巻乙", 3, 3, 3, 1},
                                          {"類", 1, 6, 5, 1},
                                          {"書", 2, 6, 5, 1}}));
    const ContentsNodeTag* orphanTitle = catalogue.NodeOfSlot(1);
    ASSERT_NE(orphanTitle, nullptr);
    EXPECT_EQ(orphanTitle->parent, nullptr);
    EXPECT_EQ(ChildSlots(catalogue.RootNode()), std::vector<int>{4});
    EXPECT_EQ(catalogue.TreeParentSlot(1), 0);  // top-level item

    // The volumes find no title node, so they are orphans too and not linked
    // to each other; their tree items follow the item of the last title record.
    const ContentsNodeTag* first = catalogue.NodeOfSlot(2);
    const ContentsNodeTag* second = catalogue.NodeOfSlot(3);
    EXPECT_EQ(first->parent, nullptr);
    EXPECT_EQ(first->nextVolume, nullptr);
    EXPECT_EQ(second->prevVolume, nullptr);
    EXPECT_EQ(catalogue.TreeParentSlot(2), 1);
    EXPECT_EQ(catalogue.TreeParentSlot(3), 1);

    // Orphans are no search scope.
    EXPECT_EQ(catalogue.ScopeNode(1), nullptr);
    EXPECT_EQ(catalogue.ScopeNode(4), catalogue.NodeOfSlot(4));
    EXPECT_EQ(catalogue.TreeParentSlot(5), 4);
}

TEST(CatalogueTest, ALevelSkippedAttachesToTheLastNodeOneLevelUp) {
    Catalogue catalogue;
    catalogue.LoadRecords(CatalogueBytes({{"一類", 1, 1, 10, 1},
                                          {"一書", 2, 1, 10, 1},
                                          {"一巻", 3, 1, 10, 1},
                                          {"二類", 1, 11, 10, 1},
                                          {"二巻", 3, 11, 10, 1}}));
    const ContentsNodeTag* title = catalogue.NodeOfSlot(2);
    EXPECT_EQ(ChildSlots(*title), (std::vector<int>{3, 5}));
    EXPECT_EQ(catalogue.NodeOfSlot(3)->nextVolume, catalogue.NodeOfSlot(5));
    EXPECT_EQ(catalogue.TreeParentSlot(5), 2);
    EXPECT_TRUE(catalogue.NodeOfSlot(4)->children.empty());
}

struct ListingCase {
    const char* what;
    Entry entry;
    const char* line;
};

TEST(CatalogueTest, ListingLineFormat) {
    const ListingCase cases[] = {
        {"volume", {"巻一", 3, 37, 12, 1}, "\t\tname=巻一\tdocID=37\tdocNo=12\tcurFileName=1\n"},
        {"title", {"周易", 2, 1, 100, 3}, "\tname=周易\tdocID=1\tdocNo=100\tcurFileName=3\n"},
        {"category", {"經部", 1, 1, 9, 0}, "name=經部\tdocID=1\tdocNo=9\tcurFileName=0\n"},
        {"other level", {"x", 4, -5, 0, 65535}, "name=x\tdocID=-5\tdocNo=0\tcurFileName=65535\n"},
        {"empty name", {"", 0, 0, 0, 0}, "name=\tdocID=0\tdocNo=0\tcurFileName=0\n"},
    };
    for (const ListingCase& c : cases) {
        const CatalogueRecord record = CatalogueRecord::Make(
            c.entry.name, c.entry.level, c.entry.docID, c.entry.docNo, c.entry.curFileName);
        EXPECT_EQ(Catalogue::ListingLine(record), c.line) << c.what;
    }
}

TEST(CatalogueTest, LoadWritesTheListingAndTheGivenPathOnly) {
    TempDir dir;
    const std::vector<Entry> entries = {
        {"經部", 1, 1, 10, 1}, {"周易", 2, 1, 10, 1}, {"巻一", 3, 1, 10, 1}};
    dir.Write("kvt.dir", CatalogueBytes(entries));
    Catalogue catalogue;
    const auto result = catalogue.LoadCatalogue(dir.Path(), dir.File("listing.txt"));
    EXPECT_TRUE(result.opened);
    EXPECT_TRUE(result.listingWritten);
    EXPECT_EQ(result.records, 3);
    EXPECT_EQ(dir.Read("listing.txt"),
              "name=經部\tdocID=1\tdocNo=10\tcurFileName=1\n"
              "\tname=周易\tdocID=1\tdocNo=10\tcurFileName=1\n"
              "\t\tname=巻一\tdocID=1\tdocNo=10\tcurFileName=1\n");

    // A listing that cannot be created does not stop the load.
    const auto noListing = catalogue.LoadCatalogue(dir.Path(), dir.File("no/such/folder.txt"));
    EXPECT_TRUE(noListing.opened);
    EXPECT_FALSE(noListing.listingWritten);
    EXPECT_EQ(catalogue.RecordCount(), 4);
}

TEST(CatalogueTest, MissingCatalogueLeavesAnEmptyTreeAndAnEmptyListing) {
    TempDir dir;
    dir.Write("listing.txt", "old content");
    Catalogue catalogue;
    const auto result = catalogue.LoadCatalogue(dir.Path(), dir.File("listing.txt"));
    EXPECT_FALSE(result.opened);
    EXPECT_STREQ(kCatalogueMissingMessage, "you delete data file!");
    EXPECT_EQ(catalogue.RecordCount(), 1);
    EXPECT_TRUE(catalogue.RootNode().children.empty());
    EXPECT_TRUE(catalogue.TreeItems().empty());
    EXPECT_EQ(catalogue.ScopeNode(1), nullptr);
    EXPECT_EQ(dir.Read("listing.txt"), "");

    // A folder named kvt.dir is no catalogue either.
    TempDir other;
    std::filesystem::create_directory(other.File("kvt.dir"));
    EXPECT_FALSE(catalogue.LoadCatalogue(other.Path(), "").opened);
}

std::vector<Entry> ManyVolumes(int count) {
    std::vector<Entry> entries = {{"類", 1, 1, count, 1}, {"書", 2, 1, count, 1}};
    for (int i = 0; static_cast<int>(entries.size()) < count; ++i) {
        entries.push_back({"巻" + std::to_string(i), 3, i + 1, 1, 1});
    }
    entries.resize(static_cast<std::size_t>(count));
    return entries;
}

struct SizeCase {
    const char* what;
    int records;
    int extraBytes;
    int loaded;
    bool diagnostic;
};

TEST(CatalogueTest, OversizedAndTruncatedFilesLoadTheWholeRecordsThatFit) {
    const SizeCase cases[] = {
        {"empty", 0, 0, 0, false},
        {"only a fragment", 0, 100, 0, true},
        {"partial last record", 3, 100, 3, true},
        {"exactly full", 9999, 0, 9999, false},
        {"one record too many", 10000, 0, 9999, true},
        {"far too many and a fragment", 12000, 7, 9999, true},
    };
    for (const SizeCase& c : cases) {
        std::string bytes = CatalogueBytes(ManyVolumes(c.records));
        bytes.append(static_cast<std::size_t>(c.extraBytes), '\x01');
        TempDir dir;
        dir.Write("kvt.dir", bytes);
        for (const bool fromFile : {true, false}) {
            Catalogue catalogue;
            const auto result =
                fromFile ? catalogue.LoadCatalogue(dir.Path(), "") : catalogue.LoadRecords(bytes);
            SCOPED_TRACE(std::string(c.what) + (fromFile ? " (file)" : " (bytes)"));
            EXPECT_TRUE(result.opened);
            EXPECT_EQ(result.records, c.loaded);
            EXPECT_EQ(catalogue.RecordCount(), c.loaded + 1);
            EXPECT_EQ(!result.diagnostic.empty(), c.diagnostic) << result.diagnostic;
            EXPECT_EQ(result.diagnostic.find('\n'), std::string::npos);
            EXPECT_EQ(static_cast<int>(catalogue.TreeItems().size()), c.loaded);
            if (c.loaded == 9999) {
                EXPECT_EQ(catalogue.NodeItem(9999).Name(), "巻9996");
                EXPECT_EQ(catalogue.NodeOfSlot(9999)->name, "巻9996");
            }
            EXPECT_FALSE(catalogue.HoldsEntry(c.loaded + 1));
        }
    }
}

TEST(CatalogueTest, OutOfTableSlotsAnswerNothing) {
    Catalogue catalogue;
    catalogue.LoadRecords(CatalogueBytes({{"類", 1, 1, 1, 1}}));
    // 10000 past the table is the whole-corpus entry (see the rows tests).
    for (const int slot : {-1, 0, 2, 9999, 10001, INT_MAX, INT_MIN}) {
        EXPECT_EQ(catalogue.NodeOfSlot(slot), nullptr) << slot;
        EXPECT_EQ(catalogue.ScopeNode(slot), nullptr) << slot;
        EXPECT_EQ(catalogue.TreeParentSlot(slot), 0) << slot;
        EXPECT_EQ(catalogue.TreePath(slot), "") << slot;
        EXPECT_EQ(catalogue.NodeItem(slot).Level(), 0) << slot;
    }
}

TEST(CatalogueTest, OddLevelsNeverBreakTheLoad) {
    std::vector<Entry> entries = {
        {"零", 0, 0, 0, 0},         {"負", -1, 1, 1, 1},  {"最小", INT_MIN, 1, 1, 1},
        {"最大", INT_MAX, 1, 1, 1}, {"類", 1, 1, 100, 1}, {"書", 2, 1, 100, 1},
        {"巻", 3, 1, 100, 1},       {"節", 4, 1, 50, 1},  {"深", 25, 1, 1, 1},
        {"二十", 20, 1, 1, 1},      {"二一", 21, 1, 1, 1}};
    Catalogue catalogue;
    catalogue.LoadRecords(CatalogueBytes(entries));
    EXPECT_EQ(catalogue.RecordCount(), static_cast<int>(entries.size()) + 1);
    EXPECT_EQ(ChildSlots(catalogue.RootNode()), std::vector<int>{5});
    EXPECT_EQ(ChildSlots(*catalogue.NodeOfSlot(7)), std::vector<int>{8});
    for (const int orphan : {1, 2, 3, 4, 9, 10, 11}) {
        EXPECT_EQ(catalogue.NodeOfSlot(orphan)->parent, nullptr) << orphan;
        EXPECT_EQ(catalogue.TreeParentSlot(orphan), 0) << orphan;
    }
    EXPECT_EQ(catalogue.TreeParentSlot(8), 7);
    // A zero record matches the root, the first node in pre-order.
    EXPECT_EQ(catalogue.ScopeNode(1), &catalogue.RootNode());
}

TEST(CatalogueTest, AChainOfLevelsAsDeepAsTheTableLoadsAndUnloads) {
    std::vector<Entry> entries;
    for (int level = 1; level <= 9999; ++level) entries.push_back({"n", level, 1, 1, 1});
    auto catalogue = std::make_unique<Catalogue>();
    catalogue->LoadRecords(CatalogueBytes(entries));
    EXPECT_EQ(catalogue->NodeOfSlot(9999)->parent, catalogue->NodeOfSlot(9998));
    EXPECT_EQ(FindParentNode(catalogue->RootNode(), 9999), catalogue->NodeOfSlot(9998));
    EXPECT_EQ(catalogue->ScopeNode(9999), catalogue->NodeOfSlot(9999));
    catalogue.reset();  // must not recurse 9,999 levels deep
}

TEST(CatalogueTest, NamesAreDecodedFromTheirField) {
    CatalogueRecord noNul;
    for (std::size_t i = 0; i < kCatalogueNameUnits; ++i) {
        noNul.bytes[2 * i] = static_cast<unsigned char>('a' + i % 26);
    }
    std::string expected;
    for (std::size_t i = 0; i < kCatalogueNameUnits; ++i)
        expected += static_cast<char>('a' + i % 26);
    EXPECT_EQ(noNul.Name(), expected);

    CatalogueRecord unpaired;  // U+4E00, a lone high surrogate, U+4E8C
    const unsigned char units[] = {0x00, 0x4E, 0x00, 0xD8, 0x8C, 0x4E};
    std::copy(std::begin(units), std::end(units), unpaired.bytes.begin());
    EXPECT_EQ(unpaired.Name(), "一\xEF\xBF\xBD二");

    EXPECT_EQ(CatalogueRecord::Make("𠀀書", 2, 1, 1, 1).Name(), "𠀀書");  // a surrogate pair
    EXPECT_EQ(CatalogueRecord::Make(std::string(150, 'x'), 1, 1, 1, 1).Name(),
              std::string(99, 'x'));
}

TEST(CatalogueTest, ReloadingReplacesEverything) {
    Catalogue catalogue;
    catalogue.LoadRecords(CatalogueBytes({{"甲", 1, 1, 1, 1}, {"乙", 1, 2, 1, 1}}));
    catalogue.LoadRecords(CatalogueBytes({{"丙", 1, 1, 1, 1}}));
    EXPECT_EQ(catalogue.RecordCount(), 2);
    EXPECT_EQ(ChildSlots(catalogue.RootNode()), std::vector<int>{1});
    EXPECT_EQ(catalogue.TreeItems().size(), 1u);
    EXPECT_EQ(catalogue.NodeItem(2).Level(), 0);
}

TEST(PositionStateTest, StartsAtTheWholeCorpusWithNoVolume) {
    const PositionState state;
    EXPECT_EQ(state.scopeEntry, kWholeCorpusSlot);
    EXPECT_EQ(state.scopeLabel, "全体");
    EXPECT_EQ(state.currentVolume, 0);
    EXPECT_EQ(state.currentPage, 0);
}

}  // namespace
}  // namespace panel
