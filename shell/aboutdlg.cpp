#include "shell/aboutdlg.h"

#include <QMouseEvent>
#include <QPainter>

#include "widgets/artwork.h"

namespace shell {

namespace {
constexpr QSize kPictureSize(500, 350);
}

CAboutDlg::CAboutDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint | Qt::Tool) {
    setObjectName(QStringLiteral("aboutBox"));
    setModal(true);
    const QImage picture = widgets::LoadBitmapResource(kPictureId);
    if (!picture.isNull()) m_picture = QPixmap::fromImage(picture);
    setFixedSize(m_picture.isNull() ? kPictureSize : m_picture.size());
}

void CAboutDlg::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (!m_picture.isNull()) {
        painter.drawPixmap(0, 0, m_picture);
        return;
    }
    painter.fillRect(rect(), QColor(240, 230, 208));
    painter.setPen(QColor(60, 40, 20));
    painter.drawText(rect(), Qt::AlignCenter, QStringLiteral("Orvale"));
}

void CAboutDlg::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        accept();
        return;
    }
    QDialog::mouseReleaseEvent(event);
}

}  // namespace shell
