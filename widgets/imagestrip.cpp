#include "widgets/imagestrip.h"

namespace widgets {

namespace {

bool SameColour(const uchar* pixel, QRgb colour) {
    return pixel[0] == qRed(colour) && pixel[1] == qGreen(colour) && pixel[2] == qBlue(colour);
}

void PutColour(uchar* pixel, QRgb colour) {
    pixel[0] = static_cast<uchar>(qRed(colour));
    pixel[1] = static_cast<uchar>(qGreen(colour));
    pixel[2] = static_cast<uchar>(qBlue(colour));
}

// Row `fromBottom` counted from the bottom edge, as stored in bottom-up bitmaps.
int TopDownRow(int height, int fromBottom) { return height - 1 - fromBottom; }

}  // namespace

std::vector<int> StripImageOrigins(const std::vector<int>& itemIds, int imageCount,
                                   int imageWidth) {
    std::vector<int> origins;
    int x = kStripFirstX;
    for (int id : itemIds) {
        if (static_cast<int>(origins.size()) >= imageCount) break;
        if (id == 0) {
            x += kStripSeparatorWidth;
            continue;
        }
        origins.push_back(x);
        x += imageWidth + kStripButtonPadding;
    }
    return origins;
}

bool BlendStripWithTexture(QImage& strip, const QImage& texture, const std::vector<int>& itemIds,
                           int imageCount, int imageWidth, QRgb mask, QRgb buttonFace) {
    if (strip.format() != QImage::Format_RGB888 || imageCount <= 0 || imageWidth <= 0) {
        return false;
    }
    if (texture.isNull()) return true;
    const QImage background = texture.format() == QImage::Format_RGB888
                                  ? texture
                                  : texture.convertToFormat(QImage::Format_RGB888);
    const int height = strip.height();
    const std::vector<int> origins = StripImageOrigins(itemIds, imageCount, imageWidth);
    for (int image = 0; image < static_cast<int>(origins.size()); ++image) {
        const int stripLeft = image * imageWidth;
        if (stripLeft + imageWidth > strip.width()) break;
        const int x = origins[image];
        for (int k = 0; k < height; ++k) {
            uchar* row = strip.scanLine(TopDownRow(height, k));
            const int textureRowFromBottom = k + kStripVerticalOffset;
            const bool rowInside = textureRowFromBottom < background.height();
            const uchar* textureRow = rowInside ? background.constScanLine(TopDownRow(
                                                      background.height(), textureRowFromBottom))
                                                : nullptr;
            for (int j = 0; j < imageWidth; ++j) {
                uchar* pixel = row + 3 * (stripLeft + j);
                if (!SameColour(pixel, mask)) continue;
                const int column = x + j;
                if (textureRow != nullptr && column >= 0 && column < background.width()) {
                    const uchar* source = textureRow + 3 * column;
                    pixel[0] = source[0];
                    pixel[1] = source[1];
                    pixel[2] = source[2];
                } else {
                    PutColour(pixel, buttonFace);
                }
            }
        }
    }
    return true;
}

int GreyOf(QRgb colour) {
    return (117 * qBlue(colour) + 601 * qGreen(colour) + 306 * qRed(colour)) / 1024;
}

namespace {

bool Grey(QImage& strip, const QRgb* keep) {
    if (strip.format() != QImage::Format_RGB888) return false;
    for (int y = 0; y < strip.height(); ++y) {
        uchar* row = strip.scanLine(y);
        for (int x = 0; x < strip.width(); ++x) {
            uchar* pixel = row + 3 * x;
            if (keep != nullptr && SameColour(pixel, *keep)) continue;
            const auto grey = static_cast<uchar>(GreyOf(qRgb(pixel[0], pixel[1], pixel[2])));
            pixel[0] = pixel[1] = pixel[2] = grey;
        }
    }
    return true;
}

}  // namespace

bool ConvertStripToGrey(QImage& strip) { return Grey(strip, nullptr); }

bool ConvertStripToGreyExceptMask(QImage& strip, QRgb mask) { return Grey(strip, &mask); }

}  // namespace widgets
