// ContentsNodeTag: one node of the catalogue tree (category, title or volume),
// plus the root. Each node owns its children; the Catalogue owns the root.
//
// Besides the catalogue's own fields every node carries the slot it was read
// from and two range indexes, filled once by IndexChildRanges after loading:
// one over its children and one over its children's children, in order. When
// the ranges of an index are ascending and do not overlap, the entry that
// holds a page record is found by binary search; otherwise by a linear scan
// in order. Both answer the first entry in order that holds the record.
//
// Nodes are built on one thread and read-only afterwards.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "panel/cataloguerecord.h"

namespace panel {

struct ContentsNodeTag;

// Record ranges of a list of nodes, in list order, for "which node holds
// page record n" questions. A node holds n (1-based) when
// docID <= n <= docID + docNo - 1, compared as unsigned 32-bit numbers.
class RangeIndex {
  public:
    void Build(const std::vector<const ContentsNodeTag*>& nodes);
    void Clear();
    // The first node in list order that holds n, or nullptr. Binary search
    // when the ranges are ascending and disjoint, linear scan otherwise or
    // when linearOnly is set.
    const ContentsNodeTag* Find(std::uint32_t n, bool linearOnly = false) const;
    bool Sorted() const { return m_lists ? m_lists->sorted : m_builtEmpty; }
    // Number of nodes indexed (to tell a built index from a stale one).
    std::size_t Size() const { return m_lists ? m_lists->nodes.size() : 0; }

  private:
    struct Lists {
        std::vector<const ContentsNodeTag*> nodes;  // every node, in order
        // Nodes with a non-empty range, in order, for the binary search.
        std::vector<std::uint32_t> first;
        std::vector<std::uint32_t> last;
        std::vector<const ContentsNodeTag*> holders;
        bool sorted = false;
    };
    // Every node carries two indexes and most (volumes) never fill them: an
    // empty one is a null pointer, not four empty vectors.
    std::unique_ptr<Lists> m_lists;
    bool m_builtEmpty = false;  // built over no nodes: trivially in order
};

struct ContentsNodeTag {
    std::string name;  // UTF-8; "root" for the root
    std::int32_t level = 0;
    std::int32_t docID = 0;
    std::int32_t docNo = 0;
    std::uint16_t curFileName = 0;
    ContentsNodeTag* parent = nullptr;      // none for the root and for orphans
    ContentsNodeTag* prevVolume = nullptr;  // volumes of the same title only
    ContentsNodeTag* nextVolume = nullptr;
    std::vector<std::unique_ptr<ContentsNodeTag>> children;  // in file order

    int slot = 0;                 // slot of m_NodeItem it was read from; 0 for the root
    bool wholeCorpus = false;     // the catalogue's root: as a scope it covers every record
    RangeIndex childRanges;       // over children
    RangeIndex grandchildRanges;  // over each child's children, children in order

    ContentsNodeTag() = default;
    ContentsNodeTag(const CatalogueRecord& record, int fromSlot);
    // Destroys the subtree without recursion, so any depth is safe.
    ~ContentsNodeTag();
    ContentsNodeTag(const ContentsNodeTag&) = delete;
    ContentsNodeTag& operator=(const ContentsNodeTag&) = delete;

    // True when page record n (1-based) lies in docID .. docID + docNo - 1
    // (unsigned comparison, as the catalogue defines it).
    bool Holds(std::uint32_t n) const;
    // Appends child, sets its parent and returns it.
    ContentsNodeTag* AddChild(std::unique_ptr<ContentsNodeTag> child);
};

// Fills childRanges and grandchildRanges of every node of the subtree. Run it
// again after changing the tree; lookups fall back to a scan of the children
// when an index does not cover them all.
void IndexChildRanges(ContentsNodeTag& root);

// The most recently appended node one level above recordLevel: searches the
// subtree of node for nodes whose level is recordLevel - 1, without entering
// them, and returns the last one in pre-order, or nullptr.
const ContentsNodeTag* FindParentNode(const ContentsNodeTag& node, std::int32_t recordLevel);

// The first node in pre-order (node itself, then each child's subtree in
// order) whose level, docID, docNo and curFileName equal the record's, or
// nullptr.
const ContentsNodeTag* FindCatalogueNode(const ContentsNodeTag& node,
                                         const CatalogueRecord& record);

}  // namespace panel
