// orvale-artwork: draws every picture in resources/ with QPainter, so the
// artwork can be regenerated and reviewed like code. Writes PNG files into the
// folder given as the only argument:
//
//   QT_QPA_PLATFORM=offscreen build/<dir>/bin/orvale-artwork resources
//
// The toolbar strips are drawn antialiased and then laid onto the exact texture
// pixels that will lie behind each image on the toolbar (the layout of toolbar
// 128), so their soft edges meet the texture; only fully transparent pixels
// are left magenta for the toolbar to replace. Fonts: DejaVu Serif and Noto
// Serif CJK JP (Debian packages fonts-dejavu-core and fonts-noto-cjk).
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QString>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <numbers>
#include <vector>

#include "panel/scrolltoolbar.h"
#include "widgets/imagestrip.h"

namespace {

constexpr double kPi = std::numbers::pi;

// Colours of the artwork: ink, vermilion, paper, indigo, gold.
const QColor kInk(52, 36, 24);
const QColor kInkHot(24, 16, 10);
const QColor kVermilion(176, 44, 36);
const QColor kVermilionHot(214, 52, 38);
const QColor kPaper(246, 238, 220);
const QColor kIndigo(36, 52, 84);
const QColor kGold(190, 152, 88);
const QColor kFaded(150, 138, 120);

// A deterministic hash noise in [0, 1).
double Hash(int x, int y, int seed) {
    std::uint32_t h = static_cast<std::uint32_t>(x) * 374761393u +
                      static_cast<std::uint32_t>(y) * 668265263u +
                      static_cast<std::uint32_t>(seed) * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return (h & 0xFFFFFF) / static_cast<double>(0x1000000);
}

// Smooth noise along x with period `period`, built from whole cycles so that
// it tiles.
double PeriodicNoise(double x, int period, int seed) {
    double value = 0;
    double weight = 0;
    for (int octave = 1; octave <= 24; octave += 1 + octave / 3) {
        const double amplitude = 1.0 / std::sqrt(static_cast<double>(octave));
        const double phase = Hash(octave, 7, seed) * 2 * kPi;
        value += amplitude * std::sin(2 * kPi * octave * x / period + phase);
        weight += amplitude;
    }
    return value / weight;
}

int Clamp255(double v) { return static_cast<int>(std::lround(std::clamp(v, 0.0, 255.0))); }

// Warm silk: fine horizontal threads, a faint weave and a soft fold of light,
// all periodic across the width so the texture tiles without a seam.
QImage DrawTexture(int width, int height) {
    QImage image(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y) {
        const double threadTone = PeriodicNoise(y * 13.0, width, 11) * 5.0;
        const double vertical = 1.0 - 0.10 * std::pow(static_cast<double>(y) / (height - 1), 2.0);
        for (int x = 0; x < width; ++x) {
            const double thread = PeriodicNoise(x + y * 37.0, width, 100 + y) * 4.0;
            const double weave = ((x + y) % 2 == 0 ? 1.5 : -1.5) + (x % 3 == 0 ? -1.0 : 0.5);
            const double fibre = (Hash(x, y, 3) - 0.5) * 6.0;
            const double cloud = PeriodicNoise(x, width, 5) * 6.0;
            const double tone = threadTone + thread + weave + fibre + cloud;
            double r = (231 + tone) * vertical;
            double g = (218 + tone * 0.95) * vertical;
            double b = (190 + tone * 0.85) * vertical;
            if (y == 0) r += 14, g += 14, b += 12;  // a lit upper edge
            if (y >= height - 2) {                  // a darker lower edge
                const double shade = y == height - 1 ? 0.72 : 0.86;
                r *= shade, g *= shade, b *= shade;
            }
            uchar* pixel = image.scanLine(y) + 3 * x;
            pixel[0] = static_cast<uchar>(Clamp255(r));
            pixel[1] = static_cast<uchar>(Clamp255(g));
            pixel[2] = static_cast<uchar>(Clamp255(b));
        }
    }
    return image;
}

enum class Look { Normal, Disabled, Hot };

struct Pens {
    QColor ink;
    QColor accent;
    QColor fill;
};

Pens PensFor(Look look) {
    switch (look) {
        case Look::Disabled:
            return {kFaded, QColor(170, 150, 136), QColor(236, 230, 218, 150)};
        case Look::Hot:
            return {kInkHot, kVermilionHot, QColor(255, 251, 240)};
        case Look::Normal:
        default:
            return {kInk, kVermilion, kPaper};
    }
}

QPen Stroke(const QColor& colour, double width = 2.2) {
    return QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// A leaf of paper with a folded corner.
void Leaf(QPainter& p, const QRectF& r, const Pens& pens, bool lines = true) {
    const double fold = r.width() * 0.28;
    QPainterPath path;
    path.moveTo(r.topLeft());
    path.lineTo(r.right() - fold, r.top());
    path.lineTo(r.right(), r.top() + fold);
    path.lineTo(r.bottomRight());
    path.lineTo(r.bottomLeft());
    path.closeSubpath();
    p.setPen(Stroke(pens.ink, 1.8));
    p.setBrush(pens.fill);
    p.drawPath(path);
    QPainterPath corner;
    corner.moveTo(r.right() - fold, r.top());
    corner.lineTo(r.right() - fold, r.top() + fold);
    corner.lineTo(r.right(), r.top() + fold);
    p.setBrush(Qt::NoBrush);
    p.drawPath(corner);
    if (!lines) return;
    // Vertical lines of text, read from the right.
    p.setPen(Stroke(pens.ink, 1.2));
    for (double x = r.right() - fold - 3; x > r.left() + 2.5; x -= 3.6) {
        p.drawLine(QPointF(x, r.top() + fold + 2), QPointF(x, r.bottom() - 3));
    }
}

// A thread-bound volume: cover, title slip and stitching on the right.
void Volume(QPainter& p, const QRectF& r, const Pens& pens) {
    p.setPen(Stroke(pens.ink, 1.8));
    p.setBrush(pens.fill);
    p.drawRoundedRect(r.translated(-2.5, 2.5), 1.5, 1.5);
    p.drawRoundedRect(r, 1.5, 1.5);
    p.setPen(Stroke(pens.ink, 1.3));
    const double spine = r.right() - 4;
    p.drawLine(QPointF(spine, r.top() + 1), QPointF(spine, r.bottom() - 1));
    for (int i = 1; i <= 4; ++i) {
        const double y = r.top() + r.height() * i / 5.0;
        p.drawLine(QPointF(spine, y), QPointF(r.right(), y));
    }
    p.setPen(Qt::NoPen);
    p.setBrush(pens.accent);
    p.drawRect(QRectF(r.left() + 3, r.top() + 3, 4, r.height() * 0.42));
}

void Chevron(QPainter& p, QPointF tip, double size, bool left, const QColor& colour,
             double width = 2.6, const QColor& halo = Qt::transparent) {
    const double dx = left ? size * 0.6 : -size * 0.6;
    QPainterPath path;
    path.moveTo(tip.x() + dx, tip.y() - size);
    path.lineTo(tip);
    path.lineTo(tip.x() + dx, tip.y() + size);
    p.setBrush(Qt::NoBrush);
    if (halo.alpha() > 0) {
        // A paper-coloured edge keeps the mark apart from what lies under it.
        p.setPen(Stroke(halo, width + 2.4));
        p.drawPath(path);
    }
    p.setPen(Stroke(colour, width));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
}

void Magnifier(QPainter& p, const Pens& pens) {
    p.setPen(Stroke(pens.ink, 2.4));
    p.setBrush(pens.fill);
    p.drawEllipse(QPointF(16, 17), 8.5, 8.5);
    p.setPen(Stroke(pens.ink, 1.2));
    p.drawLine(QPointF(13, 13.5), QPointF(13, 21));
    p.drawLine(QPointF(16.5, 12.5), QPointF(16.5, 22));
    p.drawLine(QPointF(20, 14.5), QPointF(20, 20));
    p.setPen(Stroke(pens.ink, 4.0));
    p.drawLine(QPointF(22.5, 23.5), QPointF(29.5, 30.5));
}

void Triangle(QPainter& p, QPointF centre, double size, bool up, const QColor& colour) {
    QPainterPath path;
    const double s = up ? -1 : 1;
    path.moveTo(centre.x(), centre.y() + s * size);
    path.lineTo(centre.x() - size, centre.y() - s * size * 0.6);
    path.lineTo(centre.x() + size, centre.y() - s * size * 0.6);
    path.closeSubpath();
    p.setPen(Stroke(colour, 1.2));
    p.setBrush(colour);
    p.drawPath(path);
}

void DrawToolbarIcon(QPainter& p, int index, Look look) {
    const Pens pens = PensFor(look);
    switch (index) {
        case 0: {  // select all: a page inside selection corners
            Leaf(p, QRectF(12, 9, 16, 22), pens);
            p.setPen(Stroke(pens.accent, 2.0));
            const QRectF box(6, 4, 28, 32);
            const double c = 6;
            p.drawPolyline(QList<QPointF>{
                {box.left(), box.top() + c}, box.topLeft(), {box.left() + c, box.top()}});
            p.drawPolyline(QList<QPointF>{
                {box.right() - c, box.top()}, box.topRight(), {box.right(), box.top() + c}});
            p.drawPolyline(QList<QPointF>{
                {box.left(), box.bottom() - c}, box.bottomLeft(), {box.left() + c, box.bottom()}});
            p.drawPolyline(QList<QPointF>{{box.right() - c, box.bottom()},
                                          box.bottomRight(),
                                          {box.right(), box.bottom() - c}});
            break;
        }
        case 1:  // copy: two leaves
            Leaf(p, QRectF(7, 5, 17, 23), pens, false);
            Leaf(p, QRectF(15, 12, 17, 23), pens);
            break;
        case 2: {  // print
            p.setPen(Stroke(pens.ink, 1.8));
            p.setBrush(pens.fill);
            p.drawRect(QRectF(12, 5, 16, 10));
            p.setBrush(pens.ink);
            p.drawRoundedRect(QRectF(5, 14, 30, 13), 2.5, 2.5);
            p.setBrush(pens.fill);
            p.drawRect(QRectF(11, 22, 18, 13));
            p.setPen(Stroke(pens.ink, 1.2));
            p.drawLine(QPointF(14, 26), QPointF(26, 26));
            p.drawLine(QPointF(14, 29), QPointF(26, 29));
            p.drawLine(QPointF(14, 32), QPointF(22, 32));
            p.setPen(Qt::NoPen);
            p.setBrush(pens.accent);
            p.drawEllipse(QPointF(30, 18), 1.6, 1.6);
            break;
        }
        case 3:  // previous volume
            Volume(p, QRectF(14, 6, 19, 27), pens);
            Chevron(p, QPointF(4.5, 26), 5.5, true, pens.accent, 2.8, pens.fill);
            Chevron(p, QPointF(10.5, 26), 5.5, true, pens.accent, 2.8, pens.fill);
            break;
        case 4:  // previous page
            Leaf(p, QRectF(13, 6, 19, 28), pens);
            Chevron(p, QPointF(6, 20), 6.5, true, pens.accent, 3.0);
            break;
        case 5:  // next page
            Leaf(p, QRectF(8, 6, 19, 28), pens);
            Chevron(p, QPointF(34, 20), 6.5, false, pens.accent, 3.0);
            break;
        case 6:  // next volume
            Volume(p, QRectF(9, 6, 19, 27), pens);
            Chevron(p, QPointF(29.5, 26), 5.5, false, pens.accent, 2.8, pens.fill);
            Chevron(p, QPointF(35.5, 26), 5.5, false, pens.accent, 2.8, pens.fill);
            break;
        case 7:  // previous hit
            Magnifier(p, pens);
            Triangle(p, QPointF(31, 10), 5, true, pens.accent);
            break;
        case 8:  // next hit
            Magnifier(p, pens);
            Triangle(p, QPointF(31, 11), 5, false, pens.accent);
            break;
        case 9: {  // about: a round seal with a serif i
            p.setPen(Stroke(pens.accent, 2.2));
            p.setBrush(pens.fill);
            p.drawEllipse(QPointF(20, 20), 14, 14);
            p.setPen(Stroke(pens.accent, 1.0));
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(QPointF(20, 20), 11, 11);
            QFont font(QStringLiteral("DejaVu Serif"));
            font.setPixelSize(20);
            font.setBold(true);
            font.setItalic(true);
            p.setFont(font);
            p.setPen(pens.ink);
            p.drawText(QRectF(6, 6, 28, 28), Qt::AlignCenter, QStringLiteral("i"));
            break;
        }
        default:
            break;
    }
}

// Lays an antialiased icon over the texture pixels behind it; fully
// transparent pixels stay magenta. A covered pixel that happens to equal
// magenta is nudged so that the toolbar does not replace it.
void PlaceOnStrip(QImage& strip, int stripLeft, const QImage& icon, const QImage& texture,
                  int textureLeft, int textureTop) {
    for (int y = 0; y < icon.height(); ++y) {
        const auto* source = reinterpret_cast<const QRgb*>(icon.constScanLine(y));
        for (int x = 0; x < icon.width(); ++x) {
            const QRgb c = source[x];
            const int alpha = qAlpha(c);
            QRgb out = widgets::kMaskMagenta;
            if (alpha > 0) {
                const int tx = textureLeft + x;
                const int ty = textureTop + y;
                QRgb back = qRgb(212, 208, 200);
                if (tx >= 0 && tx < texture.width() && ty >= 0 && ty < texture.height()) {
                    back = texture.pixel(tx, ty);
                }
                // Premultiplied source over opaque background.
                const auto over = [&](int s, int b) { return s + b * (255 - alpha) / 255; };
                out = qRgb(over(qRed(c), qRed(back)), over(qGreen(c), qGreen(back)),
                           over(qBlue(c), qBlue(back)));
                if ((out & 0xFFFFFF) == widgets::kMaskMagenta) out = qRgb(254, 0, 255);
            }
            uchar* pixel = strip.scanLine(y) + 3 * (stripLeft + x);
            pixel[0] = static_cast<uchar>(qRed(out));
            pixel[1] = static_cast<uchar>(qGreen(out));
            pixel[2] = static_cast<uchar>(qBlue(out));
        }
    }
}

QImage DrawToolbarStrip(Look look, const QImage& texture) {
    constexpr int kSize = 40;
    constexpr int kCount = 10;
    QImage strip(kSize * kCount, kSize, QImage::Format_RGB888);
    const std::vector<int> items(panel::kToolbar128Items.begin(), panel::kToolbar128Items.end());
    const std::vector<int> origins = widgets::StripImageOrigins(items, kCount, kSize);
    // Image row k from the bottom lies on texture row k + 4 from the bottom.
    const int textureTop = texture.height() - widgets::kStripVerticalOffset - kSize;
    for (int i = 0; i < kCount; ++i) {
        QImage icon(kSize, kSize, QImage::Format_ARGB32_Premultiplied);
        icon.fill(Qt::transparent);
        QPainter p(&icon);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        if (look == Look::Hot) {
            QRadialGradient glow(QPointF(20, 20), 19);
            glow.setColorAt(0.0, QColor(255, 250, 232, 140));
            glow.setColorAt(0.7, QColor(255, 246, 220, 55));
            glow.setColorAt(1.0, QColor(255, 246, 220, 0));
            p.setPen(Qt::NoPen);
            p.setBrush(glow);
            p.drawEllipse(QPointF(20, 20), 19, 19);
        }
        if (look == Look::Disabled) p.setOpacity(0.75);
        DrawToolbarIcon(p, i, look);
        p.end();
        PlaceOnStrip(strip, i * kSize, icon, texture, origins[static_cast<size_t>(i)], textureTop);
    }
    return strip;
}

// The "<" and ">" result-paging buttons: normal, pressed, hover, disabled.
QImage DrawPagingStrip(bool left) {
    constexpr int kSize = 32;
    QImage strip(kSize * 4, kSize, QImage::Format_ARGB32_Premultiplied);
    strip.fill(Qt::transparent);
    QPainter p(&strip);
    p.setRenderHint(QPainter::Antialiasing);
    for (int frame = 0; frame < 4; ++frame) {
        const bool pressed = frame == 1;
        const bool hover = frame == 2;
        const bool disabled = frame == 3;
        const QPointF centre(frame * kSize + 16 + (pressed ? 0.6 : 0), 16 + (pressed ? 0.6 : 0));
        if (!disabled) {  // soft shadow
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(60, 40, 20, pressed ? 20 : 45));
            p.drawEllipse(centre + QPointF(0.8, 1.4), 13.2, 13.2);
        }
        QLinearGradient face(centre.x(), centre.y() - 13, centre.x(), centre.y() + 13);
        if (disabled) {
            face.setColorAt(0, QColor(238, 234, 226));
            face.setColorAt(1, QColor(222, 217, 208));
        } else if (pressed) {
            face.setColorAt(0, QColor(214, 196, 164));
            face.setColorAt(1, QColor(236, 224, 198));
        } else if (hover) {
            face.setColorAt(0, QColor(255, 250, 236));
            face.setColorAt(1, QColor(240, 222, 186));
        } else {
            face.setColorAt(0, QColor(251, 245, 230));
            face.setColorAt(1, QColor(230, 216, 188));
        }
        const QColor rim = disabled ? QColor(190, 182, 170) : hover ? kVermilion : kInk;
        p.setPen(QPen(rim, hover ? 1.6 : 1.3));
        p.setBrush(face);
        p.drawEllipse(centre, 12.8, 12.8);
        const QColor mark = disabled ? QColor(184, 176, 164) : hover ? kVermilionHot : kInk;
        const QPointF tip = centre + QPointF(left ? -4.0 : 4.0, 0);
        Chevron(p, tip, 6.0, left, mark, 3.0);
    }
    return strip;
}

// Tree images: a closed thread-bound volume (160) and an open one (159).
QImage DrawTreeImage(bool open) {
    QImage image(20, 20, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    if (!open) {
        p.setPen(QPen(QColor(22, 30, 50), 1));
        p.setBrush(kIndigo);
        p.drawRoundedRect(QRectF(3.5, 1.5, 13, 17), 1, 1);
        p.setPen(QPen(QColor(210, 200, 180), 0.9));
        for (double y : {4.5, 8.0, 11.5, 15.0}) p.drawLine(QPointF(13.5, y), QPointF(16.5, y));
        p.drawLine(QPointF(13.5, 2), QPointF(13.5, 18));
        p.setPen(Qt::NoPen);
        p.setBrush(kPaper);
        p.drawRect(QRectF(5.5, 3.5, 3.5, 9));
        p.setBrush(kVermilion);
        p.drawRect(QRectF(6.3, 4.5, 1.9, 1.9));
    } else {
        QPainterPath leftPage;
        leftPage.moveTo(10, 5);
        leftPage.cubicTo(7, 3.5, 4, 3.5, 1.5, 4.5);
        leftPage.lineTo(1.5, 16.5);
        leftPage.cubicTo(4, 15.5, 7, 15.5, 10, 17);
        leftPage.closeSubpath();
        QPainterPath rightPage;
        rightPage.moveTo(10, 5);
        rightPage.cubicTo(13, 3.5, 16, 3.5, 18.5, 4.5);
        rightPage.lineTo(18.5, 16.5);
        rightPage.cubicTo(16, 15.5, 13, 15.5, 10, 17);
        rightPage.closeSubpath();
        p.setPen(Qt::NoPen);
        p.setBrush(kIndigo);
        p.drawRoundedRect(QRectF(0.5, 6, 19, 12.5), 1.5, 1.5);
        p.setPen(QPen(kInk, 0.9));
        p.setBrush(QColor(252, 248, 236));
        p.drawPath(leftPage);
        p.drawPath(rightPage);
        p.setPen(QPen(QColor(150, 130, 110), 0.7));
        for (double x : {4.5, 7.0}) p.drawLine(QPointF(x, 7.0), QPointF(x, 13.6));
        for (double x : {13.0, 15.5}) p.drawLine(QPointF(x, 7.0), QPointF(x, 11.0));
        p.setPen(Qt::NoPen);
        p.setBrush(kVermilion);
        p.drawRect(QRectF(15.2, 12.2, 2.2, 2.2));
    }
    return image;
}

// A square seal with four characters, read from the right column down.
void Seal(QPainter& p, const QRectF& box, const QString& glyphs, const QColor& colour) {
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawRoundedRect(box, box.width() * 0.06, box.width() * 0.06);
    p.setPen(QPen(QColor(250, 238, 224), box.width() * 0.03));
    p.setBrush(Qt::NoBrush);
    const double inset = box.width() * 0.09;
    p.drawRect(box.adjusted(inset, inset, -inset, -inset));
    QFont font(QStringLiteral("Noto Serif CJK JP"));
    font.setPixelSize(std::max(1, static_cast<int>(box.width() * 0.34)));
    font.setBold(true);
    p.setFont(font);
    p.setPen(QColor(250, 238, 224));
    const QRectF inner = box.adjusted(inset * 1.4, inset * 1.2, -inset * 1.4, -inset * 1.6);
    const double half = inner.width() / 2;
    for (int i = 0; i < 4 && i < glyphs.size(); ++i) {
        const double x = i < 2 ? inner.left() + half : inner.left();
        const double y = inner.top() + (i % 2) * inner.height() / 2;
        p.drawText(QRectF(x, y, half, inner.height() / 2), Qt::AlignCenter, glyphs.mid(i, 1));
    }
}

void PaperGround(QImage& image, int seed) {
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const double fibre = (Hash(x, y, seed) - 0.5) * 7.0 +
                                 PeriodicNoise(x + y * 29.0, image.width(), seed + y % 5) * 3.0;
            const double dx = (x - image.width() / 2.0) / image.width();
            const double dy = (y - image.height() / 2.0) / image.height();
            const double vignette = 1.0 - 0.22 * (dx * dx + dy * dy) * 2.2;
            image.setPixel(
                x, y,
                qRgb(Clamp255((244 + fibre) * vignette), Clamp255((234 + fibre) * vignette),
                     Clamp255((212 + fibre * 0.9) * vignette)));
        }
    }
}

