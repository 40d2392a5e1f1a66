// CVoraApp: start-up and shutdown of the reader. Start-up: read the command
// line (--data, the splash switches), name the settings store, build the main
// frame (which puts the splash up, builds the panes, loads the corpus and the
// catalogue), and show the window as the last session left it. Shutdown runs
// through the frame's
// close: the companion program starts, the layout is saved, then the frame is
// deleted, which unloads the index and removes the page files.
#pragma once

#include <QStringList>
#include <memory>

#include "shell/appoptions.h"
#include "shell/messageboxes.h"

namespace shell {

class CMainFrame;

class CVoraApp {
  public:
    // arguments as QCoreApplication::arguments() (program name first).
    explicit CVoraApp(const QStringList& arguments);
    ~CVoraApp();

    // Builds and shows the main window. False (with a line on stderr) when
    // the command line cannot be used.
    bool InitInstance();
    CMainFrame* Frame() const { return m_frame.get(); }
    // Deletes the main frame: the index is unloaded and the page folder
    // removed. Run after the window has closed (which saved the session).
    void ExitInstance();
    CMessageBoxes& Messages() { return m_messages; }
    const AppOptions& Options() const { return m_options; }

    // Names the application and its settings store (for tests and main).
    static void SetApplicationNames();

  private:
    QStringList m_arguments;
    AppOptions m_options;
    CMessageBoxes m_messages;
    std::unique_ptr<CMainFrame> m_frame;
};

}  // namespace shell
