// The remembered session of the left form: what CaptureSession writes into a
// SessionState at exit and RestoreSession applies at start.
#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QTreeWidget>

#include "panel/leftform.h"
#include "shell/htmlctrl.h"

namespace panel {

void CLeftForm::CaptureSession(SessionState& session) const {
    session.tab = m_tabs->currentIndex() == 1 ? 1 : 0;
    const QList<QTreeWidgetItem*> selected = m_tree->selectedItems();
    session.scopeSlot = selected.isEmpty() ? 0 : selected.first()->data(0, Qt::UserRole).toInt();
    session.scopePath = m_catalogue.TreePath(session.scopeSlot);  // empty for no entry
    session.andOr = m_or->isChecked() ? 1 : 0;
    session.textLayer = m_textLayer;
    session.variants = m_variantsBox->isChecked();

    session.shown = ShownPage::None;
    switch (m_pageDisplay.LastShown()) {
        case CPageDisplay::Shown::None:
            break;
        case CPageDisplay::Shown::Catalogue:
            if (!m_catalogue.HoldsEntry(m_position.currentVolume)) break;
            session.shown = ShownPage::Catalogue;
            session.volumeSlot = m_position.currentVolume;
            session.volumePath = m_catalogue.TreePath(m_position.currentVolume);
            session.page = m_position.currentPage;
            break;
        case CPageDisplay::Shown::Result: {
            const CPageDisplay::ResultPage& page = m_pageDisplay.LastResultPage();
            session.shown = ShownPage::Result;
            session.record = page.record;
            session.keyword.clear();
            AppendUtf16AsUtf8(page.keyword, session.keyword);
            session.pageTextLayer = page.textLayer;
            session.pageVariants = page.useVariants;
            session.hit = m_pageDisplay.CurrentHit();
            break;
        }
    }
}

void CLeftForm::RestoreSession(const SessionState& session) {
    m_and->setChecked(session.andOr == 0);
    m_or->setChecked(session.andOr == 1);
    m_variantsBox->setChecked(session.variants);
    if (session.textLayer != m_textLayer) {
        QRadioButton* layer[] = {m_full, m_main, m_notes};
        layer[session.textLayer == 1 ? 1 : (session.textLayer == 2 ? 2 : 0)]->click();
    }
    SelectTab(session.tab);
    if (session.scopeSlot != 0) SelectTreeSlot(session.scopeSlot);

    if (session.shown == ShownPage::Catalogue) {
        m_position.currentVolume = session.volumeSlot;
        m_position.currentPage = static_cast<std::int32_t>(session.page);
        if (ShowCatalogPage(session.volumeSlot, false, m_position.currentPage)) {
            emit volumeShown(session.volumeSlot);
        }
    } else if (session.shown == ShownPage::Result) {
        const std::u16string keyword = Utf8ToUtf16(session.keyword);
        m_keywordBox->Field()->setText(QString::fromStdU16String(keyword));
        if (m_pageDisplay.ShowResultPage(session.record, keyword, session.pageTextLayer,
                                         session.pageVariants)) {
            m_pageDisplay.GoToHit(session.hit);
        }
    }
    emit stateChanged();
}

}  // namespace panel
