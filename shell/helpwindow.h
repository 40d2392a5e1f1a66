// CHelpWindow: the help pages in a window of the reader, so that help needs
// no desktop browser. A web view on the installed help folder with 戻る and
// 進む (Alt+Left, Alt+Right) and 閉じる (Esc); local pages only, as in the
// page view. A window of its own beside the main window (not modal), owned
// by the main frame and closed with it. UI thread only.
#pragma once

#include <QString>
#include <QWidget>

class QAction;
class QWebEngineView;

namespace shell {

class CHelpWindow : public QWidget {
    Q_OBJECT
  public:
    explicit CHelpWindow(QWidget* owner);

    // Shows the page at path (a local file) and brings the window up.
    void ShowPage(const QString& path);
    QWebEngineView* View() const { return m_view; }
    QAction* BackAction() const;
    QAction* ForwardAction() const;

  private:
    QWebEngineView* m_view = nullptr;
};

}  // namespace shell
