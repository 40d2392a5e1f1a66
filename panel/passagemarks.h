// PassageMarks: where the passage of a parallels search stands on its own
// page, so that the passage's runs shared with one result can be marked there
// when the user goes back to that page. A selected passage is looked for on
// its page (its first occurrence); a whole page is its own passage. No Qt.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "pages/pagetext.h"
#include "panel/pagehistory.h"

namespace panel {

class PassageMarks {
  public:
    // passageCodes: the passage's indexed characters; pageCodes: those of its
    // page record, in order, standing at pagePositions. A passage without a
    // page (record < 0) or not found on it marks nothing.
    void Set(std::int64_t record, const std::vector<int>& passageCodes,
             const std::vector<int>& pageCodes, std::vector<std::uint32_t> pagePositions);
    void Clear();
    std::int64_t Record() const { return m_record; }

    // The history entry that shows the passage's page with passageSpans
    // (passage indexes, end exclusive) marked at their page positions; none
    // when nothing can be marked.
    std::optional<HistoryEntry> EntryFor(
        const std::vector<pages::PositionSpan>& passageSpans) const;

  private:
    std::int64_t m_record = -1;
    std::vector<std::uint32_t> m_positions;  // page position of each passage index
};

}  // namespace panel
