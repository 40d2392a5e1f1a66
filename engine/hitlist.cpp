#include "engine/hitlist.h"

#include <algorithm>

#include "engine/largearray.h"

namespace engine {

void HitList::Clear() {
    m_hitPages.clear();
    m_hitCounts.clear();
    m_hitPageCount = 0;
}

void HitList::Adopt(std::vector<std::uint32_t>& pages, std::vector<std::uint32_t>& counts,
                    bool countHits) {
    m_hitPages.swap(pages);
    m_hitCounts.swap(counts);
    if (!countHits) m_hitCounts.clear();
    m_hitPageCount = static_cast<std::int32_t>(m_hitPages.size());
}

void HitList::SortListed() {
    const std::size_t listed = static_cast<std::size_t>(m_hitPageCount);
    m_sorted.clear();
    for (std::uint32_t i = 0; i < listed; ++i) m_sorted.emplace_back(m_hitPages[i], i);
    // An AND search keeps its list ascending; only OR lists need sorting.
    if (!std::is_sorted(m_sorted.begin(), m_sorted.end())) {
        std::sort(m_sorted.begin(), m_sorted.end());
    }
}

void HitList::Merge(MergeMode mode, const std::vector<std::uint32_t>& pages,
                    const std::vector<std::uint32_t>& counts, bool countHits) {
    if (mode == Replace) {
        m_hitPages = pages;
        if (countHits) {
            m_hitCounts = counts;
        } else {
            m_hitCounts.clear();
        }
        m_hitPageCount = static_cast<std::int32_t>(m_hitPages.size());
        return;
    }

    SortListed();
    auto sorted = m_sorted.cbegin();
    const auto sortedEnd = m_sorted.cend();
    if (mode == Union) {
        // At most every page is new: one allocation instead of a doubling
        // series of copies.
        ReserveLarge(m_hitPages, pages.size());
        if (countHits) ReserveLarge(m_hitCounts, pages.size());
        for (std::size_t k = 0; k < pages.size(); ++k) {
            while (sorted != sortedEnd && sorted->first < pages[k]) ++sorted;
            if (sorted != sortedEnd && sorted->first == pages[k]) {
                if (countHits) {
                    std::uint32_t& count = m_hitCounts[sorted->second];
                    count = SaturatingHitSum(count, counts[k]);
                }
            } else {
                m_hitPages.push_back(pages[k]);
                if (countHits) m_hitCounts.push_back(counts[k]);
            }
        }
        if (!countHits) m_hitCounts.clear();
        m_hitPageCount = static_cast<std::int32_t>(m_hitPages.size());
        return;
    }

    m_keptPages.clear();
    m_keptCounts.clear();
    for (std::size_t k = 0; k < pages.size(); ++k) {
        while (sorted != sortedEnd && sorted->first < pages[k]) ++sorted;
        if (sorted == sortedEnd) break;
        if (sorted->first != pages[k]) continue;
        m_keptPages.push_back(pages[k]);
        if (countHits)
            m_keptCounts.push_back(SaturatingHitSum(counts[k], m_hitCounts[sorted->second]));
    }
    m_hitPages.swap(m_keptPages);
    m_hitCounts.swap(m_keptCounts);
    if (!countHits) m_hitCounts.clear();
    m_hitPageCount = static_cast<std::int32_t>(m_hitPages.size());
}

}  // namespace engine
