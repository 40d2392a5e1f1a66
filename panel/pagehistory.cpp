#include "panel/pagehistory.h"

namespace panel {

bool HistoryEntry::SamePage(const HistoryEntry& other) const {
    if (kind != other.kind) return false;
    if (kind == kCatalogue) return volumeSlot == other.volumeSlot && page == other.page;
    return record == other.record && keyword == other.keyword && textLayer == other.textLayer &&
           useVariants == other.useVariants && marks == other.marks;
}

void PageHistory::Record(const HistoryEntry& entry) {
    if (m_showing) return;
    if (m_current >= 0 && m_entries[static_cast<std::size_t>(m_current)].SamePage(entry)) {
        m_entries[static_cast<std::size_t>(m_current)].hit = entry.hit;
        return;
    }
    m_entries.resize(static_cast<std::size_t>(m_current + 1));
    m_entries.push_back(entry);
    if (m_entries.size() > kHistoryLimit) m_entries.erase(m_entries.begin());
    m_current = static_cast<int>(m_entries.size()) - 1;
}

void PageHistory::ReplaceCurrent(const HistoryEntry& entry) {
    if (m_current >= 0) m_entries[static_cast<std::size_t>(m_current)] = entry;
}

bool PageHistory::Step(int direction, const Show& show) {
    int target = m_current + direction;
    while (target >= 0 && target < static_cast<int>(m_entries.size())) {
        m_showing = true;
        const bool shown = show(m_entries[static_cast<std::size_t>(target)]);
        m_showing = false;
        if (shown) {
            m_current = target;
            return true;
        }
        // Gone for good: drop it and try the next one the same way.
        m_entries.erase(m_entries.begin() + target);
        if (target < m_current) {
            --m_current;
            target += direction < 0 ? -1 : 0;
        }
    }
    return false;
}

}  // namespace panel
