#include "shell/historynav.h"

#include <string>
#include <utility>

#include "engine/parallelsearch.h"
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
        entry.marks = source.marks;
        entry.hit = display.CurrentHit();
    }
    m_history.Record(entry);
}

bool CHistoryNav::ShowMarked(std::uint32_t record, const std::vector<pages::PositionSpan>& spans,
                             const std::optional<panel::HistoryEntry>& passagePage) {
    if (passagePage && m_form.PageDisplay().ShownRecord() == passagePage->record)
        m_history.ReplaceCurrent(*passagePage);
    std::string html;
    const std::int32_t anchors = engine::ComposeParallelPage(m_form.Index(), record, spans, html);
    return anchors >= 0 && m_form.PageDisplay().ShowComposedPage(record, html, anchors, spans);
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
    if (!entry.marks.empty()) {
        std::string html;
        const std::int32_t anchors =
            engine::ComposeParallelPage(m_form.Index(), entry.record, entry.marks, html);
        if (anchors < 0 || !display.ShowComposedPage(entry.record, html, anchors, entry.marks))
            return false;
    } else if (!display.ShowResultPage(entry.record, entry.keyword, entry.textLayer,
                                       entry.useVariants)) {
        return false;
    }
    if (entry.hit > 0) display.GoToHit(entry.hit);
    return true;
}

}  // namespace shell