// The about picture: paper, a double frame, distant ink-wash hills, the name
// and a seal.
QImage DrawAboutPicture() {
    constexpr int kWidth = 500;
    constexpr int kHeight = 350;
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    PaperGround(image, 21);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    // Hills in ink wash, three layers fading into the distance.
    const struct {
        double base, height, phase;
        int alpha;
    } layers[] = {{250, 70, 0.3, 28}, {272, 55, 1.9, 46}, {300, 40, 3.1, 70}};
    for (const auto& layer : layers) {
        QPainterPath hill;
        hill.moveTo(16, kHeight - 16);
        for (int x = 16; x <= kWidth - 16; x += 4) {
            const double u = x / static_cast<double>(kWidth);
            const double y = layer.base - layer.height *
                                              (0.55 * std::sin(u * 5.1 + layer.phase) +
                                               0.30 * std::sin(u * 11.3 + layer.phase * 2) +
                                               0.15 * std::sin(u * 23.0 + layer.phase)) *
                                              std::sin(u * kPi);
            hill.lineTo(x, y);
        }
        hill.lineTo(kWidth - 16, kHeight - 16);
        hill.closeSubpath();
        QLinearGradient wash(0, layer.base - layer.height, 0, kHeight);
        wash.setColorAt(0.0, QColor(40, 48, 60, layer.alpha));
        wash.setColorAt(1.0, QColor(40, 48, 60, 0));
        p.setPen(Qt::NoPen);
        p.setBrush(wash);
        p.drawPath(hill);
    }

    // Double frame with cut corners.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kInk, 2.4));
    p.drawRect(QRectF(12, 12, kWidth - 24, kHeight - 24));
    p.setPen(QPen(kInk, 0.9));
    p.drawRect(QRectF(18, 18, kWidth - 36, kHeight - 36));
    p.setPen(QPen(kGold, 1.2));
    for (const QPointF corner : {QPointF(18, 18), QPointF(kWidth - 18, 18),
                                 QPointF(18, kHeight - 18), QPointF(kWidth - 18, kHeight - 18)}) {
        p.drawEllipse(corner, 4, 4);
    }

    // Title slip on the right, as on a bound volume's cover.
    const QRectF slip(kWidth - 86, 40, 42, 190);
    p.setPen(QPen(kInk, 1.0));
    p.setBrush(QColor(250, 246, 234));
    p.drawRect(slip);
    p.drawRect(slip.adjusted(3, 3, -3, -3));
    QFont slipFont(QStringLiteral("Noto Serif CJK JP"));
    slipFont.setPixelSize(24);
    p.setFont(slipFont);
    p.setPen(kInk);
    const QString slipText = QStringLiteral("漢籍全文検索");
    for (qsizetype i = 0; i < slipText.size(); ++i) {
        p.drawText(
            QRectF(slip.left(), slip.top() + 8 + 29.0 * static_cast<double>(i), slip.width(), 29),
            Qt::AlignCenter, slipText.mid(i, 1));
    }

    // The name.
    QFont title(QStringLiteral("DejaVu Serif"));
    title.setPixelSize(64);
    title.setLetterSpacing(QFont::AbsoluteSpacing, 3);
    p.setFont(title);
    p.setPen(QColor(255, 252, 240, 180));
    p.drawText(QRectF(40, 70 + 2, 340, 90).translated(1.5, 0), Qt::AlignCenter,
               QStringLiteral("Orvale"));
    p.setPen(kInk);
    p.drawText(QRectF(40, 70, 340, 90), Qt::AlignCenter, QStringLiteral("Orvale"));

    p.setPen(QPen(kGold, 1.2));
    p.drawLine(QPointF(90, 168), QPointF(330, 168));
    p.setBrush(kGold);
    p.drawEllipse(QPointF(210, 168), 2.4, 2.4);

    QFont subtitle(QStringLiteral("Noto Serif CJK JP"));
    subtitle.setPixelSize(17);
    subtitle.setLetterSpacing(QFont::AbsoluteSpacing, 4);
    p.setFont(subtitle);
    p.setPen(QColor(80, 60, 44));
    p.drawText(QRectF(40, 178, 340, 30), Qt::AlignCenter,
               QStringLiteral("古典漢籍の閲覧と全文検索"));

    QFont version(QStringLiteral("DejaVu Serif"));
    version.setPixelSize(13);
    version.setItalic(true);
    p.setFont(version);
    p.setPen(QColor(96, 78, 60));
    p.drawText(QRectF(40, 212, 340, 22), Qt::AlignCenter, QStringLiteral("Version 0.1"));

    Seal(p, QRectF(kWidth - 108, kHeight - 98, 56, 56), QStringLiteral("典籍之印"), kVermilion);
    return image;
}

