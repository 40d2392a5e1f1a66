// The reader window on missing and damaged corpora: what it reports, how
// often, and that it stays usable. Messages are recorded through the
// message-box seam instead of blocking on modal boxes.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <QtEndian>
#include <memory>
#include <vector>

#include "panel/leftform.h"
#include "panel/pagedisplay.h"
#include "panel/resultrows.h"
#include "panel/sortlistctrl.h"
#include "shell/htmlctrl.h"
#include "shell/mainfrm.h"
#include "shell/messageboxes.h"
#include "shell/voraview.h"
#include "tests/gui/fixturecorpus.h"

using shell::CMainFrame;

namespace {

struct Message {
    QString caption;
    QString text;
};

// Copies every file of corpus into folder, without the manifest: a corpus
// of another writer, which the reader opens without the identity check.
bool CopyWithoutManifest(const QString& corpus, const QString& folder) {
    for (const QString& name : QDir(corpus).entryList(QDir::Files)) {
        if (name == QStringLiteral("corpus.id")) continue;
        if (!QFile::copy(corpus + "/" + name, folder + "/" + name)) return false;
    }
    return true;
}

}  // namespace

class DamagedCorpusWindowTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void init();
    void cleanup();

    void missingCorpusIsReported();
    void damagedPostingsAreReportedOncePerSearch();
    void unreadablePagesAreReportedOncePerSearch();

  private:
    void MakeFrame(const QString& dataDir);
    void Search(const QString& text);
    QString Summary() const;
    shell::CVoraView* View() const { return m_frame->GetRightPane(); }
    panel::CLeftForm* Form() const { return m_frame->LeftForm(); }

    QTemporaryDir m_root;
    QString m_corpus;
    QString m_programDir;
    std::vector<Message> m_messages;
    shell::CMessageBoxes m_boxes;
    std::unique_ptr<CMainFrame> m_frame;
};

void DamagedCorpusWindowTest::initTestCase() {
    QVERIFY(m_root.isValid());
    testing_gui::UseTestSettings(m_root.path());
    m_corpus = m_root.filePath("corpus");
    const QString error =
        testing_gui::BuildFixtureCorpus(QStringLiteral(ORVALE_BUILD_PROGRAM), m_corpus);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    m_programDir = m_root.filePath("program");
    QVERIFY(QDir().mkpath(m_programDir));
    m_boxes.SetPresenter([this](QWidget*, const QString& caption, const QString& text) {
        m_messages.push_back({caption, text});
    });
}

void DamagedCorpusWindowTest::init() { m_messages.clear(); }

void DamagedCorpusWindowTest::cleanup() { m_frame.reset(); }

void DamagedCorpusWindowTest::MakeFrame(const QString& dataDir) {
    m_frame.reset();
    shell::FrameConfig config;
    config.dataDir = dataDir.toStdString();
    config.programDir = m_programDir;
    config.tempRoot = m_root.path();
    config.listingPath = m_root.filePath("kvt.txt").toStdString();
    config.allowSplash = false;
    m_frame = std::make_unique<CMainFrame>(config, m_boxes);
    m_frame->resize(1200, 800);
    m_frame->show();
    m_frame->activateWindow();
    QVERIFY(QTest::qWaitForWindowExposed(m_frame.get()));
    QTRY_COMPARE(View()->url().toString(), QStringLiteral("about:blank"));
}

void DamagedCorpusWindowTest::Search(const QString& text) {
    testing_gui::TypeKeyword(Form(), text);
    QLineEdit* field = Form()->KeywordBox()->Field();
    QCOMPARE(field->text(), text);
    QTest::keyClick(field, Qt::Key_Return);
}

QString DamagedCorpusWindowTest::Summary() const {
    return qobject_cast<QLabel*>(Form()->Control(panel::kIdcSummary))->text();
}

void DamagedCorpusWindowTest::missingCorpusIsReported() {
    QTemporaryDir empty;
    MakeFrame(empty.path());
    QCOMPARE(m_messages.size(), std::size_t{2});
    QCOMPARE(m_messages[0].text, QStringLiteral("データを開けませんでした。"));
    QCOMPARE(m_messages[1].text, QStringLiteral("you delete data file!"));
    for (const Message& m : m_messages) QCOMPARE(m.caption, shell::kApplicationName);
    // The window stays usable: a search over 全体 reports the missing data.
    Search(QStringLiteral("明月"));
    QCOMPARE(m_messages.back().text, panel::kDataOpenFailedMessage);
}

