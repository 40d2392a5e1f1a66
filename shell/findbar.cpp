#include "shell/findbar.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QWebEngineFindTextResult>
#include <QWebEnginePage>
#include <QWebEngineView>

namespace shell {

QString FindCountText(int active, int count) {
    return QStringLiteral("%1 / %2").arg(count > 0 ? active : 0).arg(count);
}

CFindBar::CFindBar(QWebEngineView* view) : QWidget(view), m_view(view) {
    setObjectName(QStringLiteral("CFindBar"));
    setAutoFillBackground(true);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->setSpacing(4);
    auto* caption = new QLabel(QStringLiteral("頁内検索："), this);
    m_field = new QLineEdit(this);
    m_field->setMinimumWidth(160);
    m_field->setAttribute(Qt::WA_InputMethodEnabled, true);
    m_field->installEventFilter(this);
    m_countLabel = new QLabel(FindCountText(0, 0), this);
    m_countLabel->setMinimumWidth(60);
    m_countLabel->setAlignment(Qt::AlignCenter);
    auto button = [this](const QString& text, const QString& tip) {
        auto* b = new QToolButton(this);
        b->setText(text);
        b->setToolTip(tip);
        b->setAutoRaise(true);
        return b;
    };
    QToolButton* prev = button(QStringLiteral("▲"), QStringLiteral("前を検索 (Shift+Enter)"));
    QToolButton* next = button(QStringLiteral("▼"), QStringLiteral("次を検索 (Enter)"));
    QToolButton* close = button(QStringLiteral("×"), QStringLiteral("閉じる (Esc)"));
    layout->addWidget(caption);
    layout->addWidget(m_field);
    layout->addWidget(m_countLabel);
    layout->addWidget(prev);
    layout->addWidget(next);
    layout->addWidget(close);
    connect(prev, &QToolButton::clicked, this, &CFindBar::FindPrevious);
    connect(next, &QToolButton::clicked, this, &CFindBar::FindNext);
    connect(close, &QToolButton::clicked, this, &CFindBar::Close);
    connect(m_field, &QLineEdit::textChanged, this, [this] { Find(false); });
    connect(m_view->page(), &QWebEnginePage::findTextFinished, this, &CFindBar::OnResult);
    // A page that finishes loading while the bar is open is searched afresh.
    connect(m_view, &QWebEngineView::loadFinished, this, [this] {
        if (isVisible()) Find(false);
    });
    m_view->installEventFilter(this);
    hide();
}

void CFindBar::Open() {
    Place();
    show();
    raise();
    m_field->setFocus(Qt::ShortcutFocusReason);
    m_field->selectAll();
    if (!m_field->text().isEmpty()) Find(false);
}

void CFindBar::Close() {
    hide();
    m_view->page()->findText(QString());  // clears the marks
    m_count = 0;
    m_countLabel->setText(FindCountText(0, 0));
    m_view->setFocus(Qt::OtherFocusReason);
}

void CFindBar::FindNext() { Find(false); }
void CFindBar::FindPrevious() { Find(true); }

void CFindBar::Find(bool backward) {
    const QString text = m_field->text();
    if (text.isEmpty()) {
        m_view->page()->findText(QString());
        m_count = 0;
        m_countLabel->setText(FindCountText(0, 0));
        return;
    }
    QWebEnginePage::FindFlags flags;
    if (backward) flags |= QWebEnginePage::FindBackward;
    m_view->page()->findText(text, flags);
}

void CFindBar::OnResult(const QWebEngineFindTextResult& result) {
    if (isHidden()) return;
    m_count = result.numberOfMatches();
    m_countLabel->setText(FindCountText(result.activeMatch(), m_count));
}

QString CFindBar::CountText() const { return m_countLabel->text(); }

void CFindBar::Place() {
    adjustSize();
    const int x = qMax(0, m_view->width() - width() - 20);
    move(x, 0);
}

bool CFindBar::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_view && event->type() == QEvent::Resize && isVisible()) Place();
    if (watched == m_field && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Escape) {
            Close();
            return true;
        }
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            Find(key->modifiers() & Qt::ShiftModifier);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace shell
