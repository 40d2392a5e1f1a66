// ST_SplitterWnd: the main window's two-pane splitter. Side by side
// (vertical = true) it holds the left form and the page view; the left pane
// starts 260 pixels wide. TogglePane hides a pane and shows it again with the
// width it had; SaveLayout writes the layout to the settings store as
// "%d %d %d %d" (hidden column, size 0, hidden row, size 1) under section
// "SplitterWnd", entry "Panes_<level>". Owned by the main frame.
#pragma once

#include <QSplitter>

#include "shell/splitterlayout.h"

class QSettings;

namespace shell {

class ST_SplitterWnd : public QSplitter {
    Q_OBJECT
  public:
    static constexpr int kFirstPaneSize = 260;
    static constexpr int kSecondPaneSize = 100;
    // Side by side, the page pane keeps a readable width: when the window
    // narrows, the left pane gives way first, down to its own minimum.
    static constexpr int kFirstPaneMinimum = 200;
    static constexpr int kSecondPaneMinimum = 400;
    static constexpr int kFirstPaneMaximum = 4000;

    ST_SplitterWnd(int level, bool vertical, QWidget* parent = nullptr);

    // Puts first into pane 0 (260 pixels) and second into pane 1.
    void SetPanes(QWidget* first, QWidget* second);

    // Hides pane index when none is hidden, shows it when it is the hidden one.
    void TogglePane(int index);
    void HidePaneColumn(int column);
    void ShowPaneColumn();
    // Remembers the current pane sizes, unless a pane is hidden.
    void CaptureSizes();

    int HiddenColumn() const { return m_layout.hiddenColumn; }
    int HiddenRow() const { return m_layout.hiddenRow; }
    // The layout as SaveLayout would write it now.
    SplitterLayout CurrentLayout();
    // Writes the layout into settings (section "SplitterWnd"); failures are ignored.
    void SaveLayout(QSettings& settings);
    // Reads and applies a saved layout; false (nothing changes) when there is
    // none or it cannot be read. A hidden pane is hidden again; a size out of
    // range gives the start width.
    bool RestoreLayout(QSettings& settings);
    // The width of pane 0 the user chose (dragging the bar, or restored).
    int WantedFirstPaneSize() const { return m_wantedFirst; }

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void HidePane(int index);
    void ShowHiddenPane();
    void HideWithoutCapture(int index);
    // Places the bar for the current extent and the wanted first width.
    void ApplyWantedSizes();

    int m_level;
    bool m_vertical;
    SplitterLayout m_layout;  // hidden column / row and remembered sizes
    int m_minimum0 = 10;
    int m_minimum1 = 10;
    int m_wantedFirst = kFirstPaneSize;
};

}  // namespace shell
