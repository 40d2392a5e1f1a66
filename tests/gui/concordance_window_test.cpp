// The context column of the result list and the concordance window, driven
// in the reader window on the fixture corpus of fixturecorpus.h with the
// real web engine.
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <memory>

#include "panel/contextcolumn.h"
#include "panel/kwicdelegate.h"
#include "panel/leftform.h"
#include "panel/sortlistctrl.h"
#include "shell/commandids.h"
#include "shell/concordancewindow.h"
#include "shell/htmlctrl.h"
#include "shell/mainfrm.h"
#include "shell/messageboxes.h"
#include "shell/voraview.h"
#include "tests/gui/fixturecorpus.h"

class ConcordanceWindowTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void init();
    void cleanup();

    void contextColumnShowsTheFirstHitOfEachRow();
    void concordanceOpensThePageAtTheHitsAnchor();
    void cancelStopsALongConcordance();

  private:
    void Search(const QString& text);
    panel::CLeftForm* Form() const { return m_frame->LeftForm(); }

    QTemporaryDir m_root;
    QString m_corpus;
    shell::CMessageBoxes m_boxes;
    std::unique_ptr<shell::CMainFrame> m_frame;
};

void ConcordanceWindowTest::initTestCase() {
    QVERIFY(m_root.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_root.filePath("settings"));
    QCoreApplication::setOrganizationName(shell::kOrganisationName);
    QCoreApplication::setApplicationName(shell::kApplicationName);
    m_corpus = m_root.filePath("corpus");
    const QString error =
        testing_gui::BuildFixtureCorpus(QStringLiteral(ORVALE_BUILD_PROGRAM), m_corpus);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    m_boxes.SetPresenter([](QWidget*, const QString&, const QString&) {});
}

void ConcordanceWindowTest::init() {
    shell::FrameConfig config;
    config.dataDir = m_corpus.toStdString();
    config.programDir = m_root.path();
    config.tempRoot = m_root.path();
    config.listingPath = m_root.filePath("kvt.txt").toStdString();
    config.allowSplash = false;
    m_frame = std::make_unique<shell::CMainFrame>(config, m_boxes);
    m_frame->resize(1200, 800);
    m_frame->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_frame.get()));
}

void ConcordanceWindowTest::cleanup() { m_frame.reset(); }

void ConcordanceWindowTest::Search(const QString& text) {
    Form()->SelectTab(1);
    QLineEdit* field = Form()->KeywordBox()->Field();
    field->clear();
    field->setFocus();
    QInputMethodEvent commit;
    commit.setCommitString(text);
    QApplication::sendEvent(field, &commit);
    Form()->OnSearch();
}

void ConcordanceWindowTest::contextColumnShowsTheFirstHitOfEachRow() {
    Search(QStringLiteral("天"));
    panel::CSortListCtrl* list = Form()->ResultList();
    QCOMPARE(list->topLevelItemCount(), 100);  // the first result page only
    QCOMPARE(list->headerItem()->text(panel::kContextColumn), QStringLiteral("文脈"));
    for (int row = 0; row < list->topLevelItemCount(); ++row) {
        const QTreeWidgetItem* item = list->topLevelItem(row);
        QCOMPARE(item->data(panel::kContextColumn, panel::kKwicHitRole).toString(),
                 QStringLiteral("天"));
        const QString left = item->data(panel::kContextColumn, panel::kKwicLeftRole).toString();
        const QString right = item->data(panel::kContextColumn, panel::kKwicRightRole).toString();
        QCOMPARE(item->text(panel::kContextColumn), left + QStringLiteral("天") + right);
        QVERIFY(!item->text(panel::kContextColumn).contains(QLatin1Char('<')));
    }
    // The other columns stay as they were.
    QCOMPARE(list->topLevelItem(0)->text(1), QStringLiteral("書経"));

    Search(QStringLiteral("明月"));
    QCOMPARE(list->topLevelItemCount(), 1);
    QCOMPARE(list->topLevelItem(0)->data(panel::kContextColumn, panel::kKwicHitRole).toString(),
             QStringLiteral("明月"));
}

void ConcordanceWindowTest::concordanceOpensThePageAtTheHitsAnchor() {
    QVERIFY(!m_frame->Action(shell::kIdConcordance)->isEnabled());
    Search(QStringLiteral("明月"));
    QVERIFY(m_frame->Action(shell::kIdConcordance)->isEnabled());
    m_frame->OnCommand(shell::kIdConcordance);
    auto* window = m_frame->findChild<shell::CConcordanceWindow*>();
    QVERIFY(window);
    QTRY_VERIFY(!window->Running());
    QCOMPARE(window->LineCount(), 4);
    QVERIFY(window->Status()->text().contains(QStringLiteral("4")));
    for (int row = 0; row < 4; ++row) {
        QCOMPARE(window->LineAt(row)->ordinal, static_cast<std::uint32_t>(row));
        QCOMPARE(window->Table()->model()->index(row, 1).data().toString(), QStringLiteral("明月"));
        QCOMPARE(window->Table()->model()->index(row, 3).data().toString(), QStringLiteral("詩経"));
    }
    // A double click on the third line opens the page at anchor 0002.
    QTableView* table = window->Table();
    const QRect cell = table->visualRect(table->model()->index(2, 0));
    QVERIFY(QTest::qWaitForWindowExposed(window));
    // The view acts on a double click only after the press that starts it.
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, cell.center());
    QTRY_VERIFY_WITH_TIMEOUT(
        m_frame->GetRightPane()->url().toString().endsWith(QStringLiteral("#0002")), 10000);
    QCOMPARE(Form()->PageDisplay().CurrentHit(), 2);
    QCOMPARE(Form()->PageDisplay().HitCount(), 4);
    // Sorting keeps every line.
    window->SortBy(engine::KwicSort::Left);
    QCOMPARE(window->LineCount(), 4);
    QCOMPARE(window->SortBox()->currentIndex(), 1);
}

void ConcordanceWindowTest::cancelStopsALongConcordance() {
    Search(QStringLiteral("天"));
    shell::ConcordanceRequest request;
    request.dataDir = m_corpus.toStdString();
    request.keyword = Form()->Keyword();
    request.rows = Form()->Rows();
    QCOMPARE(request.rows.size(), 250u);
    request.firstChunkPages = 1;
    request.chunkPages = 1;
    const engine::KwicQuery query(request.keyword, true, Form()->Index().VariantGroups());
    auto* window = new shell::CConcordanceWindow(request, query, {}, m_frame.get());
    QSignalSpy filled(window, &shell::CConcordanceWindow::filled);
    window->show();
    QTRY_VERIFY(window->LineCount() > 0);
    QVERIFY(window->Running());
    QVERIFY(!window->SortBox()->isEnabled());
    QTest::mouseClick(window->CancelButton(), Qt::LeftButton);
    QTRY_COMPARE(filled.count(), 1);
    QVERIFY(!window->Running());
    QVERIFY(window->LineCount() < 250);
    QVERIFY(window->Status()->text().startsWith(QStringLiteral("中止しました")));
    QVERIFY(window->SortBox()->isEnabled());
    // The window closes while nothing runs; a second one closes while its
    // worker runs: neither hangs nor crashes.
    window->close();
    auto* running = new shell::CConcordanceWindow(request, query, {}, m_frame.get());
    running->show();
    running->close();
    QCoreApplication::processEvents();
}

QTEST_MAIN(ConcordanceWindowTest)
#include "concordance_window_test.moc"
