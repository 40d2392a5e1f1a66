// Several readers at once on one corpus. Real processes: two `orvale`
// windows and `orvale-cli` beside them all read the corpus, each window under
// a shared lock and with a private page folder of its own, removed when it is
// terminated. In one process: two windows write and show their own pages
// without touching each other's, and a link planted in a live window's page
// folder is never followed.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QProcess>
#include <QScopeGuard>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <memory>

#include "panel/leftform.h"
#include "panel/sortlistctrl.h"
#include "shell/commandids.h"
#include "shell/htmlctrl.h"
#include "shell/mainfrm.h"
#include "shell/messageboxes.h"
#include "shell/voraview.h"
#include "tests/gui/fixturecorpus.h"

using shell::CMainFrame;

namespace {

QString ReadAll(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(file.readAll());
}

// The private page folders ("orvale-XXXXXX") directly inside root.
QStringList PageFolders(const QString& root) {
    return QDir(root).entryList({QStringLiteral("orvale-*")}, QDir::Dirs | QDir::NoDotAndDotDot);
}

// Processes holding a shared flock on the file at path, from /proc/locks.
QList<qint64> SharedHolders(const QString& path) {
    struct stat info {};
    QList<qint64> pids;
    if (::stat(QFile::encodeName(path).constData(), &info) != 0) return pids;
    QFile locks(QStringLiteral("/proc/locks"));
    if (!locks.open(QIODevice::ReadOnly)) return pids;
    const QString inode = QStringLiteral(":%1").arg(static_cast<qulonglong>(info.st_ino));
    for (const QByteArray& line : locks.readAll().split('\n')) {
        // "1: FLOCK  ADVISORY  READ 1234 fe:00:5678 0 EOF"
        const QStringList fields = QString::fromLatin1(line).simplified().split(QLatin1Char(' '));
        if (fields.size() < 6 || fields[1] != QLatin1String("FLOCK") ||
            fields[3] != QLatin1String("READ") || !fields[5].endsWith(inode)) {
            continue;
        }
        pids << fields[4].toLongLong();
    }
    return pids;
}

// Tries a lock on the file at path without waiting; true when it was granted.
bool TryLock(const QString& path, int operation) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool granted = ::flock(fd, operation | LOCK_NB) == 0;
    ::close(fd);
    return granted;
}

}  // namespace

class InstancesTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void twoReadersAndTheCommandLineShareTheCorpus();
    void twoWindowsKeepTheirOwnPages();
    void plantedLinksInALiveWindowAreNotFollowed();

  private:
    std::unique_ptr<CMainFrame> MakeFrame(const QString& name);
    static void Search(CMainFrame& frame, const QString& text);
    static void SelectRow(CMainFrame& frame, int row);
    void RunCli(const QStringList& arguments, const QString& expected);

    QTemporaryDir m_root;
    QString m_corpus;
    QStringList m_messages;
    shell::CMessageBoxes m_boxes;
};

void InstancesTest::initTestCase() {
    QVERIFY(m_root.isValid());
    testing_gui::UseTestSettings(m_root.path());
    m_corpus = m_root.filePath("corpus");
    const QString error =
        testing_gui::BuildFixtureCorpus(QStringLiteral(ORVALE_BUILD_PROGRAM), m_corpus);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    m_boxes.SetPresenter(
        [this](QWidget*, const QString&, const QString& text) { m_messages << text; });
}

void InstancesTest::RunCli(const QStringList& arguments, const QString& expected) {
    QProcess cli;
    cli.start(QStringLiteral(ORVALE_CLI_PROGRAM),
              QStringList{QStringLiteral("--data"), m_corpus} + arguments);
    QVERIFY(cli.waitForFinished(30000));
    const QString out = QString::fromUtf8(cli.readAllStandardOutput());
    QVERIFY2(cli.exitStatus() == QProcess::NormalExit && cli.exitCode() == 0,
             qPrintable(QString::fromUtf8(cli.readAllStandardError())));
    QVERIFY2(out.contains(expected), qPrintable(out.left(400)));
}

