// The reader window driven as a user drives it, with the real web engine,
// on the fixture corpus of fixturecorpus.h: the catalogue tree, the page and
// volume commands, the hit steps, the layout and what the window leaves at
// exit.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPrinterInfo>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <QWebEnginePage>
#include <memory>
#include <utility>
#include <vector>

#include "panel/leftform.h"
#include "panel/resultrows.h"
#include "panel/scrolltoolbar.h"
#include "panel/sortlistctrl.h"
#include "shell/commandids.h"
#include "shell/htmlctrl.h"
#include "shell/mainfrm.h"
#include "shell/messageboxes.h"
#include "shell/st_splitterwnd.h"
#include "shell/voraview.h"
#include "tests/gui/fixturecorpus.h"
#include "tests/gui/pagehtml.h"
#include "tests/gui/readerfixture.h"

using shell::CMainFrame;
using testing_gui::Html;

class ReaderNavigationTest : public testing_gui::ReaderFixture {
    Q_OBJECT

  private slots:
    void initTestCase() { SetUpCorpus(); }
    void init() { StartReader(); }
    void cleanup() { StopReader(); }

    void titleSelectionSetsScopeOnly();
    void volumeSelectionSetsSliderAndShowsFirstPage();
    void pageCommandsAtFirstMiddleAndLastPage();
    void sliderReleaseShowsThatPage();
    void nextVolumeAcrossTitleMovesTreeSelection();
    void hitCommandsStepAndStop();
    void showAllTwiceRestoresLayout();
    void layoutSavedAtExitWithLeftPaneHidden();
    void companionStartedAtExit();
    void pageFilesRemovedWithTheWindow();
};

void ReaderNavigationTest::titleSelectionSetsScopeOnly() {
    QVERIFY(Form()->SelectTreeSlot(2));
    QCOMPARE(Form()->Position().scopeEntry, 2);
    QCOMPARE(qobject_cast<QLabel*>(Form()->Control(panel::kIdcScopeLabel))->text(),
             QStringLiteral("経部\\詩経"));
    QCOMPARE(Form()->Position().currentVolume, 0);
    QCOMPARE(View()->GetLocationURL(), QStringLiteral("about:blank"));
    // The search is limited to the title now.
    Search(QStringLiteral("天"));
    QCOMPARE(Summary(), QStringLiteral("全部で 0 頁で、0 箇所でした。"));
}

void ReaderNavigationTest::volumeSelectionSetsSliderAndShowsFirstPage() {
    QVERIFY(Form()->SelectTreeSlot(6));  // 書経 巻一, pages 5 .. 254
    QVERIFY(WaitForUrlEnding(QStringLiteral("windows.html")));
    panel::CSCrollToolBar* bar = m_frame->PageToolBar();
    QCOMPARE(bar->SliderRange(), (panel::PageRange{5, 254}));
    QCOMPARE(bar->SliderPosition(), 5);
    QCOMPARE(Form()->Position().currentVolume, 6);
    QCOMPARE(Form()->Position().currentPage, 5);
    QCOMPARE(bar->PageTextShown(),
             QStringLiteral("%1/5").arg(Form()->Index().GetListHeaderValue()));
    QCOMPARE(qobject_cast<QLabel*>(Form()->Control(panel::kIdcScopeLabel))->text(),
             QStringLiteral("経部\\書経\\巻一"));
    QTRY_VERIFY(testing_gui::PageHtml(View()->page()).contains(QStringLiteral("天命之謂性一")));
}

void ReaderNavigationTest::pageCommandsAtFirstMiddleAndLastPage() {
    QVERIFY(Form()->SelectTreeSlot(3));  // 詩経 巻一, pages 1 .. 3
    struct Step {
        int page;
        bool prev;
        bool next;
    };
    const Step steps[] = {{1, false, true}, {2, true, true}, {3, true, false}};
    for (const Step& step : steps) {
        QCOMPARE(Form()->Position().currentPage, step.page);
        QCOMPARE(m_frame->PageToolBar()->SliderPosition(), step.page);
        QCOMPARE(Enabled(shell::kIdPrevPage), step.prev);
        QCOMPARE(Enabled(shell::kIdNextPage), step.next);
        if (step.next) m_frame->OnCommand(shell::kIdNextPage);
    }
    QTRY_VERIFY(testing_gui::PageHtml(View()->page()).contains(QStringLiteral("窈窕淑女")));
    m_frame->OnCommand(shell::kIdPrevPage);
    QCOMPARE(Form()->Position().currentPage, 2);
}

void ReaderNavigationTest::sliderReleaseShowsThatPage() {
    QVERIFY(Form()->SelectTreeSlot(3));
    emit m_frame->PageToolBar()->pageSliderReleased(3);
    QCOMPARE(Form()->Position().currentPage, 3);
    QTRY_VERIFY(testing_gui::PageHtml(View()->page()).contains(QStringLiteral("窈窕淑女")));
    QVERIFY(!Enabled(shell::kIdNextPage));
}

