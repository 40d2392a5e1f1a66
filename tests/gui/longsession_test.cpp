// A long session in the reader window: one search with 560 result rows, then
// 500 rows clicked one after another (paging on with ">"), interleaved with
// the hit, page and volume commands, catalogue selections and 全表示. After
// every step: no message appeared, the view shows the file and anchor the
// step calls for, the file holds the expected page, and result pages
// alternate between the two result files. Messages are recorded through the
// message-box seam.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QSet>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <QWebEnginePage>
#include <algorithm>
#include <memory>
#include <vector>

#include "panel/leftform.h"
#include "panel/sortlistctrl.h"
#include "shell/commandids.h"
#include "shell/htmlctrl.h"
#include "shell/mainfrm.h"
#include "shell/messageboxes.h"
#include "shell/st_splitterwnd.h"
#include "shell/voraview.h"
#include "tests/gui/pagehtml.h"

using shell::CMainFrame;

namespace {

using testing_gui::Html;

// The corpus: category 経部 (slot 1) with four titles of two volumes of 70
// pages each, then 史部 with one short volume. Page p of volume v of title
// t carries the marker "id-t-v-p" and 1 + (p % 3) times 星.
const QStringList kTitles = {QStringLiteral("甲書"), QStringLiteral("乙書"), QStringLiteral("丙書"),
                             QStringLiteral("丁書")};
const QStringList kVolumes = {QStringLiteral("巻一"), QStringLiteral("巻二")};
constexpr int kTitleCount = 4;
constexpr int kVolumeCount = 2;
constexpr int kPagesPerVolume = 70;
constexpr int kRowsPerResultPage = 100;
constexpr int kRowsClicked = 500;

int HitsOnPage(int page) { return 1 + page % 3; }

QString Marker(int title, int volume, int page) {
    return QStringLiteral("id-%1-%2-%3x").arg(title).arg(volume).arg(page);
}

QString PageJson(int title, int volume, int page) {
    QString text = Marker(title, volume, page);
    for (int i = 0; i < HitsOnPage(page); ++i) text += QStringLiteral("星月之夜");
    return QStringLiteral("{\"runs\":[\"%1\"]}").arg(text);
}

QString BuildCorpus(const QString& builder, const QString& folder) {
    QString source;
    for (int t = 0; t < kTitleCount; ++t) {
        for (int v = 0; v < kVolumeCount; ++v) {
            QStringList pages;
            for (int p = 1; p <= kPagesPerVolume; ++p) pages << PageJson(t, v, p);
            source += QStringLiteral(
                          "{\"category\":\"経部\",\"title\":\"%1\",\"volume\":\"%2\","
                          "\"first_page\":1,\"pages\":[%3]}\n")
                          .arg(kTitles[t], kVolumes[v], pages.join(QLatin1Char(',')));
        }
    }
    source += QStringLiteral(
        "{\"category\":\"史部\",\"title\":\"史記\",\"volume\":\"巻一\",\"first_page\":1,"
        "\"pages\":[{\"runs\":[\"黄帝者少典之子\"]},{\"runs\":[\"姓公孫名曰軒轅\"]}]}\n");
    const QString sourcePath = folder + QStringLiteral(".jsonl");
    QFile file(sourcePath);
    if (!file.open(QIODevice::WriteOnly)) return QStringLiteral("cannot write ") + sourcePath;
    file.write(source.toUtf8());
    file.close();
    QProcess build;
    build.start(builder, {sourcePath, folder});
    if (!build.waitForFinished(120000) || build.exitCode() != 0) {
        return QStringLiteral("orvale-build failed: ") +
               QString::fromUtf8(build.readAllStandardError());
    }
    return {};
}

// Tree slots of the volumes, in catalogue order: title t volume v sits at
// 3 + 3t + v (slot 1 is 経部, each title takes one slot before its volumes).
int VolumeSlot(int title, int volume) { return 3 + 3 * title + volume; }
int TitleSlot(int title) { return 2 + 3 * title; }

QString ReadAll(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(file.readAll());
}

}  // namespace

// Stops the test function when a step helper failed.
#define STEP(call)                              \
    do {                                        \
        call;                                   \
        if (QTest::currentTestFailed()) return; \
    } while (false)

class LongSessionTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void cleanupTestCase();
    void fiveHundredRowsWithNavigation();
    void quickStepsEndOnTheLastPageAsked();

  private:
    void Search(const QString& text);
    void ClickRow(int row);
    void ExpectResultPage(int title, int volume, int page);
    void ExpectHit(int hit);
    void ExpectCataloguePage(int title, int volume, int page);
    void ExpectNoMessage();
    void Trigger(int id);
    void StepHits(int hits);
    void VisitCatalogue(int step);
    void StepVolumes(int step);
    void ShowAllTwice();
    void ExpectRendered(const QString& marker);
    // The title and volume index of a volume slot.
    static bool VolumeOfSlot(int slot, int& title, int& volume);

    shell::CVoraView* View() const { return m_frame->GetRightPane(); }
    panel::CLeftForm* Form() const { return m_frame->LeftForm(); }
    bool Enabled(int id) const { return m_frame->Action(id)->isEnabled(); }

    QTemporaryDir m_root;
    QString m_corpus;
    QStringList m_messages;
    shell::CMessageBoxes m_boxes;
    std::unique_ptr<CMainFrame> m_frame;
    QString m_lastResultFile;
    int m_resultDisplays = 0;
};

void LongSessionTest::initTestCase() {
    QVERIFY(m_root.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_root.filePath("settings"));
    QCoreApplication::setOrganizationName(shell::kOrganisationName);
    QCoreApplication::setApplicationName(shell::kApplicationName);
    m_corpus = m_root.filePath("corpus");
    const QString error = BuildCorpus(QStringLiteral(ORVALE_BUILD_PROGRAM), m_corpus);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    m_boxes.SetPresenter(
        [this](QWidget*, const QString&, const QString& text) { m_messages << text; });

    shell::FrameConfig config;
    config.dataDir = m_corpus.toStdString();
    config.programDir = m_root.filePath("program");
    config.tempRoot = m_root.path();
    config.listingPath = m_root.filePath("kvt.txt").toStdString();
    config.allowSplash = false;
    m_frame = std::make_unique<CMainFrame>(config, m_boxes);
    m_frame->resize(1200, 800);
    m_frame->show();
    m_frame->activateWindow();
    QVERIFY(QTest::qWaitForWindowExposed(m_frame.get()));
    QVERIFY(m_messages.isEmpty());
}

void LongSessionTest::cleanupTestCase() {
    const QString folder = QString::fromStdString(Form()->PageDisplay().Folder());
    m_frame->close();
    m_frame.reset();
    QVERIFY(!QFileInfo::exists(folder));
}

void LongSessionTest::Search(const QString& text) {
    Form()->SelectTab(1);
    QLineEdit* field = Form()->KeywordBox()->Field();
    field->clear();
    field->setFocus();
    QInputMethodEvent commit;
    commit.setCommitString(text);
    QApplication::sendEvent(field, &commit);
    QCOMPARE(field->text(), text);
    QTest::keyClick(field, Qt::Key_Return);
}

void LongSessionTest::ExpectNoMessage() {
    QVERIFY2(m_messages.isEmpty(), qPrintable(m_messages.join(QLatin1Char('|'))));
}

void LongSessionTest::ExpectRendered(const QString& marker) {
    QTRY_VERIFY_WITH_TIMEOUT(Html(View()->page()).contains(marker), 15000);
}

void LongSessionTest::ClickRow(int row) {
    panel::CSortListCtrl* list = Form()->ResultList();
    QTreeWidgetItem* item = list->topLevelItem(row);
    QVERIFY(item);
    list->scrollToItem(item);
    const QRect rect = list->visualItemRect(item);
    QVERIFY(list->viewport()->rect().contains(rect.center()));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    QVERIFY(item->isSelected());
}

