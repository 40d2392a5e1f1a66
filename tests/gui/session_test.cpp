// The reader window across restarts and beside its own windows, with the real
// web engine on the fixture corpus of fixturecorpus.h: the remembered session
// (a second main frame reading the same settings file), stale settings
// falling back to a first start, the dialogs modal to the main window and in
// Japanese, the help window, and the reader program run as root.
#include <signal.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QRadioButton>
#include <QScreen>
#include <QSettings>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QWebEngineHistory>
#include <QWebEngineView>
#include <QWindow>
#include <functional>
#include <memory>
#include <vector>

#include "panel/catalogue.h"
#include "panel/leftform.h"
#include "panel/scrolltoolbar.h"
#include "panel/sessionstate.h"
#include "panel/sortlistctrl.h"
#include "shell/commandids.h"
#include "shell/helpwindow.h"
#include "shell/htmlctrl.h"
#include "shell/mainfrm.h"
#include "shell/messageboxes.h"
#include "shell/qttranslations.h"
#include "shell/st_splitterwnd.h"
#include "shell/voraview.h"
#include "tests/gui/fixturecorpus.h"

using shell::CMainFrame;

namespace {

// What a modal dialog looked like when it came up.
struct SeenDialog {
    bool seen = false;
    QWidget* parent = nullptr;
    bool modal = false;
    bool transientForFrame = false;
    QString title;
};

// Runs open (which blocks in a modal dialog), inspects the first modal
// dialog that appears and closes it.
SeenDialog WatchModalDialog(QWidget* frame, const std::function<void()>& open) {
    SeenDialog seen;
    QTimer poll;
    poll.setInterval(50);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible() || seen.seen) return;
        seen.seen = true;
        seen.parent = dialog->parentWidget();
        seen.modal = dialog->windowModality() != Qt::NonModal;
        seen.transientForFrame = dialog->windowHandle() &&
                                 dialog->windowHandle()->transientParent() == frame->windowHandle();
        seen.title = dialog->windowTitle();
        dialog->reject();
    });
    poll.start();
    open();
    poll.stop();
    return seen;
}

}  // namespace

class SessionTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void cleanup();

    void firstStartFillsMostOfTheScreen();
    void restartRemembersResultPageAndOptions();
    void restartInTheWholeCorpusRemembersTheResultPage();
    void restartRemembersCataloguePageAndMaximisedWindow();
    void staleSettingsStartAsFirstStart_data();
    void staleSettingsStartAsFirstStart();
    void narrowWindowKeepsThePagePaneReadable();
    void resultColumnsFitTheirTexts();
    void dialogsAreModalToTheMainWindow_data();
    void dialogsAreModalToTheMainWindow();
    void helpWindowShowsPagesWithBackAndForward();
    void missingHelpIsReported();
    void readerRunsAsRootAndQuitsOnSigterm();

  private:
    // A main frame as the program makes one: the session restored, shown.
    void StartFrame();
    void Search(const QString& text);
    panel::CLeftForm* Form() const { return m_frame->LeftForm(); }
    // The tree shows 全体, the whole corpus, chosen: the scope of a first start.
    bool WholeCorpusSelected() const {
        const QList<QTreeWidgetItem*> selected = Form()->Tree()->selectedItems();
        return selected.size() == 1 && selected.first() == Form()->Tree()->topLevelItem(0) &&
               Form()->Position().scopeEntry == panel::kWholeCorpusSlot;
    }
    shell::CVoraView* View() const { return m_frame->GetRightPane(); }
    bool WaitForUrlEnding(const QString& suffix);
    void ClearSettings();

    QTemporaryDir m_root;
    QString m_corpus;
    QString m_programDir;
    std::vector<QString> m_messages;
    shell::CMessageBoxes m_boxes;
    std::unique_ptr<CMainFrame> m_frame;
};

void SessionTest::initTestCase() {
    QVERIFY(m_root.isValid());
    testing_gui::UseTestSettings(m_root.path());
    m_corpus = m_root.filePath("corpus");
    const QString error =
        testing_gui::BuildFixtureCorpus(QStringLiteral(ORVALE_BUILD_PROGRAM), m_corpus);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    m_programDir = m_root.filePath("program");
    QVERIFY(QDir().mkpath(m_programDir));
    m_boxes.SetPresenter(
        [this](QWidget*, const QString&, const QString& text) { m_messages.push_back(text); });
}

void SessionTest::cleanup() {
    m_frame.reset();
    m_messages.clear();
    ClearSettings();
}

