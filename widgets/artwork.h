// Artwork of the program: where each picture lives in the Qt resource that is
// compiled into orvale_widgets, and loaders that turn a resource number into a
// picture. Every GUI target that links orvale_widgets gets the resource.
//
// Paths (all PNG):
//   ":/resources/bmp159.png"  tree image, open book (20 x 20, alpha)
//   ":/resources/bmp160.png"  tree image, closed book (20 x 20, alpha)
//   ":/resources/bmp168.png"  about picture (500 x 350)
//   ":/resources/bmp171.png"  toolbar texture (600 x 47)
//   ":/resources/bmp172.png"  toolbar images, normal   (400 x 40, magenta background)
//   ":/resources/bmp173.png"  toolbar images, disabled (400 x 40, magenta background)
//   ":/resources/bmp174.png"  toolbar images, hot      (400 x 40, magenta background)
//   ":/resources/bmp184.png"  "<" paging button strip (128 x 32: normal, pressed, hover, disabled)
//   ":/resources/bmp185.png"  ">" paging button strip (128 x 32)
//   ":/resources/icon128.png" large window icon (64 x 64)
//   ":/resources/icon143.png" small window icon (16 x 16)
//   ":/resources/cursor149.png" slider cursor (32 x 32, hot spot 16, 16)
// The desktop entry's icon is resources/orvale.png (256 x 256) in the source tree.
#pragma once

#include <QCursor>
#include <QIcon>
#include <QImage>
#include <QPoint>
#include <QString>

namespace widgets {

inline constexpr int kCursorHotSpot = 16;

// ":/resources/bmp<id>.png"; the path whether or not such a bitmap exists.
QString BitmapPath(int id);
// ":/resources/icon<id>.png".
QString IconPath(int id);
// ":/resources/cursor<id>.png".
QString CursorPath(int id);

// The bitmap as stored; a null image when there is no bitmap with that number.
QImage LoadBitmapResource(int id);
// The bitmap converted to 24-bit RGB (QImage::Format_RGB888), as the toolbar's
// pixel work needs it; a null image when there is no such bitmap.
QImage LoadBitmapResource24(int id);
// The icon; an empty icon when there is none.
QIcon LoadIconResource(int id);
// The cursor with its hot spot at the centre; the arrow cursor when there is none.
QCursor LoadCursorResource(int id);

}  // namespace widgets
