// The main frame's page and volume commands: the previous and next page of
// the current volume, the neighbouring volumes, and the page slider.
#include "panel/leftform.h"
#include "panel/scrolltoolbar.h"
#include "shell/commandids.h"
#include "shell/commandrules.h"
#include "shell/mainfrm.h"
#include "shell/messageboxes.h"
#include "shell/volumesteps.h"

namespace shell {

void CMainFrame::ShowCurrentPage() {
    panel::PositionState& position = m_leftForm->Position();
    m_leftForm->ShowCatalogPage(position.currentVolume, false, position.currentPage);
    RefreshPageText();
}

void CMainFrame::OnPrevPage() {
    if (!IsCommandEnabled(kIdPrevPage, CurrentCommandState())) return;
    m_leftForm->Position().currentPage -= 1;
    ShowCurrentPage();
}

void CMainFrame::OnNextPage() {
    if (!IsCommandEnabled(kIdNextPage, CurrentCommandState())) return;
    m_leftForm->Position().currentPage += 1;
    ShowCurrentPage();
}

void CMainFrame::OnNextVolume() {
    const panel::PositionState& position = m_leftForm->Position();
    MoveToVolume(NextVolumeSlot(m_leftForm->GetCatalogue(), position.currentVolume),
                 kLastVolumeMessage);
}

void CMainFrame::OnPrevVolume() {
    const panel::PositionState& position = m_leftForm->Position();
    MoveToVolume(PrevVolumeSlot(m_leftForm->GetCatalogue(), position.currentVolume),
                 kFirstVolumeMessage);
}

void CMainFrame::MoveToVolume(int slot, const QString& noVolumeMessage) {
    if (slot == 0) {
        m_messages.Show(noVolumeMessage);
        return;
    }
    // Selecting the volume's tree item makes it the scope and the current
    // volume and shows its first page.
    if (!m_leftForm->SelectTreeSlot(slot)) {
        panel::PositionState& position = m_leftForm->Position();
        position.currentVolume = slot;
        position.currentPage = m_leftForm->GetCatalogue().NodeItem(slot).CurFileName();
        m_leftForm->ShowCatalogPage(slot, true, 1);
        OnVolumeShown(slot);
    }
}

void CMainFrame::OnVolumeShown(int slot) {
    const panel::CatalogueRecord& volume = m_leftForm->GetCatalogue().NodeItem(slot);
    if (m_toolBar) {
        m_toolBar->SetSliderRange(panel::VolumePageRange(volume.CurFileName(), volume.DocNo()));
    }
    RefreshPageText();
    UpdateCommands();
}

void CMainFrame::OnSliderReleased(int position) {
    panel::PositionState& state = m_leftForm->Position();
    if (state.currentVolume == 0) return;
    state.currentPage = position;
    ShowCurrentPage();
    UpdateCommands();
}

void CMainFrame::RefreshPageText() {
    if (!m_toolBar) return;
    m_toolBar->ShowPosition(m_leftForm->Index().GetListHeaderValue(),
                            m_leftForm->Position().currentPage);
}

}  // namespace shell