void SessionTest::ClearSettings() {
    QSettings settings(shell::kOrganisationName, shell::kApplicationName);
    settings.clear();
    settings.sync();
}

void SessionTest::StartFrame() {
    m_frame.reset();
    shell::FrameConfig config;
    config.dataDir = m_corpus.toStdString();
    config.programDir = m_programDir;
    config.tempRoot = m_root.path();
    config.listingPath = m_root.filePath("kvt.txt").toStdString();
    config.allowSplash = false;
    m_frame = std::make_unique<CMainFrame>(config, m_boxes);
    m_frame->RestoreSession();
    m_frame->activateWindow();
    QVERIFY(QTest::qWaitForWindowExposed(m_frame.get()));
}

void SessionTest::Search(const QString& text) {
    testing_gui::TypeKeyword(Form(), text);
    QTest::mouseClick(Form()->Control(panel::kIdcSearch), Qt::LeftButton);
}

bool SessionTest::WaitForUrlEnding(const QString& suffix) {
    return QTest::qWaitFor([&] { return View()->url().toString().endsWith(suffix); }, 10000);
}

void SessionTest::firstStartFillsMostOfTheScreen() {
    StartFrame();
    const QRect available = m_frame->screen()->availableGeometry();
    const QRect window = m_frame->geometry();
    QVERIFY2(window.width() >= available.width() * 3 / 4 && window.width() < available.width(),
             qPrintable(QString::number(window.width())));
    QVERIFY(window.height() >= available.height() * 3 / 4 && window.height() < available.height());
    QVERIFY(!m_frame->isMaximized());
    QCOMPARE(m_frame->Splitter()->sizes().value(0), shell::ST_SplitterWnd::kFirstPaneSize);
    QVERIFY(WholeCorpusSelected());
    QTRY_COMPARE(View()->GetLocationURL(), QStringLiteral("about:blank"));
}

void SessionTest::restartRemembersResultPageAndOptions() {
    StartFrame();
    m_frame->setGeometry(120, 90, 1100, 760);
    // Scope 詩経, or, 正文 (the index reloads), variants off, 明月, the
    // first row, the second hit.
    QVERIFY(Form()->SelectTreeSlot(2));
    qobject_cast<QRadioButton*>(Form()->Control(panel::kIdcOr))->setChecked(true);
    qobject_cast<QRadioButton*>(Form()->Control(panel::kIdcMain))->click();
    qobject_cast<QCheckBox*>(Form()->Control(panel::kIdcVariants))->setChecked(false);
    Search(QStringLiteral("明月"));
    QVERIFY(!Form()->Rows().empty());
    Form()->ResultList()->setCurrentItem(Form()->ResultList()->topLevelItem(0));
    QVERIFY(WaitForUrlEnding(QStringLiteral("#0000")));
    QVERIFY(Form()->PageDisplay().HitCount() >= 2);
    m_frame->OnCommand(shell::kIdNextHit);
    QVERIFY(WaitForUrlEnding(QStringLiteral("#0001")));
    m_frame->Splitter()->setSizes({330, 700});
    emit m_frame->Splitter()->splitterMoved(330, 1);
    m_frame->close();

    StartFrame();
    QCOMPARE(m_frame->geometry(), QRect(120, 90, 1100, 760));
    QCOMPARE(m_frame->Splitter()->WantedFirstPaneSize(), 330);
    QTRY_COMPARE(m_frame->Splitter()->sizes().value(0), 330);
    QCOMPARE(Form()->findChild<QTabWidget*>(QStringLiteral("ctl1010"))->currentIndex(), 1);
    QCOMPARE(Form()->Position().scopeEntry, 2);
    QCOMPARE(qobject_cast<QLabel*>(Form()->Control(panel::kIdcScopeLabel))->text(),
             QStringLiteral("経部\\詩経"));
    QVERIFY(qobject_cast<QRadioButton*>(Form()->Control(panel::kIdcOr))->isChecked());
    QVERIFY(qobject_cast<QRadioButton*>(Form()->Control(panel::kIdcMain))->isChecked());
    QCOMPARE(Form()->TextLayer(), 1);
    QVERIFY(!qobject_cast<QCheckBox*>(Form()->Control(panel::kIdcVariants))->isChecked());
    QCOMPARE(Form()->KeywordBox()->Field()->text(), QStringLiteral("明月"));
    // The page again, marked, at the hit it was left at; the hit commands work.
    QVERIFY(WaitForUrlEnding(QStringLiteral("#0001")));
    QCOMPARE(Form()->PageDisplay().CurrentHit(), 1);
    QVERIFY(m_frame->Action(shell::kIdPrevHit)->isEnabled());
    QVERIFY(m_messages.empty());
}

