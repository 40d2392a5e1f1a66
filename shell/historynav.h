// CHistoryNav: back and forward through the pages the view has shown. Every
// page file the left form hands to the view is recorded as a catalogue page
// (volume and page, from the position state) or a result page (what it was
// composed from, and the hit last stepped to). Going back or forward shows
// the entry again the same way, at its hit; an entry whose page no longer
// exists is skipped. Owned by the main frame; UI thread only.
#pragma once

#include <QString>
#include <functional>

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
