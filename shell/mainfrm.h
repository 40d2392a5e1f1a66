// CMainFrame: the reader's main window. Holds the menu bar (menu 128, one
// QAction per command ID), the page toolbar, and the splitter with the left
// form (260 pixels at start) and the page view. It wires commands to their
// handlers, routes the edit and print commands to the page view, applies
// every enable rule in one update routine (CommandRules), and at shutdown
// starts the companion program and saves the splitter layout and the session
// (window, tab, scope, options, page), which RestoreSession brings back.
//
// The frame keeps no reader state of its own: position and hits live in the
// left form's plain classes. UI thread only.
#pragma once

#include <QHash>
#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <string>

#include "panel/sessionstate.h"
#include "shell/commandrules.h"

class QAction;
class QSettings;

namespace panel {
class CLeftForm;
class CParallelsDock;
class CSCrollToolBar;
}  // namespace panel

namespace shell {

class CHelpWindow;
class CMessageBoxes;
class CReadingCommands;
class CVoraView;
class ST_SplitterWnd;

inline const QString kLastVolumeMessage = QStringLiteral("もう最後の巻まで至りました。");
inline const QString kHelpMissingMessage = QStringLiteral("ヘルプが見つかりません：\n%1");
inline const QString kFirstVolumeMessage =
    QStringLiteral("これ以上戻れません。もう巻一に至っています。");

struct FrameConfig {
    std::string dataDir;  // corpus folder
    QString programDir;   // folder of end.exe and help/index.html
    QString tempRoot;     // where the private page folder is made
    std::string listingPath = "kvt.txt";
    bool allowSplash = true;
};

class CMainFrame : public QMainWindow {
    Q_OBJECT
  public:
    CMainFrame(FrameConfig config, CMessageBoxes& messages, QWidget* parent = nullptr);
    ~CMainFrame() override;

    // The action of a command ID (menu item, toolbar button or accelerator).
    QAction* Action(int id) const;
    // Runs the handler of a command as a menu click would (when enabled).
    void OnCommand(int id);
    // Applies every enable rule to the actions.
    void UpdateCommands();
    CommandState CurrentCommandState() const;

    panel::CLeftForm* LeftForm() const { return m_leftForm; }
    CVoraView* GetRightPane() const { return m_view; }
    ST_SplitterWnd* Splitter() const { return m_splitter; }
    panel::CSCrollToolBar* PageToolBar() const { return m_toolBar; }
    CReadingCommands* Reading() const { return m_reading; }
    panel::CParallelsDock* ParallelsDock() const { return m_parallels; }
    // True while the page view is the active pane.
    bool ViewIsActive() const { return m_viewActive; }
    void SetViewActive(bool active) { m_viewActive = active; }

    // Starts the companion program (once) and saves the layout and the
    // session; run by close.
    void Shutdown();
    // Applies the remembered session (window, splitter, form, page; see
    // panel/sessionstate.h) and shows the window: at the first start 80 %
    // of the screen, centred. mainfrmsession.cpp.
    void RestoreSession();
    QString CompanionPath() const;
    QString HelpPath() const;
    // The help window once Help has opened it, else nullptr.
    CHelpWindow* HelpWindow() const;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void CreateClient();
    void CreateToolBar();
    void CreateMenus();
    QAction* MakeAction(int id, const QString& text);
    void OnPrevPage();
    void OnNextPage();
    void OnPrevVolume();
    void OnNextVolume();
    // Shows volume slot, or the message when there is none (slot 0).
    void MoveToVolume(int slot, const QString& noVolumeMessage);
    void OnVolumeShown(int slot);
    void OnSliderReleased(int position);
    void RefreshPageText();
    void ShowCurrentPage();
    void OnHelp();
    void OnAbout();
    void SwitchPane();
    void StartCompanion();
    // 類似箇所を探す: the selection of the page view, or the whole page shown.
    void OnParallels();
    void SaveSession(QSettings& settings);
    panel::SessionContext SessionContextNow() const;

    FrameConfig m_config;
    CMessageBoxes& m_messages;
    ST_SplitterWnd* m_splitter = nullptr;
    panel::CLeftForm* m_leftForm = nullptr;
    CVoraView* m_view = nullptr;
    panel::CSCrollToolBar* m_toolBar = nullptr;
    CReadingCommands* m_reading = nullptr;
    panel::CParallelsDock* m_parallels = nullptr;
    QHash<int, QAction*> m_actions;
    QPointer<CHelpWindow> m_helpWindow;
    bool m_viewActive = false;
    bool m_shutDown = false;
};

}  // namespace shell