// A reader who never picks another scope than 全体 finds the page again.
void SessionTest::restartInTheWholeCorpusRemembersTheResultPage() {
    StartFrame();
    QVERIFY(WholeCorpusSelected());
    Search(QStringLiteral("明月"));
    QVERIFY(!Form()->Rows().empty());
    Form()->ResultList()->setCurrentItem(Form()->ResultList()->topLevelItem(0));
    QVERIFY(WaitForUrlEnding(QStringLiteral("#0000")));
    m_frame->OnCommand(shell::kIdNextHit);
    QVERIFY(WaitForUrlEnding(QStringLiteral("#0001")));
    m_frame->close();

    StartFrame();
    QVERIFY(WholeCorpusSelected());
    QCOMPARE(Form()->KeywordBox()->Field()->text(), QStringLiteral("明月"));
    QVERIFY(WaitForUrlEnding(QStringLiteral("#0001")));
    QCOMPARE(Form()->PageDisplay().CurrentHit(), 1);
    QVERIFY(m_messages.empty());
}

void SessionTest::restartRemembersCataloguePageAndMaximisedWindow() {
    StartFrame();
    QVERIFY(Form()->SelectTreeSlot(6));  // 書経 巻一, pages 5..254
    m_frame->OnCommand(shell::kIdNextPage);
    m_frame->OnCommand(shell::kIdNextPage);
    QCOMPARE(Form()->Position().currentPage, 7);
    m_frame->OnCommand(shell::kIdShowAll);  // the left pane hidden
    m_frame->showMaximized();
    QTRY_VERIFY(m_frame->isMaximized());
    m_frame->close();

    StartFrame();
    QTRY_VERIFY(m_frame->isMaximized());
    QCOMPARE(m_frame->Splitter()->HiddenColumn(), 0);
    QVERIFY(!Form()->isVisible());
    QCOMPARE(Form()->Position().currentVolume, 6);
    QCOMPARE(Form()->Position().currentPage, 7);
    QVERIFY(WaitForUrlEnding(QStringLiteral("windows.html")));
    QVERIFY(m_frame->Action(shell::kIdPrevPage)->isEnabled());
    QCOMPARE(m_frame->PageToolBar()->findChild<QLineEdit*>()->text().contains(QLatin1String("7")),
             true);
    m_frame->OnCommand(shell::kIdShowAll);
    QVERIFY(Form()->isVisible());
}

void SessionTest::staleSettingsStartAsFirstStart_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("pageKept");
    QTest::newRow("as saved") << QString() << QString() << true;
    QTest::newRow("another corpus") << "Session/Corpus"
                                    << "12 300" << false;
    QTest::newRow("scope slot gone") << "Session/ScopeSlot"
                                     << "42" << false;
    QTest::newRow("scope renamed") << "Session/ScopePath"
                                   << "経部\\易経" << false;
    QTest::newRow("page gone") << "Session/Page"
                               << "4" << false;
    QTest::newRow("volume not a number") << "Session/VolumeSlot"
                                         << "six" << false;
    QTest::newRow("window off screen") << "Session/WindowRect"
                                       << "9000 9000 800 600" << true;
    QTest::newRow("tab out of range") << "Session/Tab"
                                      << "7" << true;
    QTest::newRow("layer out of range") << "Session/TextLayer"
                                        << "-3" << true;
    QTest::newRow("splitter damaged") << "SplitterWnd/Panes_0"
                                      << "-1 x -1 100" << true;
}

// A session that names a page of volume 6 and the scope 書経; one stored
// value damaged at a time.
void SessionTest::staleSettingsStartAsFirstStart() {
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(bool, pageKept);
    StartFrame();
    QVERIFY(Form()->SelectTreeSlot(6));
    m_frame->OnCommand(shell::kIdNextPage);
    QVERIFY(Form()->SelectTreeSlot(5));
    m_frame->close();
    m_frame.reset();
    if (!key.isEmpty()) {
        QSettings settings(shell::kOrganisationName, shell::kApplicationName);
        settings.setValue(key, value);
        settings.sync();
    }

    StartFrame();
    QVERIFY(m_messages.empty());
    const QRect available = m_frame->screen()->availableGeometry();
    QVERIFY(available.intersects(m_frame->geometry()));
    const int tab = Form()->findChild<QTabWidget*>(QStringLiteral("ctl1010"))->currentIndex();
    QVERIFY(tab == 0 || tab == 1);
    QVERIFY(Form()->TextLayer() >= 0 && Form()->TextLayer() <= 2);
    QVERIFY(m_frame->Splitter()->sizes().value(0) >= shell::ST_SplitterWnd::kFirstPaneMinimum);
    if (pageKept) {
        QCOMPARE(Form()->Position().scopeEntry, 5);
        QCOMPARE(Form()->Position().currentPage, 6);
        QVERIFY(WaitForUrlEnding(QStringLiteral("windows.html")));
    } else {
        // As on a first start: the whole corpus chosen, the blank page.
        QVERIFY(WholeCorpusSelected());
        QCOMPARE(Form()->Position().currentVolume, 0);
        QTest::qWait(300);
        QCOMPARE(View()->GetLocationURL(), QStringLiteral("about:blank"));
    }
}

