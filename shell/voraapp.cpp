#include "shell/voraapp.h"

#include <QCoreApplication>
#include <QDir>
#include <cstdio>
#include <string>
#include <vector>

#include "shell/mainfrm.h"
#ifdef ORVALE_HAVE_SPLASH
#include "shell/splash.h"
#endif

namespace shell {

CVoraApp::CVoraApp(const QStringList& arguments) : m_arguments(arguments) {}

CVoraApp::~CVoraApp() = default;

void CVoraApp::ExitInstance() { m_frame.reset(); }

void CVoraApp::SetApplicationNames() {
    QCoreApplication::setOrganizationName(kOrganisationName);
    QCoreApplication::setApplicationName(kApplicationName);
}

bool CVoraApp::InitInstance() {
    std::vector<std::string> args;
    for (qsizetype i = 1; i < m_arguments.size(); ++i) args.push_back(m_arguments[i].toStdString());
    m_options = ParseAppOptions(args, QCoreApplication::applicationDirPath().toStdString());
    if (!m_options.error.empty()) {
        std::fprintf(stderr, "orvale: %s\n", m_options.error.c_str());
        return false;
    }
#ifdef ORVALE_HAVE_SPLASH
    CSplashWnd::AllowSplash(m_options.allowSplash);
#endif
    SetApplicationNames();

    FrameConfig config;
    config.dataDir = m_options.dataDir;
    config.programDir = QCoreApplication::applicationDirPath();
    config.tempRoot = QDir::tempPath();
    config.allowSplash = m_options.allowSplash;
    m_frame = std::make_unique<CMainFrame>(config, m_messages);
    m_frame->RestoreSession();
    return true;
}

}  // namespace shell
