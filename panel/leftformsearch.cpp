// The search run of CLeftForm: the 検索 button and the Enter key, and the
// display of a result row with the search that listed it.
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <cstdio>
#include <optional>
#include <span>

#include "panel/leftform.h"
#include "panel/searchrun.h"
#include "panel/sortlistctrl.h"
#include "shell/htmlctrl.h"

namespace panel {

namespace {

std::u16string ToU16(const QString& text) {
    return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()),
                          static_cast<std::size_t>(text.size()));
}

void ReplaceIdeographicSpaces(std::u16string& text) {
    for (char16_t& c : text) {
        if (c == u'\u3000') c = u' ';
    }
}

}  // namespace

void CLeftForm::OnSearch() {
    m_andOr = m_or->isChecked() ? 1 : 0;
    m_scopeRadio = m_notes->isChecked() ? 2 : (m_main->isChecked() ? 1 : 0);
    m_variants = m_variantsBox->isChecked();

    const std::u16string previous = m_keyword;
    m_keyword = ToU16(m_mainEdit->text());
    if (m_keywordBox) {
        // An empty box is an empty keyword: the hidden edit is the source
        // only when there is no box.
        m_keyword = ToU16(m_keywordBox->Value().value_or(QString()));
    }
    ReplaceIdeographicSpaces(m_keyword);

    // A search that does not run leaves the list, the summary and the page
    // as they were; rows still open with the search that listed them.
    auto refuse = [this, &previous](const QString& message) {
        m_keyword = previous;
        Notify(message);
        m_and->setChecked(m_andOr == 0);
        m_or->setChecked(m_andOr == 1);
        m_variantsBox->setChecked(m_variants);
        m_mainEdit->clear();
        emit stateChanged();
    };

    const ContentsNodeTag* scope =
        m_position.scopeEntry == 0 ? nullptr : m_catalogue.ScopeNode(m_position.scopeEntry);
    if (scope == nullptr) return refuse(kNoScopeMessage);
    switch (CheckKeywords(m_keyword)) {
        case KeywordCheck::Empty:
            return refuse(kNoKeywordMessage);
        case KeywordCheck::WildcardOnly:
            return refuse(QString::fromUtf8(kWildcardOnlyMessage));
        case KeywordCheck::Ok:
            break;
    }
    if (!m_index.IsLoaded()) return refuse(kDataOpenFailedMessage);

    if (m_andOr == 0) {
        m_index.SearchAnd(m_keyword, true, m_variants);
    } else {
        m_index.SearchOr(m_keyword, true, m_variants);
    }
    // Once per state, as the command line does: a missing, stale or damaged
    // accelerator changes the speed only, never the hits.
    const std::string notice = m_index.TakeAcceleratorNotice();
    if (!notice.empty()) std::fprintf(stderr, "orvale: %s\n", notice.c_str());
    const engine::SearchStatus status = m_index.LastStatus();
    if (status != engine::SearchStatus::Ok) {
        return refuse(QString::fromUtf8(engine::SearchStatusMessage(status)));
    }

    m_pageDisplay.ResetHit();
    m_listed = ListedSearch{m_keyword, m_textLayer, m_variants};
    const bool blocked = m_resultList->blockSignals(true);
    m_resultList->clear();
    m_resultList->blockSignals(blocked);
    const std::vector<std::uint32_t>& pages = m_index.GetHitPages();
    const std::vector<std::uint32_t>& counts = m_index.GetHitCounts();
    const std::int64_t total = BuildRows(scope, std::span<const std::uint32_t>(pages),
                                         std::span<const std::uint32_t>(counts), m_rows);
    m_paging.Reset(m_rows.size());
    m_listDamaged = m_index.PostingsDamaged();
    m_unreadablePageNotified = false;
    m_summary->setText(QString::fromStdString(
        ResultSummaryText(static_cast<std::int64_t>(m_rows.size()), total, m_listDamaged)));
    LayoutPaging();
    FillResultPage();
    if (m_listDamaged) Notify(QString::fromUtf8(kDamagedIndexMessage));
    m_and->setChecked(m_andOr == 0);
    m_or->setChecked(m_andOr == 1);
    m_variantsBox->setChecked(m_variants);
    m_mainEdit->clear();
    emit stateChanged();
}

void CLeftForm::OnResultItemChanged() {
    const std::int32_t record = m_resultList->SelectedRecordIndex();
    if (record < 0) return;
    m_pageDisplay.ShowResultPage(static_cast<std::uint32_t>(record), m_listed.keyword,
                                 m_listed.textLayer, m_listed.variants);
    NotifyUnreadablePage();
    emit stateChanged();
}

void CLeftForm::WatchEnterKey(QWidget* widget) {
    widget->installEventFilter(this);
    for (QWidget* child : widget->findChildren<QWidget*>()) child->installEventFilter(this);
}

bool CLeftForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* keyEvent = static_cast<QKeyEvent*>(event);
        const int key = keyEvent->key();
        auto* target = qobject_cast<QWidget*>(watched);
        // An unhandled key climbs from its widget through the parents, past
        // this filter again: act once, where it starts.
        const bool climbing = event == m_lastEnterEvent &&
                              keyEvent->timestamp() == m_lastEnterTime && target &&
                              m_lastEnterTarget && target != m_lastEnterTarget &&
                              target->isAncestorOf(m_lastEnterTarget);
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && target && !climbing) {
            m_lastEnterEvent = event;
            m_lastEnterTime = keyEvent->timestamp();
            m_lastEnterTarget = target;
            EnterOrigin origin = EnterOrigin::Elsewhere;
            if (m_keywordBox && (target == m_keywordBox || m_keywordBox->isAncestorOf(target))) {
                origin = EnterOrigin::KeywordBox;
            } else if (target == m_pageEdit) {
                origin = EnterOrigin::ResultPageEdit;
            }
            if (EnterKeyAction(origin, m_paging.EnterRunsSearch()) == EnterAction::Search) {
                OnSearch();
            } else {
                OnResultPageEdited();
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace panel