// The application icon at any size: an indigo volume with a paper title slip
// and a vermilion seal.
QImage DrawAppIcon(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const double s = size / 64.0;
    p.scale(s, s);
    // Pages seen from the fore-edge, then the cover.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(236, 226, 204));
    p.drawRoundedRect(QRectF(12, 6, 46, 55), 3, 3);
    p.setPen(QPen(QColor(190, 176, 150), 0.8));
    for (double y = 9; y < 60; y += 2.6) p.drawLine(QPointF(55, y), QPointF(57.5, y));
    QLinearGradient cover(0, 3, 0, 58);
    cover.setColorAt(0, QColor(52, 72, 112));
    cover.setColorAt(1, QColor(28, 40, 66));
    p.setPen(QPen(QColor(18, 26, 44), 1.2));
    p.setBrush(cover);
    p.drawRoundedRect(QRectF(6, 3, 48, 55), 3, 3);
    // Stitching along the right edge.
    p.setPen(QPen(QColor(226, 214, 190), 1.6));
    p.drawLine(QPointF(46, 4), QPointF(46, 57));
    for (double y : {12.0, 23.0, 34.0, 45.0}) p.drawLine(QPointF(46, y), QPointF(54, y));
    // Title slip.
    p.setPen(QPen(QColor(120, 100, 80), 0.8));
    p.setBrush(kPaper);
    p.drawRect(QRectF(11, 8, 12, 36));
    if (size >= 32) {
        p.setPen(QPen(kInk, 1.6, Qt::SolidLine, Qt::RoundCap));
        for (double y : {13.0, 19.0, 25.0, 31.0}) p.drawLine(QPointF(15, y), QPointF(19, y));
    }
    Seal(p, QRectF(28, 38, 16, 16), size >= 48 ? QStringLiteral("典籍之印") : QString(),
         kVermilion);
    return image;
}

