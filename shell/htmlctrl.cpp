#include "shell/htmlctrl.h"

#include <QFont>
#include <QFontMetrics>
#include <QLineEdit>
#include <QResizeEvent>

namespace shell {

namespace {

constexpr int kFieldCharacters = 35;
constexpr int kFieldPixelSize = 14;

QFont KeywordFont() {
    QFont font(QStringLiteral("Noto Serif CJK JP"));
    font.setFamilies({QStringLiteral("Noto Serif CJK JP"), QStringLiteral("Noto Serif CJK SC"),
                      QStringLiteral("Noto Serif CJK TC"), QStringLiteral("serif")});
    font.setStyleHint(QFont::Serif);
    font.setPixelSize(kFieldPixelSize);
    return font;
}

}  // namespace

CHtmlCtrl::CHtmlCtrl(QWidget* parent) : QWidget(parent) {
    setAutoFillBackground(false);  // the form's background shows through
    m_field = new QLineEdit(this);
    m_field->setFont(KeywordFont());
    m_field->setAttribute(Qt::WA_InputMethodEnabled, true);
    setFocusProxy(m_field);
}

bool CHtmlCtrl::ReplacePlaceholder(QWidget* placeholder) {
    if (placeholder == nullptr) return false;
    setParent(placeholder->parentWidget());
    setGeometry(placeholder->geometry());
    setObjectName(placeholder->objectName());
    delete placeholder;
    show();
    return true;
}

std::optional<QString> CHtmlCtrl::Value() const {
    const QString text = m_field->text();
    if (text.isEmpty()) return std::nullopt;
    return text;
}

void CHtmlCtrl::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const QFontMetrics metrics(m_field->font());
    const int wanted = metrics.averageCharWidth() * kFieldCharacters + 8;
    const int height = qMin(event->size().height(), 27);
    m_field->setGeometry(0, 0, qMin(wanted, event->size().width()), height);
}

}  // namespace shell
