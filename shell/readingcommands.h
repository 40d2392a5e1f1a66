// CReadingCommands: the reader's comfort commands and the pieces behind
// them: zoom, typeface, vertical text and colour scheme (CPageLook), find in
// page (CFindBar), back and forward (CHistoryNav), the keyword box's
// drop-down list (CKeywordHistory) and the jump to the keyword box. It adds
// its items to the frame's menus and toolbar through the frame's own action
// maker, answers their commands, and reports the state their enable rules
// read. Owned by the main frame; UI thread only.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

#include "shell/commandrules.h"

class QAction;
class QMenu;
class QToolBar;

namespace panel {
class CLeftForm;
}

namespace shell {

class CFindBar;
class CHistoryNav;
class CKeywordHistory;
class CPageLook;
class CVoraView;
class ST_SplitterWnd;

class CReadingCommands : public QObject {
    Q_OBJECT
  public:
    using MakeAction = std::function<QAction*(int id, const QString& text)>;

    // catalogueShown: the frame's refresh after a catalogue page comes back.
    CReadingCommands(CVoraView& view, panel::CLeftForm& form, ST_SplitterWnd& splitter,
                     std::function<void(int slot)> catalogueShown, QObject* parent = nullptr);
    ~CReadingCommands() override;

    void AddMenuItems(const MakeAction& make, QMenu* edit, QMenu* view, QMenu* list);
    void AddToolBarButtons(QToolBar* bar, const std::function<QAction*(int)>& action);
    // True when id is one of these commands (and it ran).
    bool OnCommand(int id);
    void FillState(CommandState& state) const;
    // The view was sent a page file; the form finished a search.
    void OnPageShown(const QString& path);
    void OnFormStateChanged();
    // The form has its keyword box: attach the drop-down list.
    void OnFormReady();

    CPageLook& Look() const { return *m_look; }
    CFindBar& FindBar() const { return *m_findBar; }
    CHistoryNav& History() const { return *m_history; }
    CKeywordHistory& Keywords() const { return *m_keywords; }

  signals:
    void stateChanged();

  protected:
    // The mouse's back and forward buttons anywhere in the window.
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void ChooseFont();
    void FocusKeyword();
    void SyncChecks();

    CVoraView& m_view;
    panel::CLeftForm& m_form;
    ST_SplitterWnd& m_splitter;
    CPageLook* m_look = nullptr;
    CFindBar* m_findBar = nullptr;
    CHistoryNav* m_history = nullptr;
    CKeywordHistory* m_keywords = nullptr;
    std::u16string m_lastKeyword;
    QPointer<QWidget> m_window;  // the frame, for the mouse buttons
    QAction* m_vertical = nullptr;
    QAction* m_schemes[3] = {nullptr, nullptr, nullptr};
};

}  // namespace shell
