// The texture substitution and grey conversion of the toolbar strips.
#include "widgets/imagestrip.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using widgets::BlendStripWithTexture;
using widgets::kMaskMagenta;

const std::vector<int> kToolbarItems = {32778, 57634, 0, 32777, 0, 32791, 32780, 32781, 32790, 0,
                                        32805, 32806, 0, 57664, 0, 32787, 32788};
constexpr QRgb kButtonFace = 0xD4D0C8;

// Every pixel tells where it is: red/green the column, blue the row.
QImage CoordinateTexture(int width, int height) {
    QImage texture(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) texture.setPixel(x, y, qRgb(x % 256, x / 256, y));
    }
    return texture;
}

QImage Strip(int width, int height, QRgb colour) {
    QImage strip(width, height, QImage::Format_RGB888);
    strip.fill(QColor::fromRgb(colour));
    return strip;
}

// The texture pixel behind image pixel (j, y) of an image at x = origin,
// following the rule "row k from the bottom lies on texture row k + 4 from the
// bottom"; button face beyond the texture.
QRgb Behind(const QImage& texture, int origin, int j, int y, int imageHeight) {
    const int fromBottom = imageHeight - 1 - y + 4;
    const int textureY = texture.height() - 1 - fromBottom;
    const int textureX = origin + j;
    if (textureY < 0 || textureX >= texture.width()) return kButtonFace;
    return texture.pixel(textureX, textureY) & 0xFFFFFF;
}

TEST(StripImageOrigins, FollowsButtonsAndSeparatorsOfToolbar128) {
    const std::vector<int> expected = {3, 50, 103, 156, 203, 250, 297, 350, 397, 450};
    EXPECT_EQ(widgets::StripImageOrigins(kToolbarItems, 10, 40), expected);
}

TEST(StripImageOrigins, StopsAtTheImageCountAndAtTheLastButton) {
    EXPECT_EQ(widgets::StripImageOrigins(kToolbarItems, 2, 40), (std::vector<int>{3, 50}));
    EXPECT_EQ(widgets::StripImageOrigins({0, 7, 0, 0, 8}, 5, 10), (std::vector<int>{9, 38}));
}

TEST(BlendStripWithTexture, AllMagentaImagesShowExactlyTheTextureBehindThem) {
    const QImage texture = CoordinateTexture(600, 47);
    QImage strip = Strip(400, 40, kMaskMagenta);
    ASSERT_TRUE(
        BlendStripWithTexture(strip, texture, kToolbarItems, 10, 40, kMaskMagenta, kButtonFace));
    const std::vector<int> origins = widgets::StripImageOrigins(kToolbarItems, 10, 40);
    for (int image = 0; image < 10; ++image) {
        for (int y = 0; y < 40; ++y) {
            for (int j = 0; j < 40; ++j) {
                const QRgb got = strip.pixel(image * 40 + j, y) & 0xFFFFFF;
                ASSERT_EQ(got, Behind(texture, origins[image], j, y, 40))
                    << "image " << image << " column " << j << " row " << y;
            }
        }
    }
    // The top row of the first image lies on texture row 3, column 3.
    EXPECT_EQ(strip.pixel(0, 0) & 0xFFFFFF, texture.pixel(3, 3) & 0xFFFFFF);
    EXPECT_EQ(strip.pixel(0, 39) & 0xFFFFFF, texture.pixel(3, 42) & 0xFFFFFF);
}

TEST(BlendStripWithTexture, PixelsBeyondTheTextureTakeTheButtonFace) {
    // A texture 60 wide and 30 high: the second image starts at x 56 and runs
    // past its right edge, and the upper 14 rows of a 40-high image lie above
    // its top.
    const QImage texture = CoordinateTexture(60, 30);
    QImage strip = Strip(80, 40, kMaskMagenta);
    const std::vector<int> items = {1, 0, 2};
    ASSERT_TRUE(BlendStripWithTexture(strip, texture, items, 2, 40, kMaskMagenta, kButtonFace));
    const std::vector<int> origins = widgets::StripImageOrigins(items, 2, 40);
    ASSERT_EQ(origins, (std::vector<int>{3, 56}));
    int buttonFace = 0;
    for (int image = 0; image < 2; ++image) {
        for (int y = 0; y < 40; ++y) {
            for (int j = 0; j < 40; ++j) {
                const QRgb expected = Behind(texture, origins[image], j, y, 40);
                ASSERT_EQ(strip.pixel(image * 40 + j, y) & 0xFFFFFF, expected);
                if (expected == kButtonFace) ++buttonFace;
            }
        }
    }
    // Rows 0..13 of both images are above the texture; columns 4..39 of the
    // second image are right of it.
    EXPECT_EQ(strip.pixel(10, 13) & 0xFFFFFF, kButtonFace);
    EXPECT_NE(strip.pixel(10, 14) & 0xFFFFFF, kButtonFace);
    EXPECT_EQ(strip.pixel(40 + 4, 30) & 0xFFFFFF, kButtonFace);
    EXPECT_NE(strip.pixel(40 + 3, 30) & 0xFFFFFF, kButtonFace);
    EXPECT_GT(buttonFace, 0);
}

