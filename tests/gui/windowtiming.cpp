// orvale_window_timing --data DIR: how long the reader window takes to open
// (frame built, shown and its blank page loaded; no splash) and how long a
// search for the most frequent of a few common characters takes from the
// Enter key to the filled result list (and to the list painted), in the first catalogue entry and
// in the catalogue entry with the most pages; before them, the window's first search of the query
// mix's slowest query (不*人). Then how long quitting takes: the window's close in this process,
// and the reader program (orvale beside this program, or --reader PROGRAM) ended by SIGTERM while
// it shows a result page, from the signal to the end of the process, with its page folder checked
// to be gone. Not a test: it prints numbers.
#include <signal.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "panel/leftform.h"
#include "panel/sortlistctrl.h"
#include "shell/commandids.h"
#include "shell/htmlctrl.h"
#include "shell/mainfrm.h"
#include "shell/messageboxes.h"
#include "shell/sandboxswitch.h"
#include "shell/voraapp.h"
#include "shell/voraview.h"

namespace {

void Type(panel::CLeftForm* form, const QString& keyword) {
    QLineEdit* field = form->KeywordBox()->Field();
    field->clear();
    QInputMethodEvent commit;
    commit.setCommitString(keyword);
    QApplication::sendEvent(field, &commit);
}

void ClickSearch(panel::CLeftForm* form, const QString& keyword) {
    Type(form, keyword);
    QTest::mouseClick(form->Control(panel::kIdcSearch), Qt::LeftButton);
}

// Milliseconds from Enter to the rows listed, and to the list painted.
struct SearchTimes {
    double listed = 0;
    double painted = 0;
};

// Enter searches only while the list holds at most one result page, so the
// list is first emptied by a search without hits. The list then paints its
// visible rows at once; under Xvfb that includes composing the whole window
// in software, which a desktop with a graphics card does far faster.
SearchTimes TimedSearch(panel::CLeftForm* form, const QString& keyword) {
    ClickSearch(form, QStringLiteral("\u9f98\u9f98\u9f98"));
    Type(form, keyword);
    QElapsedTimer timer;
    timer.start();
    QTest::keyClick(form->KeywordBox()->Field(), Qt::Key_Return);
    SearchTimes times;
    times.listed = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    form->ResultList()->viewport()->repaint();
    times.painted = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    return times;
}

// The private page folder the reader made in root, or an empty string.
QString PageFolder(const QString& root) {
    const QStringList found =
        QDir(root).entryList({QStringLiteral("orvale-*")}, QDir::Dirs | QDir::NoDotAndDotDot);
    return found.isEmpty() ? QString() : QDir(root).filePath(found.first());
}

// Starts the reader on dataDir with the session remembered under configDir
// (it opens a result page), waits until that page is written and shown, ends
// it with SIGTERM. Milliseconds from the signal to the process's end; -1
// when it did not start or end, or left its page folder behind.
double TimedTermination(const QString& reader, const QString& dataDir, const QString& configDir) {
    QTemporaryDir temp;
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TMPDIR"), temp.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), configDir);
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(reader, {QStringLiteral("--data"), dataDir, QStringLiteral("-Embedding")});
    if (!process.waitForStarted(10000)) return -1;
    QString folder;
    const bool shown = QTest::qWaitFor(
        [&] {
            folder = PageFolder(temp.path());
            return !folder.isEmpty() && QDir(folder).exists(QStringLiteral("windows1.html"));
        },
        30000);
    QTest::qWait(1500);  // the page is rendered
    if (!shown || process.state() != QProcess::Running) return -1;
    QElapsedTimer timer;
    timer.start();
    ::kill(static_cast<pid_t>(process.processId()), SIGTERM);
    if (!process.waitForFinished(20000)) {
        process.kill();
        return -1;
    }
    const double ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    return QDir(folder).exists() ? -1 : ms;
}

}  // namespace

