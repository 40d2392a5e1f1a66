// The page toolbar: its state rules and the toolbar built from them.
#include "panel/scrolltoolbar.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QSignalSpy>
#include <limits>

#include "widgets/imagestrip.h"
#include "widgets/xedit.h"
#include "widgets/xsliderctrl.h"

namespace {

using panel::PageRange;

TEST(VolumePageRange, SpansTheVolumesPages) {
    const struct {
        std::int64_t curFileName, docNo;
        PageRange range;
    } cases[] = {
        {5, 12, {5, 16}},
        {1, 3, {1, 3}},
        {1, 1, {1, 1}},
        {7, 0, {7, 7}},
        {7, -4, {7, 7}},
        {std::numeric_limits<int>::max(),
         10,
         {std::numeric_limits<int>::max(), std::numeric_limits<int>::max()}},
        {std::int64_t{1} << 40,
         5,
         {std::numeric_limits<int>::max(), std::numeric_limits<int>::max()}},
    };
    for (const auto& c : cases) {
        const PageRange range = panel::VolumePageRange(c.curFileName, c.docNo);
        EXPECT_EQ(range.low, c.range.low) << c.curFileName << " " << c.docNo;
        EXPECT_EQ(range.high, c.range.high) << c.curFileName << " " << c.docNo;
    }
}

TEST(ClampToRange, KeepsThePositionInsideTheVolume) {
    const PageRange range{5, 16};
    EXPECT_EQ(panel::ClampToRange(range, 17), 16);
    EXPECT_EQ(panel::ClampToRange(range, 4), 5);
    EXPECT_EQ(panel::ClampToRange(range, 9), 9);
    EXPECT_EQ(panel::ClampToRange(PageRange{3, 1}, 9), 3);
}

TEST(PageText, IsHeaderValueSlashPage) {
    EXPECT_EQ(panel::PageText(3, 12), "3/12");
    EXPECT_EQ(panel::PageText(-1, 0), "-1/0");
    EXPECT_EQ(panel::PageText(17, 5), "17/5");
}

TEST(ToolbarTooltip, NamesEveryButton) {
    const struct {
        int id;
        const char* tip;
    } tips[] = {
        {32778, "すべて選択"},   {57634, "コピー"}, {32777, "印刷"},     {32791, "上の巻へ"},
        {32780, "上の頁"},       {32781, "次の頁"}, {32790, "次の巻へ"}, {32805, "上の検索結果"},
        {32806, "次の検索結果"}, {57664, "情報"},   {32787, ""},         {32788, ""},
    };
    for (const auto& t : tips) EXPECT_EQ(panel::ToolbarTooltip(t.id), t.tip) << t.id;
}

class PageToolBar : public ::testing::Test {
  protected:
    panel::CSCrollToolBar bar;
};

TEST_F(PageToolBar, HasTenCommandsTheSliderAndTheEdit) {
    EXPECT_TRUE(bar.HasArtwork());
    int commands = 0;
    for (int id : panel::kToolbar128Items) {
        if (id == 0 || id == panel::kSliderSlotCommand || id == panel::kEditSlotCommand) {
            EXPECT_EQ(bar.CommandAction(id), nullptr) << id;
            continue;
        }
        QAction* action = bar.CommandAction(id);
        ASSERT_NE(action, nullptr) << id;
        EXPECT_EQ(action->toolTip().toStdString(), panel::ToolbarTooltip(id));
        ++commands;
    }
    EXPECT_EQ(commands, 10);
    EXPECT_EQ(bar.NormalImages().size(), 10);
    EXPECT_EQ(bar.DisabledImages().size(), 10);
    EXPECT_EQ(bar.HotImages().size(), 10);
    EXPECT_EQ(bar.NormalImages()[0].size(), QSize(40, 40));

    EXPECT_EQ(bar.PageSlider()->property("controlId").toInt(), panel::kPageSliderId);
    EXPECT_EQ(bar.PageEdit()->property("controlId").toInt(), panel::kPageEditId);
    EXPECT_EQ(bar.PageSlider()->width(), panel::kPageSliderWidth);
    EXPECT_TRUE(bar.PageEdit()->isReadOnly());
    EXPECT_EQ(bar.SliderRange(), (PageRange{0, 0}));
    EXPECT_TRUE(bar.PageTextShown().isEmpty());
}

TEST_F(PageToolBar, ButtonsReportTheirCommand) {
    QSignalSpy triggered(&bar, &widgets::CXToolBar::commandTriggered);
    bar.CommandAction(32781)->trigger();
    bar.CommandAction(57664)->trigger();
    ASSERT_EQ(triggered.size(), 2);
    EXPECT_EQ(triggered[0][0].toInt(), 32781);
    EXPECT_EQ(triggered[1][0].toInt(), 57664);
}

TEST_F(PageToolBar, PositionsSetByTheFrameAreNotReported) {
    QSignalSpy released(&bar, &panel::CSCrollToolBar::pageSliderReleased);
    bar.SetSliderRange(panel::VolumePageRange(5, 12));
    bar.ShowPosition(3, 5);
    bar.ShowPosition(3, 17);
    EXPECT_EQ(bar.SliderRange(), (PageRange{5, 16}));
    EXPECT_EQ(bar.SliderPosition(), 16);
    EXPECT_EQ(bar.PageTextShown(), QStringLiteral("3/17"));
    bar.SetSliderRange(1, 3);
    EXPECT_EQ(bar.SliderPosition(), 3);
    EXPECT_TRUE(released.isEmpty());
}

TEST_F(PageToolBar, ADragReportsOnceOnRelease) {
    bar.SetSliderRange(5, 16);
    bar.SetSliderPosition(5);
    QSignalSpy released(&bar, &panel::CSCrollToolBar::pageSliderReleased);
    widgets::CXSliderCtrl* slider = bar.PageSlider();
    slider->setSliderDown(true);
    slider->setSliderPosition(9);
    slider->setSliderPosition(17);
    EXPECT_TRUE(released.isEmpty());
    slider->setSliderDown(false);
    ASSERT_EQ(released.size(), 1);
    EXPECT_EQ(released[0][0].toInt(), 16);
}

TEST_F(PageToolBar, ReleasingWhereItWasReportsThatPageAgain) {
    bar.SetSliderRange(5, 16);
    bar.SetSliderPosition(8);
    QSignalSpy released(&bar, &panel::CSCrollToolBar::pageSliderReleased);
    bar.PageSlider()->setSliderDown(true);
    bar.PageSlider()->setSliderDown(false);
    ASSERT_EQ(released.size(), 1);
    EXPECT_EQ(released[0][0].toInt(), 8);
}

TEST_F(PageToolBar, KeyboardStepsReportAtOnce) {
    bar.SetSliderRange(5, 16);
    bar.SetSliderPosition(5);
    QSignalSpy released(&bar, &panel::CSCrollToolBar::pageSliderReleased);
    bar.PageSlider()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    bar.PageSlider()->triggerAction(QAbstractSlider::SliderToMaximum);
    ASSERT_EQ(released.size(), 2);
    EXPECT_EQ(released[0][0].toInt(), 6);
    EXPECT_EQ(released[1][0].toInt(), 16);
}

// The button images are drawn where the texture substitution assumed them, so
// the texture runs on through each image's background without a seam.
TEST_F(PageToolBar, ImagesMeetTheTextureWithoutSeam) {
    bar.resize(bar.sizeHint().width() + 200, bar.sizeHint().height());
    const QImage shot = bar.grab().toImage();
    const QImage texture = bar.Texture();
    ASSERT_EQ(shot.height(), texture.height());
    const std::vector<int> items(panel::kToolbar128Items.begin(), panel::kToolbar128Items.end());
    const std::vector<int> origins = widgets::StripImageOrigins(items, 10, 40);
    // The top-left pixel of each image is background in every strip.
    const int top = texture.height() - widgets::kStripVerticalOffset - 40;
    for (int x : origins) {
        for (int dx : {0, 1, 39}) {
            EXPECT_EQ(shot.pixel(x + dx, top) & 0xFFFFFF, texture.pixel(x + dx, top) & 0xFFFFFF)
                << "image at " << x;
        }
    }
}

}  // namespace
