#include "widgets/tooltipbutton.h"

namespace widgets {

CToolTipButton::CToolTipButton(QWidget* parent) : QPushButton(parent) {}

void CToolTipButton::SetTipText(const QString& text, bool activate) {
    if (text.isNull()) return;
    m_tipText = text;
    m_tipActive = activate;
    setToolTip(activate ? text : QString());
}

QString CToolTipButton::TipText() const { return m_tipText; }

bool CToolTipButton::TipActive() const { return m_tipActive; }

}  // namespace widgets