int main(int argc, char** argv) {
    shell::SwitchSandboxForRoot();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QString dataDir;
    QString reader =
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("orvale"));
    const QStringList args = QCoreApplication::arguments();
    for (qsizetype i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == QLatin1String("--data")) dataDir = args[i + 1];
        if (args[i] == QLatin1String("--reader")) reader = args[i + 1];
    }
    if (dataDir.isEmpty()) {
        std::fprintf(stderr, "usage: orvale_window_timing --data DIR [--reader PROGRAM]\n");
        return 2;
    }
    QTemporaryDir scratch;
    // The session this run leaves (a result page) is what the reader program
    // below starts with; the user's own settings are not touched.
    const QString configDir = scratch.filePath(QStringLiteral("config"));
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, configDir);
    shell::CVoraApp::SetApplicationNames();
    shell::CMessageBoxes boxes([](QWidget*, const QString&, const QString& text) {
        std::fprintf(stderr, "message: %s\n", text.toUtf8().constData());
    });
    shell::FrameConfig config;
    config.dataDir = dataDir.toStdString();
    config.programDir = scratch.path();
    config.tempRoot = scratch.path();
    config.listingPath = scratch.filePath("kvt.txt").toStdString();
    config.allowSplash = false;

    QElapsedTimer open;
    open.start();
    auto frame = std::make_unique<shell::CMainFrame>(config, boxes);
    frame->resize(1400, 900);
    frame->show();
    if (!QTest::qWaitForWindowExposed(frame.get()) ||
        !QTest::qWaitFor([&] { return frame->GetRightPane()->url().toString() == "about:blank"; },
                         20000)) {
        std::fprintf(stderr, "the window did not open\n");
        return 1;
    }
    std::printf("window open: %.0f ms\n", static_cast<double>(open.nsecsElapsed()) / 1e6);

    panel::CLeftForm* form = frame->LeftForm();
    form->SelectTab(1);
    // The first search in this window of the query mix's slowest one: its
    // characters' tables are not built yet.
    const QString slowest = QStringLiteral("\u4e0d*\u4eba");  // 不*人
    const SearchTimes first = TimedSearch(form, slowest);
    std::printf("first search %s (%zu rows, %d listed): %.1f ms, painted %.1f ms\n",
                slowest.toUtf8().constData(), form->Rows().size(),
                form->ResultList()->topLevelItemCount(), first.listed, first.painted);
    QString best;
    std::size_t bestPlaces = 0;
    for (const QChar c : QStringLiteral("之不人一而以其也為無有子")) {
        ClickSearch(form, QString(c));
        std::size_t places = 0;
        for (const auto& row : form->Rows()) places += static_cast<std::size_t>(row.hits);
        if (places > bestPlaces) {
            bestPlaces = places;
            best = QString(c);
        }
    }
    // The catalogue entry with the most pages.
    int widest = 1;
    const panel::Catalogue& catalogue = form->GetCatalogue();
    for (int slot = 1; slot < catalogue.RecordCount(); ++slot) {
        if (catalogue.NodeItem(slot).DocNo() > catalogue.NodeItem(widest).DocNo()) widest = slot;
    }
    for (int scope : {1, widest}) {
        form->Position().scopeEntry = static_cast<std::uint16_t>(scope);
        SearchTimes fastest{1e9, 1e9};
        for (int run = 0; run < 5; ++run) {
            const SearchTimes times = TimedSearch(form, best);
            fastest.listed = std::min(fastest.listed, times.listed);
            fastest.painted = std::min(fastest.painted, times.painted);
        }
        std::printf("search %s in %s (%zu rows, %d listed): best of 5 %.1f ms, painted %.1f ms\n",
                    best.toUtf8().constData(), catalogue.TreePath(scope).c_str(),
                    form->Rows().size(), form->ResultList()->topLevelItemCount(), fastest.listed,
                    fastest.painted);
    }
    // A result page shown, at its second hit when there is one.
    form->ResultList()->setCurrentItem(form->ResultList()->topLevelItem(0));
    frame->OnCommand(shell::kIdNextHit);
    QElapsedTimer closing;
    closing.start();
    frame->close();
    const double closeMs = static_cast<double>(closing.nsecsElapsed()) / 1e6;
    frame.reset();
    std::printf("close in this process: close %.1f ms, close and teardown %.1f ms\n", closeMs,
                static_cast<double>(closing.nsecsElapsed()) / 1e6);

    std::vector<double> quits;
    for (int run = 0; run < 5; ++run) {
        const double ms = TimedTermination(reader, dataDir, configDir);
        if (ms < 0) {
            std::fprintf(stderr, "the reader %s did not start, end or clean up\n",
                         reader.toUtf8().constData());
            return 1;
        }
        quits.push_back(ms);
    }
    std::sort(quits.begin(), quits.end());
    std::printf("quit by SIGTERM with a result page shown (%s): median %.0f ms, max %.0f ms\n",
                reader.toUtf8().constData(), quits[quits.size() / 2], quits.back());
    return 0;
}
