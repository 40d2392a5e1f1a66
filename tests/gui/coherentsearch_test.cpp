// The reader's search without traps, driven as a user drives it: Enter in
// either box, rows that keep the search that listed them, the whole-corpus
// scope at start, hits marked across markup and opened in reading order, the
// current hit's own colour, and volumes whose page numbers pass 65535.
#include <QAction>
#include <QApplication>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <memory>
#include <vector>

#include "panel/leftform.h"
#include "panel/scrolltoolbar.h"
#include "panel/sortlistctrl.h"
#include "shell/commandids.h"
#include "shell/currenthit.h"
#include "shell/htmlctrl.h"
#include "shell/mainfrm.h"
#include "shell/messageboxes.h"
#include "shell/voraview.h"
#include "tests/gui/fixturecorpus.h"

namespace {

QString Page(const QString& runs) { return QStringLiteral("{\"runs\":[%1]}").arg(runs); }

// Slots: 1 経部 / 2 詩経 / 3 巻一 (pages 1-2) / 4 巻二 (120 pages of 天)
//        5 史部 / 6 史記 / 7 巻一 (pages 1-2) / 8 巻百 (pages 65530-65539)
// 明月 stands on page 1 of 詩経 巻一 and, across a paragraph break, on page 1
// of 史記 巻一; 故鄉 stands before 明月 on page 2 of 詩経 巻一.
QString Source() {
    using testing_gui::Volume;
    QStringList heaven;
    for (int i = 0; i < 120; ++i) heaven << Page(QStringLiteral("\"天命之謂性\""));
    QStringList high;
    for (int i = 0; i < 10; ++i) high << Page(QStringLiteral("\"第%1頁\"").arg(65530 + i));
    return Volume(QStringLiteral("経部"), QStringLiteral("詩経"), QStringLiteral("巻一"), 1,
                  {Page(QStringLiteral("\"明月照高樓\"")),
                   Page(QStringLiteral("\"故鄉何處是\\n明月照我還\""))}) +
           Volume(QStringLiteral("経部"), QStringLiteral("詩経"), QStringLiteral("巻二"), 1,
                  heaven) +
           Volume(QStringLiteral("史部"), QStringLiteral("史記"), QStringLiteral("巻一"), 1,
                  {Page(QStringLiteral("\"春日遲遲，明\\n月清風\"")),
                   Page(QStringLiteral("\"黄帝者\""))}) +
           Volume(QStringLiteral("史部"), QStringLiteral("史記"), QStringLiteral("巻百"), 65530,
                  high);
}

// The text of the marks that carry the current-hit class, joined.
QString CurrentHitText(QWebEnginePage* page) {
    QString text;
    bool done = false;
    page->runJavaScript(QStringLiteral("Array.prototype.map.call(document.querySelectorAll('b.%1'),"
                                       "function (e) { return e.textContent; }).join('|')")
                            .arg(QString::fromLatin1(shell::kCurrentHitClass)),
                        QWebEngineScript::ApplicationWorld, [&](const QVariant& result) {
                            text = result.toString();
                            done = true;
                        });
    if (!QTest::qWaitFor([&] { return done; }, 10000)) return QStringLiteral("<no answer>");
    return text;
}

}  // namespace

class CoherentSearchTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void init();
    void cleanup();

    void startScopeIsTheWholeCorpus();
    void wholeCorpusEntrySitsAtTheTopOfTheTree();
    void enterInEitherBox_data();
    void enterInEitherBox();
    void rowKeepsItsSearch_data();
    void rowKeepsItsSearch();
    void rowKeepsTheLayerOfItsSearch();
    void matchAcrossAParagraphIsMarked();
    void pageOpensAtTheFirstHitInReadingOrder();
    void currentHitColourMoves();
    void pageNumbersPast65535();

  private:
    void Search(const QString& text);
    void SelectRow(int row);
    QString Summary() const;
    QString ScopeLabel() const;
    bool WaitForUrlEnding(const QString& suffix);
    shell::CVoraView* View() const { return m_frame->GetRightPane(); }
    panel::CLeftForm* Form() const { return m_frame->LeftForm(); }
    bool Enabled(int id) const { return m_frame->Action(id)->isEnabled(); }

    QTemporaryDir m_root;
    QString m_corpus;
    std::vector<QString> m_messages;
    shell::CMessageBoxes m_boxes;
    std::unique_ptr<shell::CMainFrame> m_frame;
};