// A small slider cursor: a horizontal double arrow with a grip, outlined so it
// shows on light and dark ground. Hot spot at the centre (16, 16).
QImage DrawCursor() {
    QImage image(32, 32, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath arrow;
    arrow.moveTo(3, 16);
    arrow.lineTo(10, 9);
    arrow.lineTo(10, 13.5);
    arrow.lineTo(22, 13.5);
    arrow.lineTo(22, 9);
    arrow.lineTo(29, 16);
    arrow.lineTo(22, 23);
    arrow.lineTo(22, 18.5);
    arrow.lineTo(10, 18.5);
    arrow.lineTo(10, 23);
    arrow.closeSubpath();
    p.setPen(QPen(Qt::white, 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::white);
    p.drawPath(arrow);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 22, 16));
    p.drawPath(arrow);
    p.setBrush(kVermilion);
    p.drawRect(QRectF(14.8, 11, 2.4, 10));
    return image;
}

bool Save(const QImage& image, const QDir& folder, const QString& name) {
    const QString path = folder.filePath(name);
    if (!image.save(path, "PNG")) {
        std::fprintf(stderr, "orvale-artwork: cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s %dx%d\n", qPrintable(name), image.width(), image.height());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: orvale-artwork OUTPUT_FOLDER\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.exists()) {
        std::fprintf(stderr, "orvale-artwork: no folder %s\n", argv[1]);
        return 1;
    }
    const QImage texture = DrawTexture(600, 47);
    bool ok = Save(texture, folder, QStringLiteral("bmp171.png"));
    ok = Save(DrawToolbarStrip(Look::Normal, texture), folder, QStringLiteral("bmp172.png")) && ok;
    ok =
        Save(DrawToolbarStrip(Look::Disabled, texture), folder, QStringLiteral("bmp173.png")) && ok;
    ok = Save(DrawToolbarStrip(Look::Hot, texture), folder, QStringLiteral("bmp174.png")) && ok;
    ok = Save(DrawPagingStrip(true), folder, QStringLiteral("bmp184.png")) && ok;
    ok = Save(DrawPagingStrip(false), folder, QStringLiteral("bmp185.png")) && ok;
    ok = Save(DrawTreeImage(true), folder, QStringLiteral("bmp159.png")) && ok;
    ok = Save(DrawTreeImage(false), folder, QStringLiteral("bmp160.png")) && ok;
    ok = Save(DrawAboutPicture(), folder, QStringLiteral("bmp168.png")) && ok;
    ok = Save(DrawAppIcon(64), folder, QStringLiteral("icon128.png")) && ok;
    ok = Save(DrawAppIcon(16), folder, QStringLiteral("icon143.png")) && ok;
    ok = Save(DrawAppIcon(256), folder, QStringLiteral("orvale.png")) && ok;
    ok = Save(DrawCursor(), folder, QStringLiteral("cursor149.png")) && ok;
    return ok ? 0 : 1;
}