void LongSessionTest::ExpectResultPage(int title, int volume, int page) {
    const panel::CPageDisplay& display = Form()->PageDisplay();
    const QString file = QString::fromStdString(display.CurrentResultFile());
    const QStringList both = {QString::fromStdString(display.ResultPageFile(1)),
                              QString::fromStdString(display.ResultPageFile(2))};
    QVERIFY2(both.contains(file), qPrintable(file));
    // Alternation: never the file of the previous result display.
    if (m_resultDisplays > 0) QVERIFY2(file != m_lastResultFile, qPrintable(file));
    m_lastResultFile = file;
    ++m_resultDisplays;
    QCOMPARE(display.HitCount(), HitsOnPage(page));
    QCOMPARE(display.CurrentHit(), 0);
    QTRY_VERIFY_WITH_TIMEOUT(View()->url().toLocalFile() == file, 10000);
    QTRY_COMPARE_WITH_TIMEOUT(View()->url().fragment(), QStringLiteral("0000"), 10000);
    const QString html = ReadAll(file);
    QVERIFY2(html.contains(Marker(title, volume, page)), qPrintable(Marker(title, volume, page)));
    QVERIFY(html.contains(
        QStringLiteral("name=\"%1\"")
            .arg(QString::fromStdString(panel::CPageDisplay::AnchorName(HitsOnPage(page) - 1)))));
    QVERIFY(Enabled(shell::kIdCopy));
    QCOMPARE(Enabled(shell::kIdNextHit), HitsOnPage(page) > 1);
    QVERIFY(!Enabled(shell::kIdPrevHit));
}

void LongSessionTest::ExpectHit(int hit) {
    const QString file = QString::fromStdString(Form()->PageDisplay().CurrentResultFile());
    QCOMPARE(file, m_lastResultFile);
    QCOMPARE(Form()->PageDisplay().CurrentHit(), hit);
    const QString anchor = QString::fromStdString(panel::CPageDisplay::AnchorName(hit));
    QTRY_VERIFY_WITH_TIMEOUT(View()->url().toLocalFile() == file, 10000);
    QTRY_COMPARE_WITH_TIMEOUT(View()->url().fragment(), anchor, 10000);
    QCOMPARE(Enabled(shell::kIdPrevHit), hit >= 1);
    QCOMPARE(Enabled(shell::kIdNextHit), hit + 1 < Form()->PageDisplay().HitCount());
}

void LongSessionTest::ExpectCataloguePage(int title, int volume, int page) {
    const QString file = QString::fromStdString(Form()->PageDisplay().CatalogPageFile());
    QCOMPARE(Form()->Position().currentVolume, VolumeSlot(title, volume));
    QCOMPARE(Form()->Position().currentPage, page);
    QTRY_VERIFY_WITH_TIMEOUT(View()->url().toLocalFile() == file, 10000);
    QVERIFY(View()->url().fragment().isEmpty());
    QVERIFY2(ReadAll(file).contains(Marker(title, volume, page)),
             qPrintable(Marker(title, volume, page)));
    QCOMPARE(Enabled(shell::kIdPrevPage), page > 1);
    QCOMPARE(Enabled(shell::kIdNextPage), page < kPagesPerVolume);
    // A catalogue display leaves the result file and its hits alone.
    QCOMPARE(QString::fromStdString(Form()->PageDisplay().CurrentResultFile()), m_lastResultFile);
}

void LongSessionTest::Trigger(int id) {
    QAction* action = m_frame->Action(id);
    QVERIFY2(action->isEnabled(), qPrintable(QString::number(id)));
    action->trigger();
}

// Next hit to the last anchor, then previous hit back to the first.
void LongSessionTest::StepHits(int hits) {
    for (int hit = 1; hit < hits; ++hit) {
        STEP(Trigger(shell::kIdNextHit));
        STEP(ExpectHit(hit));
    }
    for (int hit = hits - 2; hit >= 0; --hit) {
        STEP(Trigger(shell::kIdPrevHit));
        STEP(ExpectHit(hit));
    }
}

bool LongSessionTest::VolumeOfSlot(int slot, int& title, int& volume) {
    for (int t = 0; t < kTitleCount; ++t) {
        for (int v = 0; v < kVolumeCount; ++v) {
            if (VolumeSlot(t, v) == slot) {
                title = t;
                volume = v;
                return true;
            }
        }
    }
    return false;
}

