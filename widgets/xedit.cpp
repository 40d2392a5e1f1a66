#include "widgets/xedit.h"

#include <QPainter>
#include <QPixmap>

#include "widgets/artwork.h"

namespace widgets {

namespace {

// The brush origin that continues the parent's texture under this widget.
QBrush AlignedToParent(const QBrush& brush, const QWidget* widget) {
    QBrush aligned = brush;
    const QPoint offset = widget->parentWidget() != nullptr ? widget->pos() : QPoint();
    aligned.setTransform(QTransform::fromTranslate(-offset.x(), -offset.y()));
    return aligned;
}

}  // namespace

CXEdit::CXEdit(QWidget* parent) : QLineEdit(parent) { setFrame(false); }

bool CXEdit::SetTexture(int bitmapId) {
    const QImage texture = bitmapId != 0 ? LoadBitmapResource(bitmapId) : QImage();
    SetTextureImage(texture);
    return bitmapId == 0 || !texture.isNull();
}

void CXEdit::SetTextureImage(const QImage& texture) {
    m_hasTexture = !texture.isNull();
    m_brush = m_hasTexture ? QBrush(QPixmap::fromImage(texture)) : QBrush();
    QPalette colours = palette();
    if (m_hasTexture) {
        colours.setColor(QPalette::Base, Qt::transparent);
    } else {
        colours.setColor(QPalette::Base, QPalette().color(QPalette::Base));
    }
    setPalette(colours);
    update();
}

bool CXEdit::HasTexture() const { return m_hasTexture; }

void CXEdit::paintEvent(QPaintEvent* event) {
    if (m_hasTexture) {
        QPainter painter(this);
        painter.fillRect(rect(), AlignedToParent(m_brush, this));
    }
    QLineEdit::paintEvent(event);
}

}  // namespace widgets
