// CSCrollToolBar: the main frame's toolbar (toolbar 128). Ten command buttons
// with tooltips, separators, the page slider (child ID 101, 300 pixels, in the
// slot of 32787) and the read-only page edit (child ID 102, in the slot of
// 32788), all on the toolbar texture (bitmap 171, images 172/173/174).
//
// Use from the frame:
//   auto* bar = new panel::CSCrollToolBar(frame);  frame->addToolBar(bar);
//   connect(bar, &widgets::CXToolBar::commandTriggered, ...)   // a button's ID
//   bar->CommandAction(32780)->setEnabled(...)                  // update rules
//   connect(bar, &panel::CSCrollToolBar::pageSliderReleased, ...)
//       // the user finished moving the slider (mouse release, key, wheel or
//       // click on the groove); the frame shows that page of the current
//       // volume (ignoring it while no volume is current) and calls
//   bar->ShowPosition(headerValue, currentPage)      // slider position + "%d/%d"
//   bar->SetSliderRange(low, high)                  // VolumePageRange(...) of a volume
// The toolbar only shows what the frame gives it; it holds no reader state.
// The state rules live in the plain functions below (no display needed).
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "widgets/xtoolbar.h"

namespace widgets {
class CXEdit;
class CXSliderCtrl;
}  // namespace widgets

namespace panel {

inline constexpr int kPageSliderId = 101;
inline constexpr int kPageEditId = 102;
inline constexpr int kSliderSlotCommand = 32787;
inline constexpr int kEditSlotCommand = 32788;
inline constexpr int kPageSliderWidth = 300;
inline constexpr int kPageEditWidth = 100;
inline constexpr int kPageSliderCursor = 149;

// Toolbar 128 in layout order; 0 = separator.
inline constexpr std::array<int, 17> kToolbar128Items = {
    32778,           57634, 0,     32777, 0, 32791, 32780, 32781,
    32790,           0,     32805, 32806, 0, 57664, 0,     kSliderSlotCommand,
    kEditSlotCommand};

// The tooltip of a toolbar command (UTF-8); empty for the two slots and
// unknown IDs.
std::string ToolbarTooltip(int commandId);

// Page numbers a volume covers: curFileName .. curFileName + docNo - 1. A
// volume of no pages gives low == high == curFileName; numbers beyond the int
// range are clamped to it.
struct PageRange {
    int low = 0;
    int high = 0;
    bool operator==(const PageRange&) const = default;
};
PageRange VolumePageRange(std::int64_t curFileName, std::int64_t docNo);

// The slider position for a page: the page limited to the range.
int ClampToRange(const PageRange& range, int page);

// The page edit's text, "%d/%d" of the page store's header value and the page.
std::string PageText(int headerValue, int currentPage);

class CSCrollToolBar : public widgets::CXToolBar {
    Q_OBJECT
  public:
    // Builds the whole toolbar; with missing artwork the buttons stay without
    // images (HasArtwork() false) but every command and control still works.
    explicit CSCrollToolBar(QWidget* parent = nullptr);
    ~CSCrollToolBar() override;

    bool HasArtwork() const;

    // Slider range in page numbers (redraws); high below low is taken as low.
    void SetSliderRange(int low, int high);
    void SetSliderRange(const PageRange& range);
    PageRange SliderRange() const;
    // Moves the slider (limited to its range) without reporting a release.
    void SetSliderPosition(int page);
    int SliderPosition() const;
    void SetPageText(const QString& text);
    QString PageTextShown() const;
    // Slider position = currentPage and the edit = PageText(headerValue, currentPage).
    void ShowPosition(int headerValue, int currentPage);

    widgets::CXSliderCtrl* PageSlider() const;
    widgets::CXEdit* PageEdit() const;

  signals:
    // The user has finished moving the slider; position is where it rests.
    void pageSliderReleased(int position);

  private:
    void OnSliderValueChanged(int value);

    widgets::CXSliderCtrl* m_pageSlider = nullptr;
    widgets::CXEdit* m_pageEdit = nullptr;
    bool m_hasArtwork = false;
    bool m_settingSlider = false;
};

}  // namespace panel
