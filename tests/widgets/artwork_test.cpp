// The artwork compiled into the program: every picture is there at the size
// the controls rely on, and the toolbar strips leave the texture to show.
#include "widgets/artwork.h"

#include <gtest/gtest.h>

#include <QPixmap>

#include "widgets/imagestrip.h"
#include "widgets/xtoolbar.h"

namespace {

TEST(Artwork, EveryBitmapHasItsSize) {
    const struct {
        int id;
        QSize size;
    } bitmaps[] = {
        {159, {20, 20}},  {160, {20, 20}},  {168, {500, 350}}, {171, {600, 47}}, {172, {400, 40}},
        {173, {400, 40}}, {174, {400, 40}}, {184, {128, 32}},  {185, {128, 32}},
    };
    for (const auto& bitmap : bitmaps) {
        const QImage image = widgets::LoadBitmapResource(bitmap.id);
        ASSERT_FALSE(image.isNull()) << widgets::BitmapPath(bitmap.id).toStdString();
        EXPECT_EQ(image.size(), bitmap.size) << bitmap.id;
    }
    EXPECT_TRUE(widgets::LoadBitmapResource(12345).isNull());
}

TEST(Artwork, IconsAndCursor) {
    EXPECT_FALSE(widgets::LoadIconResource(128).isNull());
    EXPECT_FALSE(widgets::LoadIconResource(143).isNull());
    EXPECT_TRUE(widgets::LoadIconResource(1).isNull());
    const QCursor cursor = widgets::LoadCursorResource(149);
    EXPECT_EQ(cursor.shape(), Qt::BitmapCursor);
    EXPECT_EQ(cursor.hotSpot(), QPoint(widgets::kCursorHotSpot, widgets::kCursorHotSpot));
    EXPECT_EQ(widgets::LoadCursorResource(1).shape(), Qt::ArrowCursor);
}

// Each toolbar image keeps magenta around its drawing (the texture shows
// there) and draws something that is not magenta.
TEST(Artwork, ToolbarStripsLeaveTheTextureToShow) {
    for (int id : {172, 173, 174}) {
        const QImage strip = widgets::LoadBitmapResource24(id);
        ASSERT_EQ(strip.size(), QSize(400, 40));
        for (int image = 0; image < 10; ++image) {
            int mask = 0;
            for (int y = 0; y < 40; ++y) {
                for (int x = 0; x < 40; ++x) {
                    if ((strip.pixel(image * 40 + x, y) & 0xFFFFFF) == widgets::kMaskMagenta) {
                        ++mask;
                    }
                }
            }
            EXPECT_GT(mask, 200) << id << " image " << image;
            EXPECT_LT(mask, 1500) << id << " image " << image;
        }
    }
}

TEST(Artwork, TextureTilesAcrossItsWidth) {
    const QImage texture = widgets::LoadBitmapResource24(171);
    ASSERT_FALSE(texture.isNull());
    // The jump from the last column to the first is no larger than a typical
    // step between neighbouring columns.
    double seam = 0;
    double inside = 0;
    for (int y = 1; y < texture.height() - 2; ++y) {
        seam += std::abs(qGreen(texture.pixel(599, y)) - qGreen(texture.pixel(0, y)));
        inside += std::abs(qGreen(texture.pixel(300, y)) - qGreen(texture.pixel(301, y)));
    }
    EXPECT_LT(seam, inside * 2 + 47);
}

}  // namespace