void SessionTest::narrowWindowKeepsThePagePaneReadable() {
    StartFrame();
    m_frame->resize(800, 560);
    QTRY_COMPARE(m_frame->width(), 800);
    QTRY_COMPARE(m_frame->Splitter()->sizes().value(0), shell::ST_SplitterWnd::kFirstPaneSize);
    QVERIFY(View()->width() >= shell::ST_SplitterWnd::kSecondPaneMinimum);
    // Narrower still: the left pane gives way first.
    m_frame->resize(640, 560);
    QTRY_VERIFY(m_frame->Splitter()->sizes().value(0) < shell::ST_SplitterWnd::kFirstPaneSize);
    QVERIFY(View()->width() >= shell::ST_SplitterWnd::kSecondPaneMinimum);
    // Wide again: the left pane gets back the width it had.
    m_frame->resize(1200, 700);
    QTRY_COMPARE(m_frame->Splitter()->sizes().value(0), shell::ST_SplitterWnd::kFirstPaneSize);
}

void SessionTest::resultColumnsFitTheirTexts() {
    panel::CSortListCtrl list;
    list.resize(250, 300);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    const QString longTitle = QStringLiteral("李太白文集外篇補遺拾遺續集");
    list.AddRow(QStringLiteral("詩"), longTitle, QStringLiteral("卷一百二十三"), 12, 0);
    list.AddRow(QStringLiteral("詩"), QStringLiteral("杜詩"), QStringLiteral("卷一"), 3, 1);
    list.FitColumns();
    const QFontMetrics metrics(list.font());
    // 類別, 巻 and 頁 whole; 書名 cut, with its whole name as a tooltip.
    for (int column : {0, 2, 3}) {
        for (int row = 0; row < 2; ++row) {
            QVERIFY(list.columnWidth(column) >
                    metrics.horizontalAdvance(list.topLevelItem(row)->text(column)));
            QVERIFY(list.topLevelItem(row)->toolTip(column).isEmpty());
        }
    }
    QCOMPARE(list.topLevelItem(0)->toolTip(1), longTitle);
    QVERIFY(list.topLevelItem(1)->toolTip(1).isEmpty());
    // Wide enough: nothing is cut and no tooltip is left.
    list.resize(900, 300);
    QTRY_VERIFY(list.topLevelItem(0)->toolTip(1).isEmpty());
    QVERIFY(list.columnWidth(1) > metrics.horizontalAdvance(longTitle));
}

void SessionTest::dialogsAreModalToTheMainWindow_data() {
    QTest::addColumn<int>("which");
    QTest::addColumn<QString>("title");
    QTest::newRow("print preview, left pane active") << 0 << "印刷のプレビュー";
    QTest::newRow("page setup, page view active") << 1 << "ページ設定";
    QTest::newRow("message box") << 2 << QString(shell::kApplicationName);
}

void SessionTest::dialogsAreModalToTheMainWindow() {
    QFETCH(int, which);
    QFETCH(QString, title);
    StartFrame();
    QVERIFY(Form()->SelectTreeSlot(3));
    QVERIFY(WaitForUrlEnding(QStringLiteral("windows.html")));
    QTRY_VERIFY(m_frame->Action(shell::kIdPrintSettings)->isEnabled());
    shell::CMessageBoxes boxes;  // the real, modal message box
    boxes.SetParent(m_frame.get());
    const SeenDialog seen = WatchModalDialog(m_frame.get(), [&] {
        if (which == 2) {
            boxes.Show(QStringLiteral("テスト"));
            return;
        }
        m_frame->SetViewActive(which == 1);
        m_frame->OnCommand(shell::kIdPrintSettings);
    });
    QVERIFY(seen.seen);
    QCOMPARE(seen.parent, m_frame.get());
    QVERIFY(seen.modal);
    QVERIFY(seen.transientForFrame);
    QCOMPARE(seen.title, title);
}

