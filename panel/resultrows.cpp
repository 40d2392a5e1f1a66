#include "panel/resultrows.h"

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "engine/largearray.h"

namespace panel {

namespace {

// Finds the first child, or the first grandchild, of one scope node that
// holds a record; uses the node's range index unless told to scan or the
// index does not cover the current children.
class ScopeLookup {
  public:
    ScopeLookup(const ContentsNodeTag& scope, RowLookup lookup) : m_scope(scope) {
        const bool indexed = lookup == RowLookup::Indexed;
        m_childIndexed = indexed && scope.childRanges.Size() == scope.children.size();
        std::size_t grandchildren = 0;
        for (const auto& child : scope.children) grandchildren += child->children.size();
        m_grandchildIndexed = indexed && scope.grandchildRanges.Size() == grandchildren;
    }

    const ContentsNodeTag* Child(std::uint32_t n) const {
        if (m_childIndexed) return m_scope.childRanges.Find(n);
        for (const auto& child : m_scope.children) {
            if (child->Holds(n)) return child.get();
        }
        return nullptr;
    }

    // The first child of node that holds n; node is below the scope.
    static const ContentsNodeTag* ChildOf(const ContentsNodeTag* node, std::uint32_t n,
                                          RowLookup lookup) {
        if (!node) return nullptr;
        if (lookup == RowLookup::Indexed && node->childRanges.Size() == node->children.size()) {
            return node->childRanges.Find(n);
        }
        for (const auto& child : node->children) {
            if (child->Holds(n)) return child.get();
        }
        return nullptr;
    }

    const ContentsNodeTag* Grandchild(std::uint32_t n) const {
        if (m_grandchildIndexed) return m_scope.grandchildRanges.Find(n);
        for (const auto& child : m_scope.children) {
            for (const auto& grandchild : child->children) {
                if (grandchild->Holds(n)) return grandchild.get();
            }
        }
        return nullptr;
    }

