// The reader window: orvale [--data DIR]
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QSocketNotifier>
#include <cstdio>

#include "shell/mainfrm.h"
#include "shell/qttranslations.h"
#include "shell/sandboxswitch.h"
#include "shell/voraapp.h"

namespace {

int g_signalPipe[2] = {-1, -1};
// A termination signal arrived (read on the UI thread only).
bool g_terminationRequested = false;

void OnTerminationSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_signalPipe[1], &byte, 1);
}

// SIGTERM, SIGINT and SIGHUP close the window the ordinary way, so the
// layout is saved and the private page folder is removed. Installed before
// the window is built: a signal during start-up is acted on once it stands.
void CloseOnTerminationSignals(shell::CVoraApp& reader) {
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0) return;
    auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, qApp);
    QObject::connect(notifier, &QSocketNotifier::activated, qApp, [&reader] {
        char byte = 0;
        [[maybe_unused]] const ssize_t n = ::read(g_signalPipe[0], &byte, 1);
        g_terminationRequested = true;
        if (reader.Frame()) reader.Frame()->close();
        QApplication::quit();
    });
    struct sigaction action {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) ::sigaction(sig, &action, nullptr);
}

// Ends the process once the window has closed: the session and layout are
// saved, the page folder goes with the frame. What would follow, the web
// engine's own teardown of its processes, threads and profiles, takes
// 0.2-0.4 s and keeps nothing, so the process ends without it.
[[noreturn]] void EndNow(shell::CVoraApp& reader, int status) {
    reader.ExitInstance();
    std::fflush(nullptr);
    ::_exit(status);
}

}  // namespace

int main(int argc, char* argv[]) {
    shell::SwitchSandboxForRoot();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    shell::InstallQtTranslations(app);
    shell::CVoraApp reader(QCoreApplication::arguments());
    CloseOnTerminationSignals(reader);
    if (!reader.InitInstance()) return 2;
    if (g_terminationRequested) {
        // The signal came while the window was being built: quit() was lost
        // before the event loop ran.
        if (reader.Frame()) reader.Frame()->close();
        EndNow(reader, 0);
    }
    EndNow(reader, QApplication::exec());
}