void CoherentSearchTest::initTestCase() {
    QVERIFY(m_root.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_root.filePath("settings"));
    QCoreApplication::setOrganizationName(shell::kOrganisationName);
    QCoreApplication::setApplicationName(shell::kApplicationName);
    m_corpus = m_root.filePath("corpus");
    const QString error =
        testing_gui::BuildCorpus(QStringLiteral(ORVALE_BUILD_PROGRAM), m_corpus, Source());
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QVERIFY(QDir().mkpath(m_root.filePath("program")));
    m_boxes.SetPresenter(
        [this](QWidget*, const QString&, const QString& text) { m_messages.push_back(text); });
}

void CoherentSearchTest::init() {
    m_messages.clear();
    shell::FrameConfig config;
    config.dataDir = m_corpus.toStdString();
    config.programDir = m_root.filePath("program");
    config.tempRoot = m_root.path();
    config.listingPath = m_root.filePath("kvt.txt").toStdString();
    config.allowSplash = false;
    m_frame = std::make_unique<shell::CMainFrame>(config, m_boxes);
    m_frame->resize(1200, 800);
    m_frame->show();
    m_frame->activateWindow();
    QVERIFY(QTest::qWaitForWindowExposed(m_frame.get()));
}

void CoherentSearchTest::cleanup() { m_frame.reset(); }

void CoherentSearchTest::Search(const QString& text) {
    Form()->SelectTab(1);
    QLineEdit* field = Form()->KeywordBox()->Field();
    field->clear();
    field->setFocus();
    QInputMethodEvent commit;
    commit.setCommitString(text);
    QApplication::sendEvent(field, &commit);
    QTest::keyClick(field, Qt::Key_Return);
}

void CoherentSearchTest::SelectRow(int row) {
    panel::CSortListCtrl* list = Form()->ResultList();
    list->setCurrentItem(list->topLevelItem(row));
}

QString CoherentSearchTest::Summary() const {
    return qobject_cast<QLabel*>(Form()->Control(panel::kIdcSummary))->text();
}

QString CoherentSearchTest::ScopeLabel() const {
    return qobject_cast<QLabel*>(Form()->Control(panel::kIdcScopeLabel))->text();
}

bool CoherentSearchTest::WaitForUrlEnding(const QString& suffix) {
    return QTest::qWaitFor([&] { return View()->url().toString().endsWith(suffix); }, 10000);
}

void CoherentSearchTest::startScopeIsTheWholeCorpus() {
    QTreeWidgetItem* current = Form()->Tree()->currentItem();
    QVERIFY(current != nullptr);
    QCOMPARE(current->text(0), QStringLiteral("全体"));
    QVERIFY(current->isSelected());
    QCOMPARE(ScopeLabel(), QStringLiteral("全体"));
    QCOMPARE(static_cast<int>(Form()->Position().scopeEntry), panel::kWholeCorpusSlot);
    // Selecting it shows no page and makes no volume current.
    QCOMPARE(Form()->Position().currentVolume, 0);
    // 明月 stands in both categories; the first search covers both.
    Search(QStringLiteral("明月"));
    QCOMPARE(Summary(), QStringLiteral("全部で 3 頁で、3 箇所でした。"));
    // Rows go by page number, then record: page 1 of 詩経, page 1 of 史記, page 2.
    QCOMPARE(Form()->ResultList()->topLevelItem(1)->text(0), QStringLiteral("史部"));
    QVERIFY(m_messages.empty());
}

void CoherentSearchTest::wholeCorpusEntrySitsAtTheTopOfTheTree() {
    QTreeWidget* tree = Form()->Tree();
    QCOMPARE(tree->topLevelItem(0)->text(0), QStringLiteral("全体"));
    QCOMPARE(tree->topLevelItem(1)->text(0), QStringLiteral("経部"));
    QVERIFY(Form()->SelectTreeSlot(5));  // 史部
    QCOMPARE(ScopeLabel(), QStringLiteral("史部"));
    Search(QStringLiteral("明月"));
    QCOMPARE(Summary(), QStringLiteral("全部で 1 頁で、1 箇所でした。"));
    tree->setCurrentItem(tree->topLevelItem(0));
    QCOMPARE(ScopeLabel(), QStringLiteral("全体"));
    Search(QStringLiteral("明月"));
    QCOMPARE(Summary(), QStringLiteral("全部で 3 頁で、3 箇所でした。"));
    // Choosing 全体 after a volume keeps that volume for the page commands.
    QVERIFY(Form()->SelectTreeSlot(3));
    tree->setCurrentItem(tree->topLevelItem(0));
    QCOMPARE(Form()->Position().currentVolume, 3);
    QVERIFY(m_messages.empty());
}

