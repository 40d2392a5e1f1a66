#include "shell/historynav.h"

#include <string>
#include <utility>

#include "panel/leftform.h"

namespace shell {

CHistoryNav::CHistoryNav(panel::CLeftForm& form, std::function<void(int slot)> catalogueShown)
    : m_form(form), m_catalogueShown(std::move(catalogueShown)) {}

void CHistoryNav::OnShown(const QString& path) {
    panel::CPageDisplay& display = m_form.PageDisplay();
    panel::HistoryEntry entry;
    if (path.toStdString() == display.CatalogPageFile()) {
        entry.volumeSlot = m_form.Position().currentVolume;
        entry.page = m_form.Position().currentPage;
    } else {
        const panel::CPageDisplay::ResultPage& source = display.LastResultPage();
        entry.kind = panel::HistoryEntry::kResult;
        entry.record = source.record;
        entry.keyword = source.keyword;
        entry.textLayer = source.textLayer;
        entry.useVariants = source.useVariants;
        entry.hit = display.CurrentHit();
    }
    m_history.Record(entry);
}

bool CHistoryNav::Back() {
    return m_history.Back([this](const panel::HistoryEntry& e) { return Show(e); });
}

bool CHistoryNav::Forward() {
    return m_history.Forward([this](const panel::HistoryEntry& e) { return Show(e); });
}

bool CHistoryNav::Show(const panel::HistoryEntry& entry) {
    if (entry.kind == panel::HistoryEntry::kCatalogue) {
        if (!m_form.GetCatalogue().HoldsEntry(entry.volumeSlot)) return false;
        panel::PositionState& position = m_form.Position();
        const panel::PositionState before = position;
        position.currentVolume = entry.volumeSlot;
        position.currentPage = entry.page;
        if (!m_form.ShowCatalogPage(entry.volumeSlot, false, entry.page)) {
            position = before;
            return false;
        }
        if (m_catalogueShown) m_catalogueShown(entry.volumeSlot);
        return true;
    }
    std::string bytes;
    if (!m_form.Index().ReadPage(entry.record, bytes)) return false;
    panel::CPageDisplay& display = m_form.PageDisplay();
    if (!display.ShowResultPage(entry.record, entry.keyword, entry.textLayer, entry.useVariants)) {
        return false;
    }
    if (entry.hit > 0) display.GoToHit(entry.hit);
    return true;
}

}  // namespace shell
