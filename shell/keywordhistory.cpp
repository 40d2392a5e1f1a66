#include "shell/keywordhistory.h"

#include <QAbstractItemView>
#include <QAction>
#include <QCompleter>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSettings>
#include <QStringListModel>
#include <QStyle>

namespace shell {

namespace {

std::u16string ToU16(const QString& text) {
    return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()),
                          static_cast<std::size_t>(text.size()));
}

}  // namespace

CKeywordHistory::CKeywordHistory(QLineEdit* field, QObject* parent)
    : QObject(parent), m_field(field) {
    QSettings settings;
    std::vector<std::u16string> stored;
    for (const QString& keyword :
         settings.value(QString::fromLatin1(panel::kRecentKeywordsKey)).toStringList()) {
        stored.push_back(ToU16(keyword));
    }
    m_recent.Load(stored);

    m_model = new QStringListModel(this);
    m_completer = new QCompleter(m_model, this);
    m_completer->setCompletionMode(QCompleter::UnfilteredPopupCompletion);
    m_completer->setMaxVisibleItems(12);
    m_completer->setWidget(m_field);
    connect(m_completer, qOverload<const QString&>(&QCompleter::activated), m_field,
            &QLineEdit::setText);
    m_completer->popup()->installEventFilter(this);
    m_field->installEventFilter(this);

    QAction* open = m_field->addAction(m_field->style()->standardIcon(QStyle::SP_ArrowDown),
                                       QLineEdit::TrailingPosition);
    open->setToolTip(QStringLiteral("キーワード履歴 (↓)"));
    open->setObjectName(QStringLiteral("keywordHistoryButton"));
    connect(open, &QAction::triggered, this, &CKeywordHistory::ShowList);
    Refresh();
}

void CKeywordHistory::Add(const QString& keyword) {
    m_recent.Add(ToU16(keyword));
    Refresh();
}

bool CKeywordHistory::Remove(const QString& keyword) {
    if (!m_recent.Remove(ToU16(keyword))) return false;
    Refresh();
    return true;
}

QStringList CKeywordHistory::Items() const {
    QStringList items;
    for (const std::u16string& keyword : m_recent.Items()) {
        items.push_back(QString::fromUtf16(keyword.data(), static_cast<qsizetype>(keyword.size())));
    }
    return items;
}

void CKeywordHistory::Refresh() {
    const QStringList items = Items();
    m_model->setStringList(items);
    QSettings settings;
    settings.setValue(QString::fromLatin1(panel::kRecentKeywordsKey), items);
}

void CKeywordHistory::ShowList() {
    if (m_model->rowCount() == 0) return;
    m_completer->setCompletionPrefix(QString());
    m_completer->complete();
}

bool CKeywordHistory::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (watched == m_field && key == Qt::Key_Down && !m_completer->popup()->isVisible()) {
            ShowList();
            return true;
        }
        if (watched == m_completer->popup() && key == Qt::Key_Delete) {
            const QModelIndex index = m_completer->popup()->currentIndex();
            if (index.isValid()) {
                const int row = index.row();
                Remove(index.data().toString());
                if (m_model->rowCount() == 0) {
                    m_completer->popup()->hide();
                } else {
                    m_completer->popup()->setCurrentIndex(m_completer->completionModel()->index(
                        qMin(row, m_model->rowCount() - 1), 0));
                }
            }
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace shell