// The 目録 tab: a title (scope only), then a volume with its pages stepped
// through; then back to the result page with a hit command when the last
// result page has more than one hit.
void LongSessionTest::VisitCatalogue(int step) {
    Form()->SelectTab(0);
    const int title = step % kTitleCount;
    const int volume = (step / kTitleCount) % kVolumeCount;
    const QUrl before = View()->url();
    QVERIFY(Form()->SelectTreeSlot(TitleSlot(title)));
    QCOMPARE(View()->url(), before);
    QCOMPARE(static_cast<int>(Form()->Position().scopeEntry), TitleSlot(title));
    STEP(ExpectNoMessage());

    QVERIFY(Form()->SelectTreeSlot(VolumeSlot(title, volume)));
    STEP(ExpectCataloguePage(title, volume, 1));
    STEP(Trigger(shell::kIdNextPage));
    STEP(ExpectCataloguePage(title, volume, 2));
    STEP(Trigger(shell::kIdNextPage));
    STEP(ExpectCataloguePage(title, volume, 3));
    STEP(Trigger(shell::kIdPrevPage));
    STEP(ExpectCataloguePage(title, volume, 2));
    STEP(ExpectNoMessage());

    if (Form()->PageDisplay().HitCount() > 1) {
        STEP(Trigger(shell::kIdNextHit));
        STEP(ExpectHit(1));
        STEP(Trigger(shell::kIdPrevHit));
        STEP(ExpectHit(0));
    }
    Form()->SelectTab(1);
}

// Next volume then previous volume from the current one (when a volume is
// current); the tree selection follows.
void LongSessionTest::StepVolumes(int step) {
    const int current = Form()->Position().currentVolume;
    int title = 0;
    int volume = 0;
    if (!VolumeOfSlot(current, title, volume)) return;
    // Forward stays inside 経部: the volume after the last one is 史部's.
    const bool forward = step % 2 == 0 && current != VolumeSlot(kTitleCount - 1, kVolumeCount - 1);
    const int there = forward ? shell::kIdNextVolume : shell::kIdPrevVolume;
    const int back = forward ? shell::kIdPrevVolume : shell::kIdNextVolume;
    if (!Enabled(there)) return;
    STEP(Trigger(there));
    const int moved = Form()->Position().currentVolume;
    int movedTitle = 0;
    int movedVolume = 0;
    QVERIFY2(VolumeOfSlot(moved, movedTitle, movedVolume),
             qPrintable(QStringLiteral("%1 -> %2").arg(current).arg(moved)));
    QCOMPARE(moved, VolumeSlot(title, volume) +
                        (forward ? (volume == 1 ? 2 : 1) : (volume == 0 ? -2 : -1)));
    QCOMPARE(Form()->Tree()->currentItem()->data(0, Qt::UserRole).toInt(), moved);
    STEP(ExpectCataloguePage(movedTitle, movedVolume, 1));
    STEP(Trigger(back));
    QCOMPARE(Form()->Position().currentVolume, current);
    STEP(ExpectCataloguePage(title, volume, 1));
    STEP(ExpectNoMessage());
}

void LongSessionTest::ShowAllTwice() {
    const QList<int> before = m_frame->Splitter()->sizes();
    STEP(Trigger(shell::kIdShowAll));
    QVERIFY(!Form()->isVisible());
    STEP(Trigger(shell::kIdShowAll));
    QVERIFY(Form()->isVisible());
    QTRY_COMPARE(m_frame->Splitter()->sizes(), before);
}

