#include "widgets/tooltipresourcebutton.h"

#include <QEvent>
#include <QPainter>

#include "widgets/artwork.h"

namespace widgets {

StateFrame ChooseStateFrame(bool disabled, bool pressed, bool hover) {
    if (disabled) return kFrameDisabled;
    if (pressed) return kFramePressed;
    if (hover) return kFrameHover;
    return kFrameNormal;
}

CToolTipResourceButton::CToolTipResourceButton(QWidget* parent) : CToolTipButton(parent) {
    setAttribute(Qt::WA_Hover);
    setFlat(true);
}

bool CToolTipResourceButton::LoadStateStrip(int bitmapId) {
    const QImage strip = LoadBitmapResource(bitmapId);
    if (strip.isNull()) return false;
    return SetStateStrip(QPixmap::fromImage(strip));
}

bool CToolTipResourceButton::SetStateStrip(const QPixmap& strip) {
    if (strip.isNull() || strip.width() < 4) return false;
    m_strip = strip;
    m_frameWidth = strip.width() / 4;
    m_frameHeight = strip.height();
    resize(m_frameWidth, m_frameHeight);
    updateGeometry();
    update();
    return true;
}

QSize CToolTipResourceButton::FrameSize() const { return {m_frameWidth, m_frameHeight}; }

bool CToolTipResourceButton::IsHovered() const { return m_hover; }

StateFrame CToolTipResourceButton::CurrentFrame() const {
    return ChooseStateFrame(!isEnabled(), isDown(), m_hover);
}

QSize CToolTipResourceButton::sizeHint() const {
    return m_strip.isNull() ? CToolTipButton::sizeHint() : FrameSize();
}

QSize CToolTipResourceButton::minimumSizeHint() const { return sizeHint(); }

void CToolTipResourceButton::paintEvent(QPaintEvent* event) {
    if (m_strip.isNull()) {
        CToolTipButton::paintEvent(event);
        return;
    }
    QPainter painter(this);
    const int frame = CurrentFrame();
    painter.drawPixmap(QPoint(0, 0), m_strip,
                       QRect(frame * m_frameWidth, 0, m_frameWidth, m_frameHeight));
}

bool CToolTipResourceButton::event(QEvent* event) {
    switch (event->type()) {
        case QEvent::HoverEnter:
        case QEvent::Enter:
            m_hover = true;
            update();
            break;
        case QEvent::HoverLeave:
        case QEvent::Leave:
            m_hover = false;
            update();
            break;
        case QEvent::EnabledChange:
            // A disabled button may miss the leave of the pointer.
            m_hover = underMouse();
            update();
            break;
        default:
            break;
    }
    return CToolTipButton::event(event);
}

}  // namespace widgets