void InstancesTest::twoReadersAndTheCommandLineShareTheCorpus() {
    const QString postings = m_corpus + QStringLiteral("/Index-idx.m");
    if (!QFile::exists(QStringLiteral("/proc/locks"))) QSKIP("no /proc/locks on this system");
    const QString tmp = m_root.filePath(QStringLiteral("proc-tmp"));
    QVERIFY(QDir().mkpath(tmp));
    QVERIFY(PageFolders(tmp).isEmpty());

    // Each reader: its own home (settings), working folder (kvt.txt) and the
    // shared temp folder in which it makes its private page folder.
    std::vector<std::unique_ptr<QProcess>> readers;
    // A failed check leaves no window behind.
    const auto stopAll = qScopeGuard([&readers] {
        for (auto& reader : readers) {
            if (reader->state() == QProcess::NotRunning) continue;
            reader->terminate();
            if (!reader->waitForFinished(10000)) reader->kill();
        }
    });
    for (int i = 0; i < 2; ++i) {
        const QString home = m_root.filePath(QStringLiteral("home%1").arg(i));
        QVERIFY(QDir().mkpath(home));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TMPDIR"), tmp);
        env.insert(QStringLiteral("HOME"), home);
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
        env.insert(QStringLiteral("XDG_CACHE_HOME"), home + QStringLiteral("/.cache"));
        env.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/.local/share"));
        env.insert(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"), QStringLiteral("1"));
        auto reader = std::make_unique<QProcess>();
        reader->setProcessEnvironment(env);
        reader->setWorkingDirectory(home);
        reader->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        reader->setStandardOutputFile(QProcess::nullDevice());
        reader->start(QStringLiteral(ORVALE_READER_PROGRAM),
                      {QStringLiteral("--data"), m_corpus, QStringLiteral("-Embedding")});
        QVERIFY2(reader->waitForStarted(30000), qPrintable(reader->errorString()));
        readers.push_back(std::move(reader));
    }
    const qint64 first = readers[0]->processId();
    const qint64 second = readers[1]->processId();

    // Both windows load the corpus and keep the postings under a shared lock.
    QTRY_VERIFY_WITH_TIMEOUT(
        SharedHolders(postings).contains(first) && SharedHolders(postings).contains(second), 60000);
    QVERIFY(readers[0]->state() == QProcess::Running);
    QVERIFY(readers[1]->state() == QProcess::Running);
    // The lock is real: nobody may take the file for writing meanwhile, and
    // any reader may share it.
    QVERIFY(!TryLock(postings, LOCK_EX));
    QVERIFY(TryLock(postings, LOCK_SH));

    // Each window has its own page folder, private to the user.
    QTRY_COMPARE_WITH_TIMEOUT(PageFolders(tmp).size(), 2, 30000);
    for (const QString& name : PageFolders(tmp)) {
        struct stat info {};
        QCOMPARE(::stat(QFile::encodeName(QDir(tmp).filePath(name)).constData(), &info), 0);
        QCOMPARE(info.st_mode & 0777u, 0700u);
        QCOMPARE(info.st_uid, ::getuid());
    }

    // The command-line tool works beside them.
    RunCli({QStringLiteral("search"), QStringLiteral("天")}, QStringLiteral("250"));
    RunCli({QStringLiteral("page"), QStringLiteral("0"), QStringLiteral("--keywords"),
            QStringLiteral("明月")},
           QStringLiteral("明月"));
    if (QTest::currentTestFailed()) return;

    // SIGTERM closes the first window the ordinary way: its folder goes, the
    // second window keeps its folder and its lock, and the tool still works.
    readers[0]->terminate();
    QVERIFY(readers[0]->waitForFinished(30000));
    QCOMPARE(readers[0]->exitStatus(), QProcess::NormalExit);
    QCOMPARE(readers[0]->exitCode(), 0);
    QCOMPARE(PageFolders(tmp).size(), 1);
    QVERIFY(!SharedHolders(postings).contains(first));
    QVERIFY(SharedHolders(postings).contains(second));
    QVERIFY(readers[1]->state() == QProcess::Running);
    RunCli({QStringLiteral("search"), QStringLiteral("白雲")}, QStringLiteral("詩経\t巻二\t1"));
    if (QTest::currentTestFailed()) return;

    readers[1]->terminate();
    QVERIFY(readers[1]->waitForFinished(30000));
    QCOMPARE(readers[1]->exitCode(), 0);
    QVERIFY(PageFolders(tmp).isEmpty());
    QVERIFY(TryLock(postings, LOCK_EX));
}

std::unique_ptr<CMainFrame> InstancesTest::MakeFrame(const QString& name) {
    shell::FrameConfig config;
    config.dataDir = m_corpus.toStdString();
    config.programDir = m_root.filePath(QStringLiteral("program"));
    config.tempRoot = m_root.path();
    config.listingPath = m_root.filePath(name + QStringLiteral("-kvt.txt")).toStdString();
    config.allowSplash = false;
    auto frame = std::make_unique<CMainFrame>(config, m_boxes);
    frame->resize(900, 700);
    frame->show();
    return frame;
}

void InstancesTest::Search(CMainFrame& frame, const QString& text) {
    frame.LeftForm()->SelectTab(1);
    QLineEdit* field = frame.LeftForm()->KeywordBox()->Field();
    field->clear();
    QInputMethodEvent commit;
    commit.setCommitString(text);
    QApplication::sendEvent(field, &commit);
    QCOMPARE(field->text(), text);
    frame.LeftForm()->OnSearch();
}

void InstancesTest::SelectRow(CMainFrame& frame, int row) {
    panel::CSortListCtrl* list = frame.LeftForm()->ResultList();
    QVERIFY(list->topLevelItem(row));
    list->setCurrentItem(list->topLevelItem(row));
}

void InstancesTest::twoWindowsKeepTheirOwnPages() {
    m_messages.clear();
    auto a = MakeFrame(QStringLiteral("a"));
    auto b = MakeFrame(QStringLiteral("b"));
    QVERIFY(QTest::qWaitForWindowExposed(a.get()));
    QVERIFY(QTest::qWaitForWindowExposed(b.get()));
    const panel::CPageDisplay& pagesA = a->LeftForm()->PageDisplay();
    const panel::CPageDisplay& pagesB = b->LeftForm()->PageDisplay();
    const QString folderA = QString::fromStdString(pagesA.Folder());
    const QString folderB = QString::fromStdString(pagesB.Folder());
    QVERIFY(!folderA.isEmpty());
    QVERIFY(folderA != folderB);

    Search(*a, QStringLiteral("天"));
    Search(*b, QStringLiteral("白雲"));
    QCOMPARE(a->LeftForm()->ResultList()->topLevelItemCount(), 100);
    QCOMPARE(b->LeftForm()->ResultList()->topLevelItemCount(), 1);

    // Rows chosen in turn in both windows: each writes only into its own
    // folder, alternates its own two result files, and shows its own page.
    QStringList filesA;
    QStringList filesB;
    for (int step = 0; step < 6; ++step) {
        SelectRow(*a, step);
        if (step % 2 == 0) {
            // B shows its single row again through a catalogue detour.
            QVERIFY(b->LeftForm()->SelectTreeSlot(4));
            b->LeftForm()->ResultList()->clearSelection();
            SelectRow(*b, 0);
        }
        const QString fileA = QString::fromStdString(pagesA.CurrentResultFile());
        const QString fileB = QString::fromStdString(pagesB.CurrentResultFile());
        QCOMPARE(QFileInfo(fileA).absolutePath(), folderA);
        QCOMPARE(QFileInfo(fileB).absolutePath(), folderB);
        if (!filesA.isEmpty()) QVERIFY(fileA != filesA.last());
        if (step % 2 == 0 && !filesB.isEmpty()) QVERIFY(fileB != filesB.last());
        filesA << fileA;
        if (step % 2 == 0) filesB << fileB;
        QVERIFY(ReadAll(fileA).contains(QStringLiteral("命之謂性")));
        QVERIFY(ReadAll(fileB).contains(QStringLiteral("去不返")));
        QCOMPARE(pagesB.HitCount(), 3);
        QCOMPARE(pagesA.HitCount(), 1);
        QTRY_COMPARE(a->GetRightPane()->url().toLocalFile(), fileA);
        QTRY_COMPARE(b->GetRightPane()->url().toLocalFile(), fileB);
    }
    // Hit steps in B leave A where it is.
    const QUrl shownA = a->GetRightPane()->url();
    b->OnCommand(shell::kIdNextHit);
    QTRY_COMPARE(b->GetRightPane()->url().fragment(), QStringLiteral("0001"));
    QCOMPARE(a->GetRightPane()->url(), shownA);
    QCOMPARE(pagesA.CurrentHit(), 0);
    QVERIFY(m_messages.isEmpty());

    // Closing A removes A's folder only; B goes on working.
    a->close();
    a.reset();
    QVERIFY(!QFileInfo::exists(folderA));
    QVERIFY(QFileInfo::exists(folderB));
    QVERIFY(QFileInfo::exists(filesB.last()));
    b->LeftForm()->ResultList()->clearSelection();
    SelectRow(*b, 0);
    QTRY_COMPARE(b->GetRightPane()->url().fragment(), QStringLiteral("0000"));
    QVERIFY(ReadAll(QString::fromStdString(pagesB.CurrentResultFile()))
                .contains(QStringLiteral("去不返")));
    QVERIFY(m_messages.isEmpty());
    b->close();
    b.reset();
    QVERIFY(!QFileInfo::exists(folderB));
}

void InstancesTest::plantedLinksInALiveWindowAreNotFollowed() {
    m_messages.clear();
    auto frame = MakeFrame(QStringLiteral("c"));
    QVERIFY(QTest::qWaitForWindowExposed(frame.get()));
    panel::CPageDisplay& pages = frame->LeftForm()->PageDisplay();
    const QString victim = m_root.filePath(QStringLiteral("victim.txt"));
    QFile keep(victim);
    QVERIFY(keep.open(QIODevice::WriteOnly));
    keep.write("keep");
    keep.close();

    Search(*frame, QStringLiteral("天"));
    SelectRow(*frame, 0);
    const QString shown = QString::fromStdString(pages.CurrentResultFile());
    QTRY_COMPARE(frame->GetRightPane()->url().toLocalFile(), shown);
    const QUrl shownUrl = frame->GetRightPane()->url();

    // Links in place of the next result file and of the catalogue file.
    const QString nextResult = QString::fromStdString(
        pages.ResultPageFile(shown == QString::fromStdString(pages.ResultPageFile(1)) ? 2 : 1));
    const QString catalogue = QString::fromStdString(pages.CatalogPageFile());
    for (const QString& path : {nextResult, catalogue}) {
        QFile::remove(path);
        QVERIFY(QFile::link(victim, path));
    }
    SelectRow(*frame, 1);
    QVERIFY(frame->LeftForm()->SelectTreeSlot(3));
    QTest::qWait(200);
    QCOMPARE(ReadAll(victim), QStringLiteral("keep"));
    QVERIFY(QFileInfo(nextResult).isSymLink());
    QVERIFY(QFileInfo(catalogue).isSymLink());
    // Nothing is shown in their place and nothing is said; the view keeps
    // the page it had.
    QCOMPARE(frame->GetRightPane()->url(), shownUrl);
    QCOMPARE(QString::fromStdString(pages.CurrentResultFile()), shown);
    QVERIFY(m_messages.isEmpty());

    // The links gone, the window shows pages again.
    QVERIFY(QFile::remove(nextResult));
    QVERIFY(QFile::remove(catalogue));
    SelectRow(*frame, 2);
    QCOMPARE(QString::fromStdString(pages.CurrentResultFile()), nextResult);
    QTRY_COMPARE(frame->GetRightPane()->url().toLocalFile(), nextResult);
    QVERIFY(frame->LeftForm()->SelectTreeSlot(4));
    QTRY_COMPARE(frame->GetRightPane()->url().toLocalFile(), catalogue);
    QVERIFY(ReadAll(catalogue).contains(QStringLiteral("白雲")));
    QCOMPARE(ReadAll(victim), QStringLiteral("keep"));
    QVERIFY(m_messages.isEmpty());
}

int main(int argc, char** argv) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    InstancesTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "instances_test.moc"
