#include "panel/passagemarks.h"

#include <algorithm>
#include <utility>

namespace panel {

void PassageMarks::Set(std::int64_t record, const std::vector<int>& passageCodes,
                       const std::vector<int>& pageCodes,
                       std::vector<std::uint32_t> pagePositions) {
    Clear();
    if (record < 0 || passageCodes.empty() || pagePositions.size() != pageCodes.size()) return;
    const auto found =
        std::search(pageCodes.begin(), pageCodes.end(), passageCodes.begin(), passageCodes.end());
    if (found == pageCodes.end()) return;
    const auto first = pagePositions.begin() + (found - pageCodes.begin());
    m_positions.assign(first, first + static_cast<std::ptrdiff_t>(passageCodes.size()));
    m_record = record;
}

void PassageMarks::Clear() {
    m_record = -1;
    m_positions.clear();
}

std::optional<HistoryEntry> PassageMarks::EntryFor(
    const std::vector<pages::PositionSpan>& passageSpans) const {
    if (m_record < 0) return std::nullopt;
    HistoryEntry entry;
    entry.kind = HistoryEntry::kResult;
    entry.record = static_cast<std::uint32_t>(m_record);
    entry.useVariants = false;
    for (const pages::PositionSpan& span : passageSpans) {
        if (span.end <= span.start || span.end > m_positions.size()) continue;
        entry.marks.push_back({m_positions[span.start], m_positions[span.end - 1] + 1});
    }
    if (entry.marks.empty()) return std::nullopt;
    return entry;
}

}  // namespace panel