void ReaderNavigationTest::nextVolumeAcrossTitleMovesTreeSelection() {
    QVERIFY(Form()->SelectTreeSlot(4));  // 詩経 巻二, the last volume of its title
    QVERIFY(Enabled(shell::kIdNextVolume));
    m_frame->OnCommand(shell::kIdNextVolume);
    QCOMPARE(Form()->Tree()->currentItem()->data(0, Qt::UserRole).toInt(), 6);
    QCOMPARE(Form()->Position().currentVolume, 6);
    QCOMPARE(Form()->Position().scopeEntry, 6);
    QCOMPARE(m_frame->PageToolBar()->SliderRange(), (panel::PageRange{5, 254}));
    m_frame->OnCommand(shell::kIdPrevVolume);
    QCOMPARE(Form()->Tree()->currentItem()->data(0, Qt::UserRole).toInt(), 4);
    // At the ends the rules switch the commands off.
    QVERIFY(Form()->SelectTreeSlot(9));
    QVERIFY(!Enabled(shell::kIdNextVolume));
    QVERIFY(Form()->SelectTreeSlot(3));
    QVERIFY(!Enabled(shell::kIdPrevVolume));
    QVERIFY(m_messages.empty());
}

void ReaderNavigationTest::hitCommandsStepAndStop() {
    Search(QStringLiteral("白雲"));
    SelectRow(0);
    QVERIFY(WaitForUrlEnding(QStringLiteral("#0000")));
    QCOMPARE(Form()->PageDisplay().HitCount(), 3);
    QVERIFY(!Enabled(shell::kIdPrevHit));
    m_frame->OnCommand(shell::kIdNextHit);
    QVERIFY(WaitForUrlEnding(QStringLiteral("#0001")));
    QVERIFY(Enabled(shell::kIdPrevHit));
    m_frame->OnCommand(shell::kIdNextHit);
    QVERIFY(WaitForUrlEnding(QStringLiteral("#0002")));
    QVERIFY(!Enabled(shell::kIdNextHit));
    m_frame->OnCommand(shell::kIdNextHit);
    QCOMPARE(Form()->PageDisplay().CurrentHit(), 2);
    m_frame->OnCommand(shell::kIdPrevHit);
    QVERIFY(WaitForUrlEnding(QStringLiteral("#0001")));
    // The hit commands bring the result page back over a catalogue page.
    QVERIFY(Form()->SelectTreeSlot(3));
    QVERIFY(WaitForUrlEnding(QStringLiteral("windows.html")));
    m_frame->OnCommand(shell::kIdPrevHit);
    QVERIFY(WaitForUrlEnding(QStringLiteral("#0000")));
}

void ReaderNavigationTest::showAllTwiceRestoresLayout() {
    const QList<int> before = m_frame->Splitter()->sizes();
    m_frame->OnCommand(shell::kIdShowAll);
    QVERIFY(!Form()->isVisible());
    QCOMPARE(m_frame->Splitter()->HiddenColumn(), 0);
    QTRY_COMPARE(View()->width(), m_frame->Splitter()->width());
    m_frame->OnCommand(shell::kIdShowAll);
    QVERIFY(Form()->isVisible());
    QTRY_COMPARE(m_frame->Splitter()->sizes(), before);
}

void ReaderNavigationTest::layoutSavedAtExitWithLeftPaneHidden() {
    const QList<int> before = m_frame->Splitter()->sizes();
    m_frame->OnCommand(shell::kIdShowAll);
    m_frame->close();
    QSettings settings(shell::kOrganisationName, shell::kApplicationName);
    QCOMPARE(settings.value(QStringLiteral("SplitterWnd/Panes_0")).toString(),
             QStringLiteral("0 %1 -1 %2").arg(before[0]).arg(before[1]));
    QCOMPARE(before[0], 260);
}

void ReaderNavigationTest::companionStartedAtExit() {
    const QString marker = m_root.filePath(QStringLiteral("companion-ran"));
    const QString companion = QDir(m_programDir).filePath(QStringLiteral("end.exe"));
    QFile script(companion);
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write(QStringLiteral("#!/bin/sh\necho ran > '%1'\n").arg(marker).toUtf8());
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    m_frame->close();
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(marker), 10000);
    QFile::remove(companion);
}

void ReaderNavigationTest::pageFilesRemovedWithTheWindow() {
    Search(QStringLiteral("明月"));
    SelectRow(0);
    QVERIFY(WaitForUrlEnding(QStringLiteral("#0000")));
    const QString folder = QString::fromStdString(Form()->PageDisplay().Folder());
    QVERIFY(QFileInfo::exists(folder));
    m_frame->close();
    m_frame.reset();
    QVERIFY(!QFileInfo::exists(folder));
}

int main(int argc, char** argv) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    ReaderNavigationTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "readernavigation_test.moc"
