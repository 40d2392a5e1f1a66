// The remembered session of the main frame: the window rectangle and state,
// the splitter, and through the left form the tab, scope, options and page.
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>

#include "panel/leftform.h"
#include "shell/mainfrm.h"
#include "shell/messageboxes.h"
#include "shell/settingstext.h"
#include "shell/st_splitterwnd.h"

namespace shell {

namespace {

const QString kSessionSection = QStringLiteral("Session");

panel::WindowRect AvailableArea(const QWidget& window) {
    QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    return {area.x(), area.y(), area.width(), area.height()};
}

}  // namespace

panel::SessionContext CMainFrame::SessionContextNow() const {
    return {AvailableArea(*this), &m_leftForm->GetCatalogue(),
            m_leftForm->Index().PageStore().RecordCount()};
}

void CMainFrame::RestoreSession() {
    QSettings settings(kOrganisationName, kApplicationName);
    const panel::SessionState session =
        panel::ReadSession(ReadSettingsSection(settings, kSessionSection), SessionContextNow());
    const panel::WindowRect& w = session.window;
    setGeometry(w.x, w.y, w.width, w.height);
    m_splitter->RestoreLayout(settings);
    m_leftForm->RestoreSession(session);
    if (session.maximized) {
        showMaximized();
    } else {
        show();
    }
}

void CMainFrame::SaveSession(QSettings& settings) {
    panel::SessionState session;
    const QRect normal = isMaximized() || isFullScreen() ? normalGeometry() : geometry();
    session.window = {normal.x(), normal.y(), normal.width(), normal.height()};
    session.maximized = isMaximized();
    m_leftForm->CaptureSession(session);
    WriteSettingsText(settings, panel::WriteSession(session, SessionContextNow()));
}

}  // namespace shell
