// PageHistory: the pages the view has shown, for back and forward. An entry
// is a catalogue page (volume slot and page number) or a composed result
// page (record, keyword, text layer, variants, or the position spans marked
// on a page composed elsewhere) with the hit last stepped to.
// Stepping through the hits of one page updates its entry instead of adding
// one. Going back or forward asks the caller to show an entry; an entry it
// cannot show (its page no longer exists) is dropped and the next one in that
// direction tried. No Qt. UI thread only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "pages/pagetext.h"

namespace panel {

struct HistoryEntry {
    enum Kind : int { kCatalogue = 0, kResult = 1 };
    Kind kind = kCatalogue;
    int volumeSlot = 0;  // catalogue page
    int page = 0;
    std::uint32_t record = 0;  // result page
    std::u16string keyword;
    int textLayer = 0;
    bool useVariants = true;
    std::vector<pages::PositionSpan> marks;  // marked instead of a keyword's hits
    int hit = 0;

    // The same page, whatever its hit.
    bool SamePage(const HistoryEntry& other) const;
    bool operator==(const HistoryEntry&) const = default;
};

inline constexpr std::size_t kHistoryLimit = 500;

class PageHistory {
  public:
    // Shows entry; false when its page no longer exists.
    using Show = std::function<bool(const HistoryEntry&)>;

    // A page shown by the user. Ignored while an entry is being shown by
    // Back or Forward.
    void Record(const HistoryEntry& entry);
    // Puts entry in place of the current one (the page shown is about to be
    // left and should come back as entry describes); nothing without one.
    void ReplaceCurrent(const HistoryEntry& entry);
    bool CanBack() const { return m_current > 0; }
    bool CanForward() const { return m_current + 1 < static_cast<int>(m_entries.size()); }
    // False when no entry in that direction could be shown.
    bool Back(const Show& show) { return Step(-1, show); }
    bool Forward(const Show& show) { return Step(+1, show); }

    const std::vector<HistoryEntry>& Entries() const { return m_entries; }
    int CurrentIndex() const { return m_current; }

  private:
    bool Step(int direction, const Show& show);

    std::vector<HistoryEntry> m_entries;
    int m_current = -1;
    bool m_showing = false;
};

}  // namespace panel
