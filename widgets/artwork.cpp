#include "widgets/artwork.h"

#include <QFile>
#include <QPixmap>

namespace widgets {

QString BitmapPath(int id) { return QStringLiteral(":/resources/bmp%1.png").arg(id); }

QString IconPath(int id) { return QStringLiteral(":/resources/icon%1.png").arg(id); }

QString CursorPath(int id) { return QStringLiteral(":/resources/cursor%1.png").arg(id); }

QImage LoadBitmapResource(int id) {
    const QString path = BitmapPath(id);
    if (!QFile::exists(path)) return {};
    return QImage(path);
}

QImage LoadBitmapResource24(int id) {
    const QImage image = LoadBitmapResource(id);
    if (image.isNull()) return {};
    return image.convertToFormat(QImage::Format_RGB888);
}

QIcon LoadIconResource(int id) {
    const QString path = IconPath(id);
    if (!QFile::exists(path)) return {};
    return QIcon(path);
}

QCursor LoadCursorResource(int id) {
    const QString path = CursorPath(id);
    if (!QFile::exists(path)) return QCursor(Qt::ArrowCursor);
    const QPixmap pixmap(path);
    if (pixmap.isNull()) return QCursor(Qt::ArrowCursor);
    return QCursor(pixmap, kCursorHotSpot, kCursorHotSpot);
}

}  // namespace widgets