void CoherentSearchTest::enterInEitherBox_data() {
    QTest::addColumn<QString>("first");  // the search that fills the list
    QTest::addColumn<bool>("inKeywordBox");
    QTest::addColumn<QString>("summary");
    QTest::addColumn<int>("resultPage");
    const QString heaven = QStringLiteral("全部で 120 頁で、120 箇所でした。");
    const QString moon = QStringLiteral("全部で 3 頁で、3 箇所でした。");
    QTest::newRow("keyword box, two result pages") << "天" << true << moon << 1;
    QTest::newRow("keyword box, one result page") << "黄帝" << true << moon << 1;
    QTest::newRow("page box, two result pages") << "天" << false << heaven << 2;
    QTest::newRow("page box, one result page")
        << "黄帝" << false << QStringLiteral("全部で 1 頁で、1 箇所でした。") << 1;
}

void CoherentSearchTest::enterInEitherBox() {
    QFETCH(QString, first);
    QFETCH(bool, inKeywordBox);
    QFETCH(QString, summary);
    QFETCH(int, resultPage);
    Search(first);
    // Both boxes hold something: the keyword box 明月, the page box 2.
    QLineEdit* field = Form()->KeywordBox()->Field();
    field->setText(QStringLiteral("明月"));
    auto* pageBox = qobject_cast<QLineEdit*>(Form()->Control(panel::kIdcResultPageEdit));
    if (pageBox->isReadOnly()) {
        QCOMPARE(pageBox->text(), QStringLiteral("1"));
    } else {
        pageBox->setText(QStringLiteral("2"));
    }
    QLineEdit* target = inKeywordBox ? field : pageBox;
    target->setFocus();
    QTest::keyClick(target, Qt::Key_Return);
    QCOMPARE(Summary(), summary);
    QCOMPARE(Form()->Paging().CurrentResultPage(), resultPage);
    QVERIFY(m_messages.empty());
}

void CoherentSearchTest::rowKeepsItsSearch_data() {
    QTest::addColumn<QString>("later");
    QTest::addColumn<QString>("message");
    QTest::newRow("empty box") << QString() << panel::kNoKeywordMessage;
    QTest::newRow("only spaces") << QStringLiteral("　 ") << panel::kNoKeywordMessage;
    QTest::newRow("refused characters")
        << QStringLiteral("abc")
        << QString::fromUtf8(engine::SearchStatusMessage(engine::SearchStatus::Refused));
    QTest::newRow("only a star") << QStringLiteral("*")
                                 << QString::fromUtf8(panel::kWildcardOnlyMessage);
    QTest::newRow("a wildcard-only term")
        << QStringLiteral("明月 ??") << QString::fromUtf8(panel::kWildcardOnlyMessage);
}

void CoherentSearchTest::rowKeepsItsSearch() {
    QFETCH(QString, later);
    QFETCH(QString, message);
    Search(QStringLiteral("明月"));
    const QString summary = Summary();
    Search(later);
    QCOMPARE(m_messages, std::vector<QString>{message});
    QCOMPARE(Summary(), summary);
    QCOMPARE(Form()->ResultList()->topLevelItemCount(), 3);
    QCOMPARE(Form()->Listed().keyword, std::u16string(u"明月"));
    SelectRow(0);
    QVERIFY(WaitForUrlEnding(QStringLiteral("#0000")));
    QCOMPARE(Form()->PageDisplay().HitCount(), 1);
    QTRY_VERIFY(testing_gui::PageHtml(View()->page()).contains(QStringLiteral(">明月</b>")));
}

void CoherentSearchTest::rowKeepsTheLayerOfItsSearch() {
    Search(QStringLiteral("明月"));
    // A click on 注釈 loads another index; the listed rows still belong to
    // the whole-text search and open with its layer.
    qobject_cast<QRadioButton*>(Form()->Control(panel::kIdcNotes))->click();
    QCOMPARE(Form()->TextLayer(), 2);
    SelectRow(0);
    QVERIFY(WaitForUrlEnding(QStringLiteral("#0000")));
    QCOMPARE(Form()->PageDisplay().HitCount(), 1);
    QCOMPARE(Form()->Listed().textLayer, 0);
}

