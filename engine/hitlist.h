// HitList: the result of the last search, the record indexes of the pages
// that matched and, when hits were counted, the number of hit places on each.
//
// Invariants after a completed search: m_hitPageCount == m_hitPages.size();
// m_hitCounts is empty or as long as m_hitPages; no record index occurs twice.
// Owned by CIndex. Merging keeps a scratch table across calls so that a
// search allocates nothing once the arrays have grown.
#pragma once

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

namespace engine {

// A page's hit count never passes this: sums and repeats saturate here, so
// that a count read as a signed 32-bit number is never negative.
inline constexpr std::uint32_t kMaxHitCount = 0x7FFFFFFF;

inline std::uint32_t SaturatingHitSum(std::uint64_t a, std::uint64_t b) {
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(a + b, kMaxHitCount));
}

inline std::uint32_t SaturatingHitProduct(std::uint64_t a, std::uint64_t b) {
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(a * b, kMaxHitCount));
}

// How one term's pages are folded into the hit list.
enum MergeMode { Replace = 0, Union = 1, Intersect = 2 };

class HitList {
  public:
    void Clear();

    // Folds one term's pages (ascending, no repeats) and counts (empty when
    // countHits is false) into the list:
    //   Replace   the list becomes the term's pages;
    //   Union     pages already listed add their counts, new pages are
    //             appended in the term's order;
    //   Intersect only the term's pages already listed stay, in the term's
    //             order, each with the sum of both counts.
    // Counts saturate at kMaxHitCount.
    void Merge(MergeMode mode, const std::vector<std::uint32_t>& pages,
               const std::vector<std::uint32_t>& counts, bool countHits);

    // Makes pages (ascending) and counts the list, handing the old arrays
    // back in their place for reuse.
    void Adopt(std::vector<std::uint32_t>& pages, std::vector<std::uint32_t>& counts,
               bool countHits);

    std::vector<std::uint32_t> m_hitPages;
    std::vector<std::uint32_t> m_hitCounts;
    std::int32_t m_hitPageCount = 0;

  private:
    // The listed pages sorted by record index, each with its place in the list.
    void SortListed();

    std::vector<std::pair<std::uint32_t, std::uint32_t>> m_sorted;
    std::vector<std::uint32_t> m_keptPages;
    std::vector<std::uint32_t> m_keptCounts;
};

}  // namespace engine
