// CSplashWnd: the full-screen start-up splash. It plays the movie "main.gif"
// from the program folder (an animated GIF, played by QMovie) or, when that
// file is missing or unreadable, a built-in animated title. The first key or
// mouse-button press anywhere in the program closes it and is consumed (it
// reaches no widget and triggers no shortcut); otherwise it closes itself after
// 50 seconds.
//
// Use (the frame, while it builds itself):
//   shell::CSplashWnd::AllowSplash(
//       shell::CSplashWnd::AllowedByArguments(QCoreApplication::arguments()));
//   shell::CSplashWnd::ShowSplash(frame);   // nothing when not allowed or already up
//   ... build the panes; frame->showMaximized();  (the splash stays on top)
// CloseSplash() ends it early. At most one splash exists; it deletes itself.
// A modal dialog shown while the splash is up (a load failure message) closes
// the splash so that the dialog is not hidden behind it. GUI thread only.
#pragma once

#include <QPointer>
#include <QStringList>
#include <QWidget>

class QMovie;

namespace shell {

class CSplashWnd : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kTimeoutMs = 50000;
    static constexpr const char* kMovieName = "main.gif";

    // False when an argument after the program name is "-Embedding",
    // "/Embedding", "-Automation" or "/Automation" in any letter case; the first
    // element (the program) is not examined.
    static bool AllowedByArguments(const QStringList& arguments);

    static void AllowSplash(bool allowed);
    static bool IsAllowed();
    // Shows the splash over parent unless it is not allowed or one is shown.
    static void ShowSplash(QWidget* parent, int timeoutMs = kTimeoutMs);
    // Closes the current splash, if any, and repaints its parent.
    static void CloseSplash();
    // The splash on screen, or nullptr.
    static CSplashWnd* Current();
    // <program folder>/main.gif
    static QString MoviePath();

    ~CSplashWnd() override;
    // True when the movie file plays; false when the built-in title runs.
    bool IsPlayingMovie() const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

  private:
    CSplashWnd(QWidget* parent, int timeoutMs);
    void Stop();
    void PaintTitle(QPainter& painter);

    QMovie* m_movie = nullptr;
    QPointer<QWidget> m_owner;
    int m_closeTimer = 0;
    int m_frameTimer = 0;
    qint64 m_startMs = 0;
    qint64 m_elapsedMs = 0;
};

}  // namespace shell