// A corpus from another writer (no manifest) whose postings of 天 run past
// their last page into what follows: the window lists what was read, marks
// the summary as incomplete and says so once per search.
void DamagedCorpusWindowTest::damagedPostingsAreReportedOncePerSearch() {
    QTemporaryDir damaged;
    QVERIFY(CopyWithoutManifest(m_corpus, damaged.path()));
    QFile header(damaged.filePath(QStringLiteral("Index-idx.h")));
    QVERIFY(header.open(QIODevice::ReadWrite));
    const int code = 0x5929 - 0x3400;  // 天
    QVERIFY(header.seek(1000000 + 4 * code));
    const char beyond[4] = {'\xFF', '\xFF', '\xFF', '\x00'};
    QCOMPARE(header.write(beyond, 4), qint64{4});
    header.close();
    MakeFrame(damaged.path());
    QVERIFY(m_messages.empty());

    const QString message = QString::fromUtf8(panel::kDamagedIndexMessage);
    const QString mark = QString::fromUtf8(panel::kIncompleteMark);
    Search(QStringLiteral("天"));
    QCOMPARE(m_messages.size(), std::size_t{1});
    QCOMPARE(m_messages.back().text, message);
    QVERIFY2(Summary().endsWith(mark), qPrintable(Summary()));
    QVERIFY(Summary().startsWith(QStringLiteral("全部で 250 頁で、250 箇所でした。")));
    QVERIFY(Form()->ResultList()->topLevelItemCount() > 0);
    // With several result pages Enter applies the page edit: search by the
    // command itself. An undamaged character: no message, no mark.
    Form()->KeywordBox()->Field()->setText(QStringLiteral("明月"));
    Form()->OnSearch();
    QCOMPARE(m_messages.size(), std::size_t{1});
    QCOMPARE(Summary(), QStringLiteral("全部で 1 頁で、4 箇所でした。"));
    // The damaged character again, twice: the message once per search.
    Search(QStringLiteral("天"));
    QCOMPARE(m_messages.size(), std::size_t{2});
    Form()->KeywordBox()->Field()->setText(QStringLiteral("天"));
    Form()->OnSearch();
    QCOMPARE(m_messages.size(), std::size_t{3});
    QVERIFY2(Summary().endsWith(mark), qPrintable(Summary()));
}

// Every page record of a corpus from another writer points past the page
// store: the searches still list their rows, and the page view says in
// place of each page that it cannot be shown, with one message per search
// however many such pages the user steps through.
void DamagedCorpusWindowTest::unreadablePagesAreReportedOncePerSearch() {
    QTemporaryDir damaged;
    QVERIFY(CopyWithoutManifest(m_corpus, damaged.path()));
    const qint64 contentSize = QFileInfo(damaged.filePath(QStringLiteral("Index-fl.cnt"))).size();
    QFile directory(damaged.filePath(QStringLiteral("Index-fl.h")));
    QVERIFY(directory.open(QIODevice::ReadWrite));
    constexpr qint64 kHeader = 268;
    constexpr qint64 kRecord = 32 + 8;  // name width 32, then offset and length
    const qint64 records = (directory.size() - kHeader) / kRecord;
    QVERIFY(records > 250);
    for (qint64 r = 0; r < records; ++r) {
        const quint32 past = qToLittleEndian(static_cast<quint32>(contentSize + 10));
        QVERIFY(directory.seek(kHeader + r * kRecord + 32));
        QCOMPARE(directory.write(reinterpret_cast<const char*>(&past), 4), qint64{4});
    }
    directory.close();
    MakeFrame(damaged.path());
    QVERIFY(m_messages.empty());

    const QString message = QString::fromUtf8(panel::kUnreadablePageMessage);
    Search(QStringLiteral("天"));
    QTRY_VERIFY(Form()->ResultList()->topLevelItemCount() > 2);
    QVERIFY(m_messages.empty());  // the postings are whole
    panel::CSortListCtrl* list = Form()->ResultList();
    list->setCurrentItem(list->topLevelItem(0));
    QCOMPARE(m_messages.size(), std::size_t{1});
    QCOMPARE(m_messages.back().text, message);
    QTRY_VERIFY(testing_gui::PageHtml(View()->page()).contains(message));
    list->setCurrentItem(list->topLevelItem(1));
    list->setCurrentItem(list->topLevelItem(2));
    QCOMPARE(m_messages.size(), std::size_t{1});

    // A new search, and a volume picked in the catalogue: one message more.
    Form()->KeywordBox()->Field()->setText(QStringLiteral("明月"));
    Form()->OnSearch();
    QCOMPARE(m_messages.size(), std::size_t{1});
    Form()->SelectTab(0);
    QTreeWidgetItem* volume = Form()->Tree()->topLevelItem(1)->child(0)->child(0);
    Form()->Tree()->setCurrentItem(volume);
    QCOMPARE(m_messages.size(), std::size_t{2});
    QCOMPARE(m_messages.back().text, message);
}

int main(int argc, char** argv) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    DamagedCorpusWindowTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "damagedcorpuswindow_test.moc"
