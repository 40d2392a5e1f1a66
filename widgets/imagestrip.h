// Pixel work behind the textured toolbar, kept apart from any widget so that it
// runs without a display.
//
// A strip holds count images of imageWidth x height side by side on a mask
// colour. The toolbar's items are walked left to right as they will be laid out
// (x from kStripFirstX, separators kStripSeparatorWidth wide, buttons image
// width + kStripButtonPadding wide), and every mask pixel of a button's image is
// replaced by the texture pixel that lies behind it, so the image sits
// seamlessly on the textured toolbar. Rows are matched from the bottom: image
// row k (0 = bottom) lies on texture row k + kStripVerticalOffset (0 = bottom).
// Pixels that fall outside the texture take the button-face colour.
#pragma once

#include <QImage>
#include <QRgb>
#include <vector>

namespace widgets {

inline constexpr int kStripFirstX = 3;
inline constexpr int kStripVerticalOffset = 4;
inline constexpr int kStripSeparatorWidth = 6;
inline constexpr int kStripButtonPadding = 7;
inline constexpr QRgb kMaskMagenta = 0xFF00FF;

// Left edge, in toolbar coordinates, of each of the first imageCount images
// when the toolbar holds itemIds in order (0 = separator). Fewer entries when
// the toolbar has fewer buttons than images.
std::vector<int> StripImageOrigins(const std::vector<int>& itemIds, int imageCount, int imageWidth);

// Replaces, in place, every pixel of the strip's images equal to mask (red,
// green and blue; alpha ignored) by the texture pixel behind it, or by
// buttonFace beyond the texture. A null texture leaves the strip unchanged.
// strip must be Format_RGB888; returns false (strip unchanged) otherwise, or
// when imageCount or imageWidth is not positive. Images beyond the strip's
// width are skipped.
bool BlendStripWithTexture(QImage& strip, const QImage& texture, const std::vector<int>& itemIds,
                           int imageCount, int imageWidth, QRgb mask, QRgb buttonFace);

// Turns every pixel grey: (117 * blue + 601 * green + 306 * red) / 1024,
// rounded down. strip must be Format_RGB888; returns false otherwise.
bool ConvertStripToGrey(QImage& strip);

// The same, except that pixels equal to mask keep their colour, so a grey
// strip can still be blended with the texture.
bool ConvertStripToGreyExceptMask(QImage& strip, QRgb mask);

// The grey value of one colour, as ConvertStripToGrey computes it.
int GreyOf(QRgb colour);

}  // namespace widgets