  private:
    const ContentsNodeTag& m_scope;
    bool m_childIndexed = false;
    bool m_grandchildIndexed = false;
};

const std::string& NameOf(const ContentsNodeTag* node) {
    static const std::string kNone;
    return node ? node->name : kNone;
}

// Category, title and volume nodes of a scope deeper than a volume: its
// ancestors of levels 1, 2 and 3.
void AncestorsByLevel(const ContentsNodeTag& scope, const ContentsNodeTag*& category,
                      const ContentsNodeTag*& title, const ContentsNodeTag*& volume) {
    for (const ContentsNodeTag* node = &scope; node; node = node->parent) {
        if (node->level == 1 && !category) category = node;
        if (node->level == 2 && !title) title = node;
        if (node->level == 3 && !volume) volume = node;
    }
}

// Category, title and volume of page record n inside a scope node.
void NameByScope(const ContentsNodeTag& scope, const ScopeLookup& find, std::uint32_t n,
                 const ContentsNodeTag*& category, const ContentsNodeTag*& title,
                 const ContentsNodeTag*& volume) {
    const ContentsNodeTag* parent = scope.parent;
    switch (scope.level) {
        case 1:
            category = &scope;
            title = find.Child(n);
            volume = find.Grandchild(n);
            break;
        case 2:
            category = parent;
            title = &scope;
            volume = find.Child(n);
            break;
        case 3:
            category = parent ? parent->parent : nullptr;
            title = parent;
            volume = &scope;
            break;
        default:
            AncestorsByLevel(scope, category, title, volume);
            break;
    }
}

// A row before its names are copied.
struct Pending {
    const ContentsNodeTag* category;
    const ContentsNodeTag* title;
    const ContentsNodeTag* volume;
    std::int32_t page;
    std::uint32_t record;
    std::int32_t hits;
};

// The indexes of pending in row order: by page number, then record index,
// then hit order, so that equal page numbers list the same rows in the same
// order each run. A search gives its hits ascending by record, and then a
// stable counting sort by page alone gives that order in linear time. Hits
// out of record order, or page numbers spread far wider than the rows (a
// table that size would cost more than it saves), are sorted by comparison.
std::vector<std::uint32_t> RowOrder(const std::vector<Pending>& pending) {
    std::vector<std::uint32_t> order;
    engine::ReserveLarge(order, pending.size());
    if (pending.empty()) return order;
    bool ascending = true;
    std::int64_t low = pending[0].page;
    std::int64_t high = pending[0].page;
    for (std::size_t k = 1; k < pending.size(); ++k) {
        if (pending[k].record < pending[k - 1].record) ascending = false;
        low = std::min<std::int64_t>(low, pending[k].page);
        high = std::max<std::int64_t>(high, pending[k].page);
    }
    const auto span = static_cast<std::uint64_t>(high - low) + 1;
    order.resize(pending.size());
    if (ascending && span <= 4 * std::uint64_t{pending.size()} + 4096) {
        std::vector<std::uint32_t> start(span + 1, 0);
        for (const Pending& p : pending) ++start[static_cast<std::size_t>(p.page - low) + 1];
        for (std::size_t i = 1; i < start.size(); ++i) start[i] += start[i - 1];
        for (std::size_t k = 0; k < pending.size(); ++k) {
            order[start[static_cast<std::size_t>(pending[k].page - low)]++] =
                static_cast<std::uint32_t>(k);
        }
        return order;
    }
    // Key: page (biased to unsigned), record index, then hit order.
    std::vector<std::pair<std::uint64_t, std::uint32_t>> keyed;
    engine::ReserveLarge(keyed, pending.size());
    keyed.resize(pending.size());
    for (std::size_t k = 0; k < pending.size(); ++k) {
        const std::uint64_t page = static_cast<std::uint32_t>(pending[k].page) ^ 0x80000000u;
        keyed[k] = {page << 32 | pending[k].record, static_cast<std::uint32_t>(k)};
    }
    std::sort(keyed.begin(), keyed.end());
    for (std::size_t k = 0; k < keyed.size(); ++k) order[k] = keyed[k].second;
    return order;
}

}  // namespace

std::int64_t BuildRows(const ContentsNodeTag* scope, std::span<const std::uint32_t> hitRecords,
                       std::span<const std::uint32_t> hitPlaces, std::vector<SearchNodeTag>& rows,
                       RowLookup lookup) {
    rows.clear();
    std::int64_t total = 0;
    if (!scope) return total;
    const ScopeLookup find(*scope, lookup);
    const bool wholeCorpus = scope->wholeCorpus;

    // The rows are first gathered as small records and put in order, so
    // that the names are copied once, into their final place.
    std::vector<Pending> pending;
    // The rows of a frequent character run to hundreds of megabytes:
    // faulting them in 4 KiB pages costs more than building them.
    engine::ReserveLarge(pending, hitRecords.size());
    for (std::size_t i = 0; i < hitRecords.size(); ++i) {
        const std::uint32_t r = hitRecords[i];
        const std::uint32_t n = r + 1u;
        if (!wholeCorpus && !scope->Holds(n)) continue;

        Pending row{nullptr, nullptr, nullptr, 0, r, 0};
        if (wholeCorpus) {
            row.category = find.Child(n);
            row.title = ScopeLookup::ChildOf(row.category, n, lookup);
            row.volume = ScopeLookup::ChildOf(row.title, n, lookup);
        } else {
            NameByScope(*scope, find, n, row.category, row.title, row.volume);
        }
        if (row.volume) {
            row.page = static_cast<std::int32_t>(n - static_cast<std::uint32_t>(row.volume->docID) +
                                                 row.volume->curFileName);
        }
        row.hits = i < hitPlaces.size() ? static_cast<std::int32_t>(hitPlaces[i]) : 0;
        total += row.hits;
        pending.push_back(row);
    }

    const std::vector<std::uint32_t> order = RowOrder(pending);
    engine::ReserveLarge(rows, pending.size());
    for (const std::uint32_t k : order) {
        const Pending& p = pending[k];
        SearchNodeTag& row = rows.emplace_back();
        row.category = NameOf(p.category);
        row.title = NameOf(p.title);
        if (p.volume) row.volume = p.volume->name;
        row.recordIndex = static_cast<std::int32_t>(p.record);
        row.page = p.page;
        row.hits = p.hits;
    }
    return total;
}

std::string ResultSummaryText(std::int64_t rowCount, std::int64_t places, bool incomplete) {
    return "全部で " + std::to_string(rowCount) + " 頁で、" + std::to_string(places) +
           " 箇所でした。" + (incomplete ? kIncompleteMark : "");
}

}  // namespace panel