void CoherentSearchTest::matchAcrossAParagraphIsMarked() {
    struct Case {
        QString query;
        QString marks;  // what the page must show, as a pattern over its HTML
    };
    const Case cases[] = {
        // The mark closes before the paragraph break and opens after it.
        {QStringLiteral("明月"), QStringLiteral("<b[^>]*>明</b>(</p>)?<p><b[^>]*>月</b>")},
        {QStringLiteral("春*風"), QStringLiteral("<b[^>]*>春</b>日遲遲.*<p>月清<b[^>]*>風</b>")},
    };
    for (const Case& c : cases) {
        Search(c.query);
        panel::CSortListCtrl* list = Form()->ResultList();
        int row = -1;
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            if (list->topLevelItem(i)->text(0) == QStringLiteral("史部")) row = i;
        }
        QVERIFY2(row >= 0, qPrintable(c.query));
        SelectRow(row);
        QVERIFY(WaitForUrlEnding(QStringLiteral("#0000")));
        QCOMPARE(Form()->PageDisplay().HitCount(), 1);
        QString html;
        QTRY_VERIFY2(
            (html = testing_gui::PageHtml(View()->page())).contains(QRegularExpression(c.marks)),
            qPrintable(html));
    }
}

void CoherentSearchTest::pageOpensAtTheFirstHitInReadingOrder() {
    // Anchors go keyword by keyword: 明月 is 0000, 故鄉 0001, but 故鄉 comes first.
    Search(QStringLiteral("明月 故鄉"));
    QCOMPARE(Form()->ResultList()->topLevelItemCount(), 1);
    SelectRow(0);
    QVERIFY(WaitForUrlEnding(QStringLiteral("#0001")));
    QCOMPARE(Form()->PageDisplay().CurrentHit(), 0);
    QVERIFY(!Enabled(shell::kIdPrevHit));
    QVERIFY(Enabled(shell::kIdNextHit));
    m_frame->OnCommand(shell::kIdNextHit);
    QVERIFY(WaitForUrlEnding(QStringLiteral("#0000")));
    QVERIFY(!Enabled(shell::kIdNextHit));
}

void CoherentSearchTest::currentHitColourMoves() {
    Search(QStringLiteral("明月 故鄉"));
    SelectRow(0);
    QVERIFY(WaitForUrlEnding(QStringLiteral("#0001")));
    QTRY_COMPARE(CurrentHitText(View()->page()), QStringLiteral("故鄉"));
    m_frame->OnCommand(shell::kIdNextHit);
    QVERIFY(WaitForUrlEnding(QStringLiteral("#0000")));
    QTRY_COMPARE(CurrentHitText(View()->page()), QStringLiteral("明月"));
    // The keys move it as well: Alt+F3 back, F3 forward.
    QTest::keyClick(m_frame.get(), Qt::Key_F3, Qt::AltModifier);
    QVERIFY(WaitForUrlEnding(QStringLiteral("#0001")));
    QTRY_COMPARE(CurrentHitText(View()->page()), QStringLiteral("故鄉"));
    QTest::keyClick(m_frame.get(), Qt::Key_F3);
    QVERIFY(WaitForUrlEnding(QStringLiteral("#0000")));
    QTRY_COMPARE(CurrentHitText(View()->page()), QStringLiteral("明月"));
    // The colour lives in one rule that a theme can override.
    QVERIFY(shell::CurrentHitStyle().startsWith(QStringLiteral("b.") +
                                                QString::fromLatin1(shell::kCurrentHitClass)));
}

void CoherentSearchTest::pageNumbersPast65535() {
    QVERIFY(Form()->SelectTreeSlot(8));
    QCOMPARE(Form()->Position().currentPage, 65530);
    QCOMPARE(m_frame->PageToolBar()->SliderRange(), (panel::PageRange{65530, 65539}));
    QTRY_VERIFY(testing_gui::PageHtml(View()->page()).contains(QStringLiteral("第65530頁")));
    for (int i = 0; i < 6; ++i) m_frame->OnCommand(shell::kIdNextPage);
    QCOMPARE(Form()->Position().currentPage, 65536);
    QTRY_VERIFY(testing_gui::PageHtml(View()->page()).contains(QStringLiteral("第65536頁")));
    emit m_frame->PageToolBar()->pageSliderReleased(65539);
    QCOMPARE(Form()->Position().currentPage, 65539);
    QTRY_VERIFY(testing_gui::PageHtml(View()->page()).contains(QStringLiteral("第65539頁")));
    QVERIFY(!Enabled(shell::kIdNextPage));
    QVERIFY(Enabled(shell::kIdPrevPage));
    QVERIFY(m_messages.empty());
}

QTEST_MAIN(CoherentSearchTest)
#include "coherentsearch_test.moc"
