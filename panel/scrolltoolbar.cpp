#include "panel/scrolltoolbar.h"

#include <QAction>
#include <QDebug>
#include <QSignalBlocker>
#include <algorithm>
#include <limits>

#include "widgets/artwork.h"
#include "widgets/imagestrip.h"
#include "widgets/xedit.h"
#include "widgets/xsliderctrl.h"

namespace panel {

namespace {

constexpr int kTextureBitmap = 171;
constexpr int kNormalStrip = 172;
constexpr int kDisabledStrip = 173;
constexpr int kHotStrip = 174;
constexpr int kImageCount = 10;
constexpr int kButtonImageSize = 40;

int ClampToInt(std::int64_t value) {
    return static_cast<int>(std::clamp<std::int64_t>(value, std::numeric_limits<int>::min(),
                                                     std::numeric_limits<int>::max()));
}

}  // namespace

std::string ToolbarTooltip(int commandId) {
    switch (commandId) {
        case 32778:
            return "すべて選択";
        case 57634:
            return "コピー";
        case 32777:
            return "印刷";
        case 32791:
            return "上の巻へ";
        case 32780:
            return "上の頁";
        case 32781:
            return "次の頁";
        case 32790:
            return "次の巻へ";
        case 32805:
            return "上の検索結果";
        case 32806:
            return "次の検索結果";
        case 57664:
            return "情報";
        default:
            return {};
    }
}

PageRange VolumePageRange(std::int64_t curFileName, std::int64_t docNo) {
    const int low = ClampToInt(curFileName);
    const int high = ClampToInt(curFileName + std::max<std::int64_t>(docNo, 1) - 1);
    return {low, std::max(low, high)};
}

int ClampToRange(const PageRange& range, int page) {
    return std::clamp(page, range.low, std::max(range.low, range.high));
}

std::string PageText(int headerValue, int currentPage) {
    return std::to_string(headerValue) + "/" + std::to_string(currentPage);
}

CSCrollToolBar::CSCrollToolBar(QWidget* parent) : widgets::CXToolBar(parent) {
    setObjectName(QStringLiteral("pageToolBar"));
    setWindowTitle(QStringLiteral("ツールバー"));
    SetButtonImageSize(kButtonImageSize, kButtonImageSize);
    const bool textured = SetTexture(kTextureBitmap);
    SetItems(std::vector<int>(kToolbar128Items.begin(), kToolbar128Items.end()));
    for (int id : kToolbar128Items) {
        if (QAction* action = CommandAction(id)) {
            const QString tip = QString::fromStdString(ToolbarTooltip(id));
            action->setToolTip(tip);
            action->setIconText(tip);
        }
    }
    const bool images = LoadImageStrips(kImageCount, widgets::kMaskMagenta, kNormalStrip,
                                        kDisabledStrip, kHotStrip);
    m_hasArtwork = textured && images;
    if (!m_hasArtwork) qWarning("Toolbar artwork is missing\n");

    m_pageSlider = new widgets::CXSliderCtrl(this);
    m_pageSlider->setObjectName(QStringLiteral("pageSlider"));
    m_pageSlider->setProperty("controlId", kPageSliderId);
    m_pageSlider->setToolTip(QString());
    m_pageSlider->SetTexture(kTextureBitmap);
    m_pageSlider->setCursor(widgets::LoadCursorResource(kPageSliderCursor));
    m_pageSlider->setRange(0, 0);
    ReplaceItemWithWidget(kSliderSlotCommand, m_pageSlider, kPageSliderWidth);

    m_pageEdit = new widgets::CXEdit(this);
    m_pageEdit->setObjectName(QStringLiteral("pageEdit"));
    m_pageEdit->setProperty("controlId", kPageEditId);
    m_pageEdit->setReadOnly(true);
    m_pageEdit->setFocusPolicy(Qt::ClickFocus);
    m_pageEdit->setAlignment(Qt::AlignCenter);
    m_pageEdit->SetTexture(kTextureBitmap);
    ReplaceItemWithWidget(kEditSlotCommand, m_pageEdit, kPageEditWidth);

    connect(m_pageSlider, &QSlider::sliderReleased, this,
            [this] { emit pageSliderReleased(m_pageSlider->value()); });
    connect(m_pageSlider, &QSlider::valueChanged, this, &CSCrollToolBar::OnSliderValueChanged);
}

CSCrollToolBar::~CSCrollToolBar() = default;

bool CSCrollToolBar::HasArtwork() const { return m_hasArtwork; }

void CSCrollToolBar::SetSliderRange(int low, int high) {
    const QSignalBlocker quiet(m_pageSlider);
    m_settingSlider = true;
    m_pageSlider->setRange(low, std::max(low, high));
    m_settingSlider = false;
    m_pageSlider->update();
}

void CSCrollToolBar::SetSliderRange(const PageRange& range) {
    SetSliderRange(range.low, range.high);
}

PageRange CSCrollToolBar::SliderRange() const {
    return {m_pageSlider->minimum(), m_pageSlider->maximum()};
}

void CSCrollToolBar::SetSliderPosition(int page) {
    m_settingSlider = true;
    m_pageSlider->setValue(ClampToRange(SliderRange(), page));
    m_settingSlider = false;
}

int CSCrollToolBar::SliderPosition() const { return m_pageSlider->value(); }

void CSCrollToolBar::SetPageText(const QString& text) { m_pageEdit->setText(text); }

QString CSCrollToolBar::PageTextShown() const { return m_pageEdit->text(); }

void CSCrollToolBar::ShowPosition(int headerValue, int currentPage) {
    SetSliderPosition(currentPage);
    SetPageText(QString::fromStdString(PageText(headerValue, currentPage)));
}

widgets::CXSliderCtrl* CSCrollToolBar::PageSlider() const { return m_pageSlider; }

widgets::CXEdit* CSCrollToolBar::PageEdit() const { return m_pageEdit; }

void CSCrollToolBar::OnSliderValueChanged(int value) {
    // A drag reports once, on release; keys, the wheel and clicks on the groove
    // end their move at once. Positions set by the frame are not reported.
    if (m_settingSlider || m_pageSlider->isSliderDown()) return;
    emit pageSliderReleased(value);
}

}  // namespace panel
