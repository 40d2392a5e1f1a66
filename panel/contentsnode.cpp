#include "panel/contentsnode.h"

#include <algorithm>
#include <utility>

namespace panel {

namespace {

std::uint32_t FirstRecord(const ContentsNodeTag& node) {
    return static_cast<std::uint32_t>(node.docID);
}

// docID + docNo - 1 in unsigned 32-bit arithmetic: a record may wrap.
std::uint32_t LastRecord(const ContentsNodeTag& node) {
    return static_cast<std::uint32_t>(node.docID) + static_cast<std::uint32_t>(node.docNo) - 1u;
}

}  // namespace

void RangeIndex::Clear() {
    m_lists.reset();
    m_builtEmpty = false;
}

void RangeIndex::Build(const std::vector<const ContentsNodeTag*>& nodes) {
    Clear();
    m_builtEmpty = nodes.empty();
    if (m_builtEmpty) return;
    m_lists = std::make_unique<Lists>();
    Lists& lists = *m_lists;
    lists.nodes = nodes;
    // A node with an empty (wrapped) range never holds a record, so only the
    // others take part in the order check and the binary search.
    lists.sorted = true;
    for (const ContentsNodeTag* node : lists.nodes) {
        const std::uint32_t first = FirstRecord(*node);
        const std::uint32_t last = LastRecord(*node);
        if (first > last) continue;
        if (!lists.last.empty() && first <= lists.last.back()) lists.sorted = false;
        lists.first.push_back(first);
        lists.last.push_back(last);
        lists.holders.push_back(node);
    }
    if (!lists.sorted) {
        lists.first.clear();
        lists.last.clear();
        lists.holders.clear();
    }
}

const ContentsNodeTag* RangeIndex::Find(std::uint32_t n, bool linearOnly) const {
    if (!m_lists) return nullptr;
    const Lists& lists = *m_lists;
    if (lists.sorted && !linearOnly) {
        // Ranges are ascending and disjoint: at most one holds n, and it is
        // the last one starting at or before n.
        const auto it = std::upper_bound(lists.first.begin(), lists.first.end(), n);
        if (it == lists.first.begin()) return nullptr;
        const std::size_t k = static_cast<std::size_t>(it - lists.first.begin()) - 1;
        return n <= lists.last[k] ? lists.holders[k] : nullptr;
    }
    for (const ContentsNodeTag* node : lists.nodes) {
        if (node->Holds(n)) return node;
    }
    return nullptr;
}

ContentsNodeTag::ContentsNodeTag(const CatalogueRecord& record, int fromSlot)
    : name(record.Name()),
      level(record.Level()),
      docID(record.DocID()),
      docNo(record.DocNo()),
      curFileName(record.CurFileName()),
      slot(fromSlot) {}

ContentsNodeTag::~ContentsNodeTag() {
    // Move the whole subtree into a work list so that no destructor recurses.
    std::vector<std::unique_ptr<ContentsNodeTag>> pending = std::move(children);
    while (!pending.empty()) {
        std::unique_ptr<ContentsNodeTag> node = std::move(pending.back());
        pending.pop_back();
        for (auto& child : node->children) pending.push_back(std::move(child));
        node->children.clear();
    }
}

bool ContentsNodeTag::Holds(std::uint32_t n) const {
    return FirstRecord(*this) <= n && n <= LastRecord(*this);
}

ContentsNodeTag* ContentsNodeTag::AddChild(std::unique_ptr<ContentsNodeTag> child) {
    child->parent = this;
    children.push_back(std::move(child));
    return children.back().get();
}

void IndexChildRanges(ContentsNodeTag& root) {
    std::vector<ContentsNodeTag*> pending{&root};
    std::vector<const ContentsNodeTag*> list;
    while (!pending.empty()) {
        ContentsNodeTag* node = pending.back();
        pending.pop_back();
        list.clear();
        for (const auto& child : node->children) list.push_back(child.get());
        node->childRanges.Build(list);
        list.clear();
        for (const auto& child : node->children) {
            for (const auto& grandchild : child->children) list.push_back(grandchild.get());
        }
        node->grandchildRanges.Build(list);
        for (const auto& child : node->children) pending.push_back(child.get());
    }
}

const ContentsNodeTag* FindParentNode(const ContentsNodeTag& node, std::int32_t recordLevel) {
    const std::int64_t wanted = static_cast<std::int64_t>(recordLevel) - 1;
    const ContentsNodeTag* found = nullptr;
    // Pre-order walk with an explicit stack (children pushed in reverse), not
    // entering a node that matches: the last match is the answer.
    std::vector<const ContentsNodeTag*> pending{&node};
    while (!pending.empty()) {
        const ContentsNodeTag* current = pending.back();
        pending.pop_back();
        if (current->level == wanted) {
            found = current;
            continue;
        }
        for (auto it = current->children.rbegin(); it != current->children.rend(); ++it) {
            pending.push_back(it->get());
        }
    }
    return found;
}

const ContentsNodeTag* FindCatalogueNode(const ContentsNodeTag& node,
                                         const CatalogueRecord& record) {
    const std::int32_t level = record.Level();
    const std::int32_t docID = record.DocID();
    const std::int32_t docNo = record.DocNo();
    const std::uint16_t curFileName = record.CurFileName();
    std::vector<const ContentsNodeTag*> pending{&node};
    while (!pending.empty()) {
        const ContentsNodeTag* current = pending.back();
        pending.pop_back();
        if (current->level == level && current->docID == docID && current->docNo == docNo &&
            current->curFileName == curFileName) {
            return current;
        }
        for (auto it = current->children.rbegin(); it != current->children.rend(); ++it) {
            pending.push_back(it->get());
        }
    }
    return nullptr;
}

}  // namespace panel
