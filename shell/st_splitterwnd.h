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
    // none or it cannot be read.
    bool RestoreLayout(QSettings& settings);

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void HidePane(int index);
    void ShowHiddenPane();

    int m_level;
    bool m_vertical;
    SplitterLayout m_layout;  // hidden column / row and remembered sizes
    int m_minimum0 = 10;
    int m_minimum1 = 10;
    bool m_sized = false;
};

}  // namespace shell