TEST(BlendStripWithTexture, ReplacesOnlyTheExactMaskColour) {
    const QImage texture = CoordinateTexture(600, 47);
    QImage strip = Strip(40, 40, 0xFE00FF);
    strip.setPixel(5, 5, kMaskMagenta);
    ASSERT_TRUE(BlendStripWithTexture(strip, texture, {1}, 1, 40, kMaskMagenta, kButtonFace));
    EXPECT_EQ(strip.pixel(5, 5) & 0xFFFFFF, Behind(texture, 3, 5, 5, 40));
    EXPECT_EQ(strip.pixel(6, 5) & 0xFFFFFF, 0xFE00FFu);
}

TEST(BlendStripWithTexture, ImagesPastTheCountOrTheButtonsAreLeftAlone) {
    const QImage texture = CoordinateTexture(600, 47);
    QImage strip = Strip(120, 40, kMaskMagenta);
    // Three images in the strip, but only two counted.
    ASSERT_TRUE(BlendStripWithTexture(strip, texture, {1, 2, 3}, 2, 40, kMaskMagenta, kButtonFace));
    EXPECT_NE(strip.pixel(40, 0) & 0xFFFFFF, kMaskMagenta);
    EXPECT_EQ(strip.pixel(80, 0) & 0xFFFFFF, kMaskMagenta);
    // Three images counted, but only one button.
    QImage second = Strip(120, 40, kMaskMagenta);
    ASSERT_TRUE(
        BlendStripWithTexture(second, texture, {0, 1, 0}, 3, 40, kMaskMagenta, kButtonFace));
    EXPECT_NE(second.pixel(0, 0) & 0xFFFFFF, kMaskMagenta);
    EXPECT_EQ(second.pixel(40, 0) & 0xFFFFFF, kMaskMagenta);
}

TEST(BlendStripWithTexture, WithoutTextureOrWithAWrongFormat) {
    QImage strip = Strip(40, 40, kMaskMagenta);
    EXPECT_TRUE(BlendStripWithTexture(strip, QImage(), {1}, 1, 40, kMaskMagenta, kButtonFace));
    EXPECT_EQ(strip.pixel(0, 0) & 0xFFFFFF, kMaskMagenta);
    QImage wrong(40, 40, QImage::Format_ARGB32);
    wrong.fill(Qt::magenta);
    EXPECT_FALSE(BlendStripWithTexture(wrong, CoordinateTexture(600, 47), {1}, 1, 40, kMaskMagenta,
                                       kButtonFace));
    EXPECT_FALSE(BlendStripWithTexture(strip, CoordinateTexture(600, 47), {1}, 0, 40, kMaskMagenta,
                                       kButtonFace));
}

TEST(ConvertStripToGrey, UsesTheWeightedSumRoundedDown) {
    const struct {
        QRgb colour;
        int grey;
    } cases[] = {
        {qRgb(255, 255, 255), 255}, {qRgb(0, 0, 0), 0},        {qRgb(255, 0, 255), 105},
        {qRgb(255, 0, 0), 76},      {qRgb(0, 255, 0), 149},    {qRgb(0, 0, 255), 29},
        {qRgb(10, 20, 30), 18},     {qRgb(200, 100, 50), 124},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(widgets::GreyOf(c.colour), c.grey) << std::hex << c.colour;
        QImage strip = Strip(2, 2, c.colour);
        ASSERT_TRUE(widgets::ConvertStripToGrey(strip));
        EXPECT_EQ(strip.pixel(1, 1) & 0xFFFFFF, qRgb(c.grey, c.grey, c.grey) & 0xFFFFFF);
    }
}

TEST(ConvertStripToGrey, ExceptMaskKeepsTheMaskForTheTexture) {
    QImage strip = Strip(2, 1, kMaskMagenta);
    strip.setPixel(1, 0, qRgb(255, 0, 0));
    ASSERT_TRUE(widgets::ConvertStripToGreyExceptMask(strip, kMaskMagenta));
    EXPECT_EQ(strip.pixel(0, 0) & 0xFFFFFF, kMaskMagenta);
    EXPECT_EQ(strip.pixel(1, 0) & 0xFFFFFF, qRgb(76, 76, 76) & 0xFFFFFF);
    QImage wrong(2, 2, QImage::Format_ARGB32);
    EXPECT_FALSE(widgets::ConvertStripToGrey(wrong));
}

}  // namespace
