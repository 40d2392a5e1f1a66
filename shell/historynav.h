// CHistoryNav: back and forward through the pages the view has shown. Every
// page file the left form hands to the view is recorded as a catalogue page
// (volume and page, from the position state) or a result page (what it was
// composed from, and the hit last stepped to). Going back or forward shows
// the entry again the same way, at its hit; an entry whose page no longer
// exists is skipped. A page composed with marked spans (parallels) comes
// back with the same marks. Owned by the main frame; UI thread only.
#pragma once

#include <QString>
#include <functional>
#include <optional>
#include <vector>

#include "panel/pagehistory.h"

namespace panel {
class CLeftForm;
}

namespace shell {

class CHistoryNav {
  public:
    // catalogueShown runs after a catalogue page is shown again (slider, page text).
    CHistoryNav(panel::CLeftForm& form, std::function<void(int slot)> catalogueShown);

    // The view was sent the page file at path.
    void OnShown(const QString& path);
    bool CanBack() const { return m_history.CanBack(); }
    bool CanForward() const { return m_history.CanForward(); }
    // Shows record with spans marked (a page composed elsewhere). When the
    // page shown is passagePage's, its entry becomes passagePage first, so
    // that going back shows it marked that way.
    bool ShowMarked(std::uint32_t record, const std::vector<pages::PositionSpan>& spans,
                    const std::optional<panel::HistoryEntry>& passagePage);
    bool Back();
    bool Forward();
    const panel::PageHistory& History() const { return m_history; }

  private:
    bool Show(const panel::HistoryEntry& entry);

    panel::CLeftForm& m_form;
    std::function<void(int)> m_catalogueShown;
    panel::PageHistory m_history;
};

}  // namespace shell
