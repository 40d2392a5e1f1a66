// Catalogue: the catalogue of the corpus, read once from <dataDir>/kvt.dir.
//
// Holds the table m_NodeItem of up to 10,000 record slots (slot 0 never used;
// records fill slots 1 .. recordCount - 1 in file order, so at most 9,999
// fit), the tree of ContentsNodeTag nodes under the root "root", and for the
// tree control the parent item of each slot. The slot number is the identity
// of a catalogue entry: tree item data, search scope and current volume.
//
// Tree of nodes: a record of level n >= 1 becomes a child of the most
// recently appended node of level n - 1 (the root for a category); a record
// whose parent level has not appeared gets no parent (an orphan: kept, but
// outside the tree). Consecutive volumes (level 3) of the same title are
// linked by prevVolume / nextVolume.
//
// Tree control items follow a separate rule: a category is a top-level item;
// any other record becomes the last child of the item of the most recent
// record one level up (orphans included), or a top-level item when there is
// none or its level is outside 2..20. TreeItems() lists them in insertion
// order.
//
// Owns every node and record; hands out const references valid until the
// next load or destruction. Not thread-safe.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/corpusfolder.h"
#include "panel/cataloguerecord.h"
#include "panel/contentsnode.h"

namespace panel {

inline constexpr int kCatalogueSlotCount = 10000;
inline constexpr const char* kCatalogueFileName = "kvt.dir";
inline constexpr const char* kCatalogueListingName = "kvt.txt";
// The whole-corpus entry: not a record of kvt.dir but the first item of the
// tree, covering every page record. Its slot lies past the record slots.
inline constexpr int kWholeCorpusSlot = kCatalogueSlotCount;
inline constexpr const char* kWholeCorpusName = "全体";
// Shown to the user when kvt.dir cannot be opened.
inline constexpr const char* kCatalogueMissingMessage = "you delete data file!";

struct CatalogueLoadResult {
    bool opened = false;  // false: kvt.dir could not be opened (kCatalogueMissingMessage)
    int records = 0;      // records loaded into slots 1 .. records
    // One line when part of the file was ignored (more than 9,999 records, a
    // trailing partial record, a read error); empty otherwise.
    std::string diagnostic;
    bool listingWritten = false;  // false when no listing was asked for or it could not be created
};

// One item of the tree control, in insertion order.
struct CatalogueTreeItem {
    int slot = 0;
    int parentSlot = 0;  // 0: top-level item
};

class Catalogue {
  public:
    Catalogue();
    ~Catalogue();
    Catalogue(const Catalogue&) = delete;
    Catalogue& operator=(const Catalogue&) = delete;

    // Replaces the catalogue with the records of <dataDir>/kvt.dir and writes
    // the listing to listingPath (relative paths resolve against the current
    // working directory; empty = no listing). A listing that cannot be created
    // is not an error. When kvt.dir cannot be opened the catalogue is left
    // empty and opened is false; the listing is still created, empty.
    CatalogueLoadResult LoadCatalogue(const std::string& dataDir,
                                      const std::string& listingPath = kCatalogueListingName);
    // The same with kvt.dir read through an open corpus folder (a regular
    // file only), so that it comes from the same corpus as the index.
    CatalogueLoadResult LoadCatalogue(const engine::CorpusFolder& folder,
                                      const std::string& listingPath = kCatalogueListingName);
    // Replaces the catalogue with the records held in bytes (the content of a
    // kvt.dir); opened is true. Writes no listing.
    CatalogueLoadResult LoadRecords(std::string_view bytes);

    // The kvt.txt listing of the loaded records: per record the prefix (one
    // tab for level 2, two for level 3) and
    // "name=%s\tdocID=%d\tdocNo=%d\tcurFileName=%d\n"; a control character
    // in a name prints as \xNN, so that every record is one line.
    std::string ListingText() const;
    static std::string ListingLine(const CatalogueRecord& record);

    int RecordCount() const { return m_recordCount; }  // 1 + number of records
    bool HoldsEntry(int slot) const { return slot >= 1 && slot < m_recordCount; }
    // The record in a slot; slots outside 0 .. 9,999 answer an all-zero record.
    const CatalogueRecord& NodeItem(int slot) const;
    const ContentsNodeTag& RootNode() const { return *m_rootNode; }
    // The node made from a slot's record (in the tree or an orphan), or
    // nullptr for a slot that holds no record.
    const ContentsNodeTag* NodeOfSlot(int slot) const;
    // The scope node of a search: FindCatalogueNode(root, record in slot), or
    // nullptr when the slot holds no record or no node matches it. For
    // kWholeCorpusSlot the root, which BuildRows takes as every record.
    const ContentsNodeTag* ScopeNode(int slot) const;

    // Tree control items in insertion order (parents come before children).
    const std::vector<CatalogueTreeItem>& TreeItems() const { return m_treeItems; }
    // Parent item slot of a slot's item; 0 for top-level items and empty slots.
    int TreeParentSlot(int slot) const;
    // The item's name preceded by each ancestor item's name, joined by '\'
    // (category\title\volume): the text of the scope label; kWholeCorpusName
    // for kWholeCorpusSlot.
    std::string TreePath(int slot) const;

  private:
    void Clear();
    void AddRecord(const CatalogueRecord& record);
    // Makes room in the tables for count more records.
    void ReserveRecords(std::size_t count);
    // Adds count records of kCatalogueRecordSize bytes each from bytes.
    void AddRecords(const unsigned char* bytes, std::size_t count);
    // Adds the records of the folder's kvt.dir and fills result (opened
    // stays false when the file cannot be opened).
    void ReadRecords(const engine::CorpusFolder& folder, CatalogueLoadResult& result);

    std::vector<CatalogueRecord> m_NodeItem;  // slot 0 and the records read, in slot order
    int m_recordCount = 1;
    std::unique_ptr<ContentsNodeTag> m_rootNode;
    std::vector<std::unique_ptr<ContentsNodeTag>> m_orphans;
    std::vector<ContentsNodeTag*> m_nodeOfSlot;  // by slot
    std::vector<CatalogueTreeItem> m_treeItems;
    std::vector<int> m_treeParent;  // by slot
    // Loading state: last in-tree node per level and last tree item per level.
    std::vector<ContentsNodeTag*> m_lastNodeAtLevel;
    std::vector<int> m_lastItemAtLevel;
    ContentsNodeTag* m_lastVolume = nullptr;
};

}  // namespace panel
