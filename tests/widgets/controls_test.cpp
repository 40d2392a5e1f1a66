// The toolbar's image lists, the paging button's frames and the tooltip
// button, on the offscreen platform.
#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <QSignalSpy>

#include "widgets/imagestrip.h"
#include "widgets/tooltipbutton.h"
#include "widgets/tooltipresourcebutton.h"
#include "widgets/xtoolbar.h"

namespace {

using widgets::kMaskMagenta;

QImage Texture() {
    QImage texture(600, 47, QImage::Format_RGB888);
    for (int y = 0; y < 47; ++y) {
        for (int x = 0; x < 600; ++x) texture.setPixel(x, y, qRgb(x % 256, 100 + y, 7));
    }
    return texture;
}

// Two 8 x 8 images: magenta with one coloured pixel each.
QImage TwoImageStrip(QRgb first, QRgb second) {
    QImage strip(16, 8, QImage::Format_RGB888);
    strip.fill(QColor::fromRgb(kMaskMagenta));
    strip.setPixel(2, 3, first);
    strip.setPixel(8 + 5, 6, second);
    return strip;
}

QRgb At(const QPixmap& pixmap, int x, int y) { return pixmap.toImage().pixel(x, y) & 0xFFFFFF; }

class XToolBarImages : public ::testing::Test {
  protected:
    void SetUp() override {
        bar.SetButtonImageSize(8, 8);
        bar.SetTextureImage(Texture());
        bar.SetItems({11, 0, 12});
    }
    widgets::CXToolBar bar;
};

TEST_F(XToolBarImages, DisabledIdZeroGivesTheGreyNormalImagesOnTheTexture) {
    const QRgb red = qRgb(255, 0, 0);
    const QRgb green = qRgb(0, 255, 0);
    ASSERT_TRUE(
        bar.LoadImageStripImages(2, kMaskMagenta, TwoImageStrip(red, green), QImage(), QImage()));
    ASSERT_EQ(bar.NormalImages().size(), 2);
    ASSERT_EQ(bar.DisabledImages().size(), 2);
    EXPECT_TRUE(bar.HotImages().isEmpty());

    EXPECT_EQ(At(bar.NormalImages()[0], 2, 3), red & 0xFFFFFF);
    EXPECT_EQ(At(bar.DisabledImages()[0], 2, 3), qRgb(76, 76, 76) & 0xFFFFFF);
    EXPECT_EQ(At(bar.DisabledImages()[1], 5, 6), qRgb(149, 149, 149) & 0xFFFFFF);

    // Mask pixels show the texture in both lists: image 0 at x 3, image 1 at
    // x 3 + 15 + 6 = 24; image row 0 lies on texture row 47 - 4 - 8 = 35.
    const QImage texture = Texture();
    for (const auto* list : {&bar.NormalImages(), &bar.DisabledImages()}) {
        EXPECT_EQ(At((*list)[0], 0, 0), texture.pixel(3, 35) & 0xFFFFFF);
        EXPECT_EQ(At((*list)[1], 7, 7), texture.pixel(24 + 7, 42) & 0xFFFFFF);
    }
}

TEST_F(XToolBarImages, DisabledAndHotStripsAreBlendedLikeTheNormalOne) {
    const QRgb blue = qRgb(0, 0, 255);
    ASSERT_TRUE(bar.LoadImageStripImages(2, kMaskMagenta, TwoImageStrip(blue, blue),
                                         TwoImageStrip(qRgb(1, 2, 3), blue),
                                         TwoImageStrip(qRgb(9, 9, 9), blue)));
    ASSERT_EQ(bar.HotImages().size(), 2);
    EXPECT_EQ(At(bar.DisabledImages()[0], 2, 3), qRgb(1, 2, 3) & 0xFFFFFF);
    EXPECT_EQ(At(bar.HotImages()[0], 2, 3), qRgb(9, 9, 9) & 0xFFFFFF);
    EXPECT_EQ(At(bar.HotImages()[0], 0, 0), Texture().pixel(3, 35) & 0xFFFFFF);
}

TEST_F(XToolBarImages, RefusesAStripTooNarrowForTheCount) {
    EXPECT_FALSE(
        bar.LoadImageStripImages(3, kMaskMagenta, TwoImageStrip(0, 0), QImage(), QImage()));
    EXPECT_FALSE(
        bar.LoadImageStripImages(0, kMaskMagenta, TwoImageStrip(0, 0), QImage(), QImage()));
    EXPECT_TRUE(bar.NormalImages().isEmpty());
    EXPECT_FALSE(bar.LoadImageStrips(10, kMaskMagenta, 99999, 0, 0));
}

TEST_F(XToolBarImages, CommandsAndSlots) {
    QSignalSpy triggered(&bar, &widgets::CXToolBar::commandTriggered);
    ASSERT_NE(bar.CommandAction(12), nullptr);
    EXPECT_EQ(bar.CommandAction(0), nullptr);
    bar.CommandAction(12)->trigger();
    ASSERT_EQ(triggered.size(), 1);
    EXPECT_EQ(triggered[0][0].toInt(), 12);

    auto* control = new QWidget;
    EXPECT_TRUE(bar.ReplaceItemWithWidget(11, control, 120));
    EXPECT_EQ(control->parentWidget(), &bar);
    EXPECT_EQ(control->width(), 120);
    EXPECT_EQ(bar.CommandAction(11), nullptr);
    EXPECT_FALSE(bar.ReplaceItemWithWidget(11, new QWidget(&bar), 10));
    EXPECT_EQ(bar.Items(), (std::vector<int>{11, 0, 12}));

    // Laying the toolbar out again replaces every item, slot controls included.
    QPointer<QWidget> placed(control);
    bar.SetItems({5, 0, 6});
    EXPECT_TRUE(placed.isNull());
    EXPECT_EQ(bar.CommandAction(12), nullptr);
    ASSERT_NE(bar.CommandAction(6), nullptr);
    bar.CommandAction(6)->trigger();
    EXPECT_EQ(triggered.last()[0].toInt(), 6);
}

TEST(ChooseStateFrame, DisabledWinsOverPressedAndPressedOverHover) {
    const struct {
        bool disabled, pressed, hover;
        widgets::StateFrame frame;
    } cases[] = {
        {false, false, false, widgets::kFrameNormal},  {false, false, true, widgets::kFrameHover},
        {false, true, false, widgets::kFramePressed},  {false, true, true, widgets::kFramePressed},
        {true, false, false, widgets::kFrameDisabled}, {true, false, true, widgets::kFrameDisabled},
        {true, true, false, widgets::kFrameDisabled},  {true, true, true, widgets::kFrameDisabled},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(widgets::ChooseStateFrame(c.disabled, c.pressed, c.hover), c.frame)
            << c.disabled << c.pressed << c.hover;
    }
}

TEST(CToolTipResourceButton, TakesOneFrameAndFollowsThePointer) {
    widgets::CToolTipResourceButton button;
    button.move(7, 9);
    ASSERT_TRUE(button.LoadStateStrip(184));
    EXPECT_EQ(button.FrameSize(), QSize(32, 32));
    EXPECT_EQ(button.size(), QSize(32, 32));
    EXPECT_EQ(button.pos(), QPoint(7, 9));
    EXPECT_FALSE(button.LoadStateStrip(99999));

    QEvent enter(QEvent::Enter);
    QCoreApplication::sendEvent(&button, &enter);
    EXPECT_EQ(button.CurrentFrame(), widgets::kFrameHover);
    button.setDown(true);
    EXPECT_EQ(button.CurrentFrame(), widgets::kFramePressed);
    button.setDown(false);
    button.setEnabled(false);
    EXPECT_EQ(button.CurrentFrame(), widgets::kFrameDisabled);
    button.setEnabled(true);
    QCoreApplication::sendEvent(&button, &enter);
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&button, &leave);
    EXPECT_EQ(button.CurrentFrame(), widgets::kFrameNormal);
}

TEST(CToolTipButton, NullTextChangesNothingAndActivateSwitchesTheTip) {
    widgets::CToolTipButton button;
    button.SetTipText(QStringLiteral("Next Page"));
    EXPECT_EQ(button.toolTip(), QStringLiteral("Next Page"));
    button.SetTipText(QString());
    EXPECT_EQ(button.toolTip(), QStringLiteral("Next Page"));
    button.SetTipText(QStringLiteral("Next Page"), false);
    EXPECT_TRUE(button.toolTip().isEmpty());
    EXPECT_FALSE(button.TipActive());
    button.SetTipText(QStringLiteral("Previous Page"), true);
    EXPECT_EQ(button.toolTip(), QStringLiteral("Previous Page"));
}

}  // namespace