void SessionTest::helpWindowShowsPagesWithBackAndForward() {
    const QString helpDir = QDir(m_programDir).filePath(QStringLiteral("help"));
    QVERIFY(QDir().mkpath(helpDir));
    QFile index(QDir(helpDir).filePath(QStringLiteral("index.html")));
    QVERIFY(index.open(QIODevice::WriteOnly));
    index.write(
        "<html><head><meta charset=\"utf-8\"><title>目次</title></head>"
        "<body><a href=\"second.html\">次</a></body></html>");
    index.close();
    QFile second(QDir(helpDir).filePath(QStringLiteral("second.html")));
    QVERIFY(second.open(QIODevice::WriteOnly));
    second.write(
        "<html><head><meta charset=\"utf-8\"><title>二</title></head><body>二</body></html>");
    second.close();

    StartFrame();
    m_frame->OnCommand(shell::kIdHelp);
    shell::CHelpWindow* help = m_frame->HelpWindow();
    QVERIFY(help);
    QVERIFY(QTest::qWaitForWindowExposed(help));
    QWebEngineView* view = help->View();
    QTRY_COMPARE(view->title(), QStringLiteral("目次"));
    QVERIFY(!help->BackAction()->isEnabled());
    view->setUrl(QUrl::fromLocalFile(second.fileName()));
    QTRY_COMPARE(view->title(), QStringLiteral("二"));
    QTRY_VERIFY(help->BackAction()->isEnabled());
    help->BackAction()->trigger();
    QTRY_COMPARE(view->title(), QStringLiteral("目次"));
    QTRY_VERIFY(help->ForwardAction()->isEnabled());
    help->ForwardAction()->trigger();
    QTRY_COMPARE(view->title(), QStringLiteral("二"));
    // Help again brings the same window back with the first page.
    m_frame->OnCommand(shell::kIdHelp);
    QCOMPARE(m_frame->HelpWindow(), help);
    QTRY_COMPARE(view->title(), QStringLiteral("目次"));
    // It closes with the main window.
    m_frame->close();
    QTRY_VERIFY(!help->isVisible());
    QVERIFY(m_messages.empty());
    QDir(helpDir).removeRecursively();
}

void SessionTest::missingHelpIsReported() {
    StartFrame();
    m_frame->OnCommand(shell::kIdHelp);
    QCOMPARE(m_messages.size(), 1u);
    QVERIFY(m_messages.front().startsWith(QStringLiteral("ヘルプが見つかりません")));
    QVERIFY(m_messages.front().contains(QStringLiteral("index.html")));
    QVERIFY(!m_frame->HelpWindow());
}

// The program itself, without the sandbox switch in its environment.
void SessionTest::readerRunsAsRootAndQuitsOnSigterm() {
    if (::geteuid() != 0) QSKIP("needs the root user");
    QTemporaryDir temp;
    QProcess reader;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"));
    env.remove(QStringLiteral("QTWEBENGINE_CHROMIUM_FLAGS"));
    env.insert(QStringLiteral("TMPDIR"), temp.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), temp.filePath(QStringLiteral("config")));
    reader.setProcessEnvironment(env);
    reader.start(QStringLiteral(ORVALE_READER_PROGRAM),
                 {QStringLiteral("--data"), m_corpus, QStringLiteral("-Embedding")});
    QVERIFY(reader.waitForStarted());
    QString folder;
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
            const QStringList found =
                QDir(temp.path()).entryList({QStringLiteral("orvale-*")}, QDir::Dirs);
            if (!found.isEmpty()) folder = QDir(temp.path()).filePath(found.first());
            return !folder.isEmpty();
        }(),
        20000);
    // The page view has started (about:blank) and the reader runs on.
    QTest::qWait(3000);
    QCOMPARE(reader.state(), QProcess::Running);
    ::kill(static_cast<pid_t>(reader.processId()), SIGTERM);
    QVERIFY(reader.waitForFinished(10000));
    QCOMPARE(reader.exitStatus(), QProcess::NormalExit);
    QCOMPARE(reader.exitCode(), 0);
    QVERIFY(!QFileInfo::exists(folder));
    const QStringList lines = QString::fromUtf8(reader.readAllStandardError()).split('\n');
    QCOMPARE(lines.count(
                 QStringLiteral("orvale: running as root: the page view runs without its sandbox")),
             1);
}

int main(int argc, char** argv) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    shell::InstallQtTranslations(app);
    SessionTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "session_test.moc"
