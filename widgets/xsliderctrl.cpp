#include "widgets/xsliderctrl.h"

#include <QPainter>
#include <QPixmap>
#include <QToolTip>

#include "widgets/artwork.h"

namespace widgets {

CXSliderCtrl::CXSliderCtrl(QWidget* parent) : QSlider(Qt::Horizontal, parent) {
    setTickPosition(QSlider::TicksBelow);
    setFocusPolicy(Qt::StrongFocus);
    setPageStep(1);
    connect(this, &QSlider::sliderMoved, this, [this] { ShowValueTip(); });
}

bool CXSliderCtrl::SetTexture(int bitmapId) {
    const QImage texture = bitmapId != 0 ? LoadBitmapResource(bitmapId) : QImage();
    SetTextureImage(texture);
    return bitmapId == 0 || !texture.isNull();
}

void CXSliderCtrl::SetTextureImage(const QImage& texture) {
    m_hasTexture = !texture.isNull();
    m_brush = m_hasTexture ? QBrush(QPixmap::fromImage(texture)) : QBrush();
    // On the warm texture the filled part of the groove takes a warm ink tone.
    QPalette colours = QPalette();
    if (m_hasTexture) colours.setColor(QPalette::Highlight, QColor(150, 84, 52));
    setPalette(colours);
    update();
}

bool CXSliderCtrl::HasTexture() const { return m_hasTexture; }

void CXSliderCtrl::paintEvent(QPaintEvent* event) {
    if (m_hasTexture) {
        QPainter painter(this);
        QBrush aligned = m_brush;
        // Continue the parent's texture under the slider.
        const QPoint offset = parentWidget() != nullptr ? pos() : QPoint();
        aligned.setTransform(QTransform::fromTranslate(-offset.x(), -offset.y()));
        painter.fillRect(rect(), aligned);
    }
    QSlider::paintEvent(event);
}

void CXSliderCtrl::ShowValueTip() {
    if (!isVisible()) return;
    QToolTip::showText(mapToGlobal(QPoint(width() / 2, -8)), QString::number(sliderPosition()),
                       this);
}

}  // namespace widgets
