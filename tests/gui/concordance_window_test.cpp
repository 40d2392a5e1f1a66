// The context column of the result list and the concordance window, driven
// in the reader window on the fixture corpus of fixturecorpus.h with the
// real web engine.
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <memory>

#include "panel/contextcolumn.h"
#include "panel/export.h"
#include "panel/kwicdelegate.h"
#include "panel/leftform.h"
#include "panel/sortlistctrl.h"
#include "shell/commandids.h"
#include "shell/concordancewindow.h"
#include "shell/distributionwindow.h"
#include "shell/htmlctrl.h"
#include "shell/mainfrm.h"
#include "shell/messageboxes.h"
#include "shell/resultexport.h"
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
    void exportsReadBackEqualToTheViews();
    void citationNamesTheShownPageAndHit();
    void chartClickNarrowsTheScope();

  private:
    void Search(const QString& text);
    panel::CLeftForm* Form() const { return m_frame->LeftForm(); }

    QTemporaryDir m_root;
    QString m_corpus;
    shell::CMessageBoxes m_boxes;
    QStringList m_messages;
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
    m_boxes.SetPresenter(
        [this](QWidget*, const QString&, const QString& text) { m_messages.push_back(text); });
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

void ConcordanceWindowTest::cleanup() {
    m_frame.reset();
    m_messages.clear();
}

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

void ConcordanceWindowTest::exportsReadBackEqualToTheViews() {
    Search(QStringLiteral("明月"));
    m_frame->OnCommand(shell::kIdConcordance);
    auto* window = m_frame->findChild<shell::CConcordanceWindow*>();
    QVERIFY(window);
    QTRY_VERIFY(!window->Running());
    window->SortBy(engine::KwicSort::Right);
    const QAbstractItemModel* model = window->Table()->model();
    for (const QString& name : {QStringLiteral("lines.csv"), QStringLiteral("lines.tsv")}) {
        const QString path = m_root.filePath(name);
        QVERIFY(window->SaveLines(path));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const std::string text = file.readAll().toStdString();
        const auto lines = panel::ParseExport(text, panel::ExportFormatOf(path.toStdString()));
        QCOMPARE(lines.size(), 5u);
        for (int row = 0; row < 4; ++row) {
            const auto& fields = lines[static_cast<std::size_t>(row) + 1];
            QCOMPARE(fields.size(), 9u);
            QCOMPARE(QString::fromStdString(fields[1]), model->index(row, 3).data().toString());
            QCOMPARE(QString::fromStdString(fields[3]), model->index(row, 5).data().toString());
            for (int c = 0; c < 3; ++c) {
                QCOMPARE(QString::fromStdString(fields[6 + static_cast<std::size_t>(c)]),
                         model->index(row, c).data().toString());
            }
        }
    }
    // A folder that does not exist: said so, and the window keeps its lines.
    QVERIFY(!window->SaveLines(m_root.filePath(QStringLiteral("missing/lines.tsv"))));
    QCOMPARE(m_messages.size(), 1);
    QVERIFY(m_messages.front().startsWith(QStringLiteral("保存できませんでした。")));
    QCOMPARE(window->LineCount(), 4);

    // The result rows, each with its first hit.
    const QString rowsPath = m_root.filePath(QStringLiteral("rows.tsv"));
    QVERIFY(shell::SaveResults(*Form(), m_frame.get(), rowsPath, {}));
    QFile rows(rowsPath);
    QVERIFY(rows.open(QIODevice::ReadOnly));
    const auto fields = panel::ParseExport(rows.readAll().toStdString(), panel::ExportFormat::Tsv);
    QCOMPARE(fields.size(), 2u);
    QCOMPARE(fields[1][0], std::string("経部"));
    QCOMPARE(fields[1][5], std::string("4"));
    QCOMPARE(fields[1][7], std::string("明月"));
}

void ConcordanceWindowTest::citationNamesTheShownPageAndHit() {
    QVERIFY(!m_frame->Action(shell::kIdCopyCitation)->isEnabled());
    Search(QStringLiteral("明月"));
    Form()->ResultList()->setCurrentItem(Form()->ResultList()->topLevelItem(0));
    QTRY_VERIFY(m_frame->Action(shell::kIdCopyCitation)->isEnabled());
    m_frame->OnCommand(shell::kIdCopyCitation);
    // The page is shorter than 10 characters either side of any hit, so
    // every hit's context is the whole text (main text, then the note).
    const QString whole = QStringLiteral("経部・詩経・巻一・1頁「明月明月明月照高樓明月注」");
    QCOMPARE(QApplication::clipboard()->text(), whole);
    m_frame->OnCommand(shell::kIdNextHit);
    QCOMPARE(Form()->PageDisplay().CurrentHit(), 1);
    m_frame->OnCommand(shell::kIdCopyCitation);
    QCOMPARE(QApplication::clipboard()->text(), whole);
    // A catalogue page: the names alone.
    QVERIFY(Form()->ShowCatalogPage(3, true, 1));
    m_frame->OnCommand(shell::kIdCopyCitation);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("経部・詩経・巻一・1頁"));
}

void ConcordanceWindowTest::chartClickNarrowsTheScope() {
    QVERIFY(Form()->SelectTreeSlot(1));  // 経部
    Search(QStringLiteral("之"));        // scope 経部: 詩経 twice, 書経 on all 250 pages
    QCOMPARE(Form()->Rows().size(), 252u);
    m_frame->OnCommand(shell::kIdDistribution);
    auto* window = m_frame->findChild<shell::CDistributionWindow*>();
    QVERIFY(window);
    QVERIFY(QTest::qWaitForWindowExposed(window));
    shell::CDistributionChart* chart = window->Chart();
    QCOMPARE(chart->Bars().size(), 3u);
    QCOMPARE(chart->Bars()[0].entry.category, std::string("経部"));
    QCOMPARE(chart->Bars()[0].entry.pages, 252);
    QCOMPARE(chart->Bars()[1].entry.title, std::string("書経"));
    QCOMPARE(chart->Bars()[2].entry.title, std::string("詩経"));
    QCOMPARE(window->Table()->item(2, 3)->text(), QStringLiteral("2"));
    QTest::mouseClick(chart, Qt::LeftButton, {}, chart->BarRect(2).center());
    QCOMPARE(Form()->Position().scopeEntry, 2);  // 詩経
    QCOMPARE(Form()->Rows().size(), 2u);
    QCOMPARE(chart->Bars().size(), 2u);  // the window shows the new search
    QCOMPARE(chart->Bars()[1].entry.pages, 2);
}

QTEST_MAIN(ConcordanceWindowTest)
#include "concordance_window_test.moc"