void LongSessionTest::fiveHundredRowsWithNavigation() {
    STEP(Search(QStringLiteral("星")));
    const int totalRows = kTitleCount * kVolumeCount * kPagesPerVolume;
    int totalHits = 0;
    for (int p = 1; p <= kPagesPerVolume; ++p)
        totalHits += kTitleCount * kVolumeCount * HitsOnPage(p);
    QCOMPARE(qobject_cast<QLabel*>(Form()->Control(panel::kIdcSummary))->text(),
             QStringLiteral("全部で %1 頁で、%2 箇所でした。").arg(totalRows).arg(totalHits));
    STEP(ExpectNoMessage());
    auto* next = Form()->Control(panel::kIdcNextResultPage);
    auto* edit = qobject_cast<QLineEdit*>(Form()->Control(panel::kIdcResultPageEdit));
    panel::CSortListCtrl* list = Form()->ResultList();
    QSet<int> clicked;  // every row leads to a page of its own

    for (int n = 0; n < kRowsClicked; ++n) {
        const int row = n % kRowsPerResultPage;
        if (n > 0 && row == 0) {
            QVERIFY(next->isEnabled());
            QTest::mouseClick(next, Qt::LeftButton);
            QCOMPARE(edit->text(), QString::number(n / kRowsPerResultPage + 1));
            QCOMPARE(list->topLevelItemCount(), std::min(kRowsPerResultPage, totalRows - n));
        }
        // The row's own columns name the page it leads to.
        const QTreeWidgetItem* item = list->topLevelItem(row);
        QVERIFY(item);
        const int title = static_cast<int>(kTitles.indexOf(item->text(1)));
        const int volume = static_cast<int>(kVolumes.indexOf(item->text(2)));
        const int page = item->text(3).toInt();
        QVERIFY2(title >= 0 && volume >= 0 && page >= 1, qPrintable(item->text(1)));
        const int key = (title * kVolumeCount + volume) * kPagesPerVolume + page - 1;
        QVERIFY2(!clicked.contains(key), qPrintable(Marker(title, volume, page)));
        clicked.insert(key);

        STEP(ClickRow(row));
        STEP(ExpectResultPage(title, volume, page));
        STEP(ExpectNoMessage());
        if (n % 25 == 0) STEP(ExpectRendered(Marker(title, volume, page)));
        if (n % 3 == 1) STEP(StepHits(HitsOnPage(page)));
        if (n % 7 == 3) STEP(VisitCatalogue(n / 7));
        if (n % 11 == 5) STEP(StepVolumes(n / 11));
        if (n % 50 == 17) STEP(ShowAllTwice());
        STEP(ExpectNoMessage());
    }
    QCOMPARE(m_resultDisplays, kRowsClicked);
    // The window still answers at the end: the last page shows rendered, and
    // a new search runs.
    STEP(ExpectRendered(QStringLiteral("id-")));
    Form()->SelectTreeSlot(1);
    STEP(Search(QStringLiteral("星")));
    QCOMPARE(list->topLevelItemCount(), kRowsPerResultPage);
    STEP(ExpectNoMessage());
}

// Commands given faster than pages load (a user holding a key down): the
// view ends on the page of the last command, not on one it had before.
void LongSessionTest::quickStepsEndOnTheLastPageAsked() {
    m_messages.clear();
    QVERIFY(Form()->SelectTreeSlot(1));
    STEP(Search(QStringLiteral("星")));
    STEP(ClickRow(1));
    const QTreeWidgetItem* item = Form()->ResultList()->topLevelItem(1);
    STEP(ExpectRendered(Marker(static_cast<int>(kTitles.indexOf(item->text(1))),
                               static_cast<int>(kVolumes.indexOf(item->text(2))),
                               item->text(3).toInt())));
    struct Case {
        const char* name;
        int title;      // the volume selected: 巻一 of this title
        int nextPages;  // next-page commands right after the volume selection
    };
    // Another volume each time: selecting the selected item again does nothing.
    const Case cases[] = {{"volume only", 1, 0}, {"one page on", 2, 1}, {"three pages on", 3, 3}};
    for (const Case& c : cases) {
        Form()->SelectTab(0);
        QVERIFY(Form()->SelectTreeSlot(VolumeSlot(c.title, 0)));
        for (int i = 0; i < c.nextPages; ++i) STEP(Trigger(shell::kIdNextPage));
        QTRY_VERIFY2_WITH_TIMEOUT(
            Html(View()->page()).contains(Marker(c.title, 0, 1 + c.nextPages)),
            qPrintable(QStringLiteral("%1: %2").arg(c.name).arg(
                Html(View()->page()).section(QStringLiteral("id-"), 1, 1).left(12))),
            15000);
        // Back to a result page before the next case.
        Form()->SelectTab(1);
        Form()->ResultList()->clearSelection();
        STEP(ClickRow(1));
        QTRY_VERIFY_WITH_TIMEOUT(Html(View()->page()).contains(QStringLiteral("color:red")), 15000);
    }
    STEP(ExpectNoMessage());
}

int main(int argc, char** argv) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    LongSessionTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "longsession_test.moc"
