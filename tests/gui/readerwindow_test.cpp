// The reader window driven as a user drives it, with the real web engine,
// on the fixture corpus of fixturecorpus.h: the search form, the result
// list and the page view.
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
using testing_gui::Message;

class ReaderWindowTest : public testing_gui::ReaderFixture {
    Q_OBJECT

  private slots:
    void initTestCase() { SetUpCorpus(); }
    void init() { StartReader(); }
    void cleanup() { StopReader(); }

    void startShowsBlankPageAndDisabledCommands();
    void searchTabFollowsTheFormRectangles();
    void menuHoldsEveryCommand();
    void typedSearchFillsSummaryAndRows();
    void ideographicSpacesSeparateKeywords();
    void emptyBoxAsksForAKeyword();
    void manyRowsGiveThreeResultPages();
    void enterAppliesPageEditWithSeveralResultPages();
    void selectingRowShowsComposedPageAtFirstHit();
    void resultFilesAlternate();
    void scopeRadiosSwitchIndexAndLayer();
    void messagesCarryApplicationName();
    void limitedCopy_data();
    void limitedCopy();
    void pageMenuOnlyOnAPage();
    void printWithoutPrinterWritesPdf();
    void pageListSortsByPageColumn();
};

void ReaderWindowTest::startShowsBlankPageAndDisabledCommands() {
    QCOMPARE(m_frame->windowTitle(), QStringLiteral("Saryn(Orvale)"));
    QCOMPARE(View()->GetLocationURL(), QStringLiteral("about:blank"));
    for (int id : {shell::kIdCopy, shell::kIdSelectAll, shell::kIdPrint, shell::kIdPrintSettings,
                   shell::kIdPrevPage, shell::kIdNextPage, shell::kIdPrevVolume,
                   shell::kIdNextVolume, shell::kIdPrevHit, shell::kIdNextHit}) {
        QVERIFY2(!Enabled(id), qPrintable(QString::number(id)));
    }
    QVERIFY(Enabled(shell::kIdShowAll));
    QVERIFY(Enabled(shell::kIdAbout));
    QCOMPARE(m_frame->Splitter()->sizes().value(0), 260);
    QCOMPARE(Summary(), QStringLiteral("検索集計："));
    QCOMPARE(qobject_cast<QLabel*>(Form()->Control(panel::kIdcScopeLabel))->text(),
             QStringLiteral("全体"));
    QCOMPARE(Form()->Control(panel::kIdcScopeLabel)->palette().color(QPalette::WindowText),
             QColor(255, 0, 0));
    QVERIFY(m_messages.empty());
    // The form's controls: 目録 first, the radios at their start values.
    QVERIFY(Form()->Tree()->isVisible());
    QVERIFY(qobject_cast<QRadioButton*>(Form()->Control(panel::kIdcAnd))->isChecked());
    QVERIFY(qobject_cast<QRadioButton*>(Form()->Control(panel::kIdcFull))->isChecked());
    QCOMPARE(Form()->Tree()->topLevelItemCount(), 3);  // 全体 and the two categories
    for (int id : {1001, 1004, 1007, 1009, 1010, 1011, 1019, 1020, 1022, 1030, 1033, 1035,
                   1041, 1042, 1043, 1044, 1045, 1055, 1057, 1058, 1059, 1061, 1062}) {
        QVERIFY2(Form()->Control(id), qPrintable(QString::number(id)));
    }
}

void ReaderWindowTest::searchTabFollowsTheFormRectangles() {
    Form()->SelectTab(1);
    const int w = Form()->width();
    const int h = Form()->height();
    struct Place {
        int id;
        QRect rect;
    };
    const Place places[] = {{panel::kIdcPrompt, {5, 28, w - 10, 15}},
                            {panel::kIdcKeyword, {5, 45, w - 60, 25}},
                            {panel::kIdcSearch, {w - 50, 45, 45, 25}},
                            {panel::kIdcOr, {w - 70, 115, 50, 20}},
                            {panel::kIdcNotes, {189, 160, 60, 20}},
                            {panel::kIdcScopeLabel, {10, 205, w - 30, 20}},
                            {panel::kIdcResultList, {5, 250, w - 10, h - 254}}};
    for (const Place& p : places) {
        QCOMPARE(Form()->Control(p.id)->geometry(), p.rect);
        QVERIFY(Form()->Control(p.id)->isVisible());
    }
    QVERIFY(!Form()->Tree()->isVisible());
    QVERIFY(!Form()->Control(panel::kIdcMainEdit)->isVisible());
    Form()->SelectTab(0);
    QCOMPARE(Form()->Tree()->geometry(), QRect(5, 26, w - 10, h - 30));
    QVERIFY(!Form()->Control(panel::kIdcKeyword)->isVisible());
}

void ReaderWindowTest::menuHoldsEveryCommand() {
    const std::vector<std::pair<int, QString>> items = {
        {32776, "印刷設定(&S)"}, {32777, "印刷(&P)"},       {57665, "終了(&X)"},
        {57634, "コピー(&C)"},   {32778, "すべて選択(&Q)"}, {59392, "ツールバー(&T)"},
        {59393, "状態バー(&S)"}, {32774, "全表示(&p)"},     {32780, "上の頁へ(&P)"},
        {32781, "次の頁へ(&N)"}, {32791, "上の巻へ"},       {32790, "次の巻へ"},
        {32805, "上の検索結果"}, {32806, "次の検索結果"},   {57664, "バージョン(&A)..."},
        {32798, "ヘルプ"}};
    for (const auto& [id, text] : items) {
        QAction* action = m_frame->Action(id);
        QVERIFY2(action, qPrintable(QString::number(id)));
        QCOMPARE(action->text(), text);
    }
    QCOMPARE(m_frame->Action(shell::kIdNextHit)->shortcut(), QKeySequence(Qt::Key_F3));
    QCOMPARE(m_frame->Action(shell::kIdPrevHit)->shortcut(), QKeySequence(Qt::ALT | Qt::Key_F3));
    QVERIFY(
        m_frame->Action(shell::kIdCopy)->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_C)));
}

void ReaderWindowTest::typedSearchFillsSummaryAndRows() {
    Search(QStringLiteral("明月"));
    QCOMPARE(Summary(), QStringLiteral("全部で 1 頁で、4 箇所でした。"));
    panel::CSortListCtrl* list = Form()->ResultList();
    QCOMPARE(list->topLevelItemCount(), 1);
    const QTreeWidgetItem* row = list->topLevelItem(0);
    QCOMPARE(row->text(0), QStringLiteral("経部"));
    QCOMPARE(row->text(1), QStringLiteral("詩経"));
    QCOMPARE(row->text(2), QStringLiteral("巻一"));
    QCOMPARE(row->text(3), QStringLiteral("1"));
    QCOMPARE(list->RecordIndexAt(0), 0);
    // One result page: the paging row shows "1" and "/1" with both buttons off.
    QVERIFY(Form()->Control(panel::kIdcPrevResultPage)->isVisible());
    QVERIFY(!Form()->Control(panel::kIdcPrevResultPage)->isEnabled());
    QVERIFY(!Form()->Control(panel::kIdcNextResultPage)->isEnabled());
    QVERIFY(qobject_cast<QLineEdit*>(Form()->Control(panel::kIdcResultPageEdit))->isReadOnly());
    QCOMPARE(qobject_cast<QLabel*>(Form()->Control(panel::kIdcResultPageCount))->text(),
             QStringLiteral("/1"));
    QVERIFY(m_messages.empty());
}

void ReaderWindowTest::ideographicSpacesSeparateKeywords() {
    qobject_cast<QRadioButton*>(Form()->Control(panel::kIdcOr))->setChecked(true);
    Search(QStringLiteral("明月　白雲"));
    QCOMPARE(Summary(), QStringLiteral("全部で 2 頁で、7 箇所でした。"));
    QCOMPARE(Form()->Keyword(), std::u16string(u"明月\u3000白雲"));
}

void ReaderWindowTest::emptyBoxAsksForAKeyword() {
    Search(QStringLiteral("明月"));
    Search(QString());
    QCOMPARE(Summary(), QStringLiteral("全部で 1 頁で、4 箇所でした。"));
    QCOMPARE(Form()->ResultList()->topLevelItemCount(), 1);
    QCOMPARE(m_messages.size(), std::size_t{1});
    QCOMPARE(m_messages.front().text, panel::kNoKeywordMessage);
}

void ReaderWindowTest::manyRowsGiveThreeResultPages() {
    Search(QStringLiteral("天"));
    QCOMPARE(Summary(), QStringLiteral("全部で 250 頁で、250 箇所でした。"));
    QCOMPARE(Form()->Paging().TotalResultPages(), 3);
    auto* list = Form()->ResultList();
    auto* prev = Form()->Control(panel::kIdcPrevResultPage);
    auto* next = Form()->Control(panel::kIdcNextResultPage);
    auto* edit = qobject_cast<QLineEdit*>(Form()->Control(panel::kIdcResultPageEdit));
    auto* count = qobject_cast<QLabel*>(Form()->Control(panel::kIdcResultPageCount));
    QVERIFY(prev->isVisible());
    QCOMPARE(count->text(), QStringLiteral("/3"));

    struct Step {
        int rows;
        QString edit;
        bool prev;
        bool next;
        QString firstPage;
    };
    const Step steps[] = {
        {100, "1", false, true, "5"}, {100, "2", true, true, "105"}, {50, "3", true, false, "205"}};
    for (const Step& step : steps) {
        QCOMPARE(list->topLevelItemCount(), step.rows);
        QCOMPARE(edit->text(), step.edit);
        QCOMPARE(prev->isEnabled(), step.prev);
        QCOMPARE(next->isEnabled(), step.next);
        QCOMPARE(list->topLevelItem(0)->text(3), step.firstPage);
        if (step.next) QTest::mouseClick(next, Qt::LeftButton);
    }
    QTest::mouseClick(prev, Qt::LeftButton);
    QCOMPARE(edit->text(), QStringLiteral("2"));
    // The list sits above the paging row.
    QVERIFY(list->geometry().bottom() < prev->geometry().top());
}

void ReaderWindowTest::enterAppliesPageEditWithSeveralResultPages() {
    Search(QStringLiteral("天"));
    auto* edit = qobject_cast<QLineEdit*>(Form()->Control(panel::kIdcResultPageEdit));
    edit->setText(QStringLiteral("3"));
    // Enter in the result-page box applies it, whatever the keyword box holds.
    QLineEdit* field = Form()->KeywordBox()->Field();
    field->setText(QStringLiteral("明月"));
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Return);
    QCOMPARE(Form()->Paging().CurrentResultPage(), 3);
    QCOMPARE(Summary(), QStringLiteral("全部で 250 頁で、250 箇所でした。"));
    // Out-of-range numbers put the current page back.
    for (const char* typed : {"0", "x", "4"}) {
        edit->setText(QString::fromLatin1(typed));
        Form()->OnResultPageEdited();
        QCOMPARE(edit->text(), QStringLiteral("3"));
    }
}

void ReaderWindowTest::selectingRowShowsComposedPageAtFirstHit() {
    Search(QStringLiteral("明月"));
    SelectRow(0);
    QVERIFY(WaitForUrlEnding(QStringLiteral("#0000")));
    QVERIFY(View()->url().isLocalFile());
    const QString file = View()->url().toLocalFile();
    QVERIFY(file.endsWith(QStringLiteral("windows1.html")) ||
            file.endsWith(QStringLiteral("windows2.html")));
    QCOMPARE(QFileInfo(file).absolutePath(),
             QString::fromStdString(Form()->PageDisplay().Folder()));
    const QFile::Permissions others = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                                      QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
    QCOMPARE(QFileInfo(QFileInfo(file).absolutePath()).permissions() & others,
             QFile::Permissions());
    QCOMPARE(Form()->PageDisplay().HitCount(), 4);
    QCOMPARE(Form()->PageDisplay().CurrentHit(), 0);
    QTRY_VERIFY(testing_gui::PageHtml(View()->page()).contains(QStringLiteral("name=\"0000\"")));
    QVERIFY(testing_gui::PageHtml(View()->page()).contains(QStringLiteral("color:red")));
    // A page is shown: the edit and print commands come on.
    QVERIFY(Enabled(shell::kIdCopy));
    QVERIFY(Enabled(shell::kIdPrint));
    QVERIFY(Enabled(shell::kIdNextHit));
}

void ReaderWindowTest::resultFilesAlternate() {
    Search(QStringLiteral("天"));
    QStringList files;
    for (int row : {0, 1, 2}) {
        SelectRow(row);
        QVERIFY(WaitForUrlEnding(QStringLiteral("#0000")));
        QTRY_VERIFY(files.isEmpty() || View()->url().toLocalFile() != files.last());
        files << View()->url().toLocalFile();
    }
    QVERIFY(files[0] != files[1]);
    QCOMPARE(files[0], files[2]);
    QCOMPARE(QString::fromStdString(Form()->PageDisplay().CurrentResultFile()), files[2]);
}

void ReaderWindowTest::scopeRadiosSwitchIndexAndLayer() {
    struct Case {
        int radio;
        int layer;
        QString summary;
    };
    const Case cases[] = {{panel::kIdcMain, 1, "全部で 1 頁で、3 箇所でした。"},
                          {panel::kIdcNotes, 2, "全部で 1 頁で、1 箇所でした。"},
                          {panel::kIdcFull, 0, "全部で 1 頁で、4 箇所でした。"}};
    Form()->SelectTab(1);
    for (const Case& c : cases) {
        QTest::mouseClick(Form()->Control(c.radio), Qt::LeftButton, {}, QPoint(5, 10));
        QCOMPARE(Form()->TextLayer(), c.layer);
        QVERIFY(Form()->Index().IsLoaded());
        Search(QStringLiteral("明月"));
        QCOMPARE(Summary(), c.summary);
    }
    QVERIFY(m_messages.empty());
}

void ReaderWindowTest::messagesCarryApplicationName() {
    Search(QStringLiteral("abc"));  // refused: letters are not searchable
    QCOMPARE(m_messages.size(), std::size_t{1});
    QCOMPARE(Form()->ResultList()->topLevelItemCount(), 0);
    QCOMPARE(Summary(), QStringLiteral("検索集計："));

    Search(QStringLiteral("明月"));
    SelectRow(0);
    QVERIFY(WaitForUrlEnding(QStringLiteral("#0000")));
    View()->setFocus();
    QWidget* inner = View()->focusProxy() ? View()->focusProxy() : View();
    // Ctrl alone no longer speaks; Ctrl+C does.
    QTest::keyPress(inner, Qt::Key_Control);
    QTest::keyRelease(inner, Qt::Key_Control);
    QCOMPARE(m_messages.size(), std::size_t{1});
    QTest::keyClick(inner, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(m_messages.size(), std::size_t{2});
    QCOMPARE(m_messages.back().text, QStringLiteral("マウスの右ボタンでコピーして下さい。"));
    for (const Message& m : m_messages)
        QCOMPARE(m.caption, QStringLiteral("Sarynシリーズ⑫(Orvale)"));
}

void ReaderWindowTest::limitedCopy_data() {
    QTest::addColumn<int>("characters");
    QTest::addColumn<bool>("browserCopyKept");
    QTest::newRow("300 characters") << 300 << true;
    QTest::newRow("301 characters") << 301 << false;
}

void ReaderWindowTest::limitedCopy() {
    QFETCH(int, characters);
    QFETCH(bool, browserCopyKept);
    const QString path = m_root.filePath(QStringLiteral("copy%1.html").arg(characters));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write((QStringLiteral("<html><head><meta charset=\"utf-8\"></head><body>") +
                QString(characters, QChar(0x660E)) + QStringLiteral("</body></html>"))
                   .toUtf8());
    file.close();
    View()->Navigate2(path);
    QTRY_VERIFY(Enabled(shell::kIdSelectAll));
    QTRY_VERIFY(View()->url().toLocalFile() == path);
    QTest::qWait(200);
    m_frame->OnCommand(shell::kIdSelectAll);
    QTRY_COMPARE(View()->selectedText().size(), characters);
    QApplication::clipboard()->setText(QStringLiteral("before"));
    m_frame->OnCommand(shell::kIdCopy);
    QTRY_COMPARE(QApplication::clipboard()->text().size(), 300);
    QCOMPARE(QApplication::clipboard()->text(), QString(300, QChar(0x660E)));
    QCOMPARE(QApplication::clipboard()->mimeData()->hasHtml(), browserCopyKept);
}

void ReaderWindowTest::pageMenuOnlyOnAPage() {
    QWidget* inner = View()->focusProxy() ? View()->focusProxy() : View();
    QTest::mousePress(inner, Qt::RightButton, {}, QPoint(50, 50));
    QTest::mouseRelease(inner, Qt::RightButton, {}, QPoint(50, 50));
    QVERIFY(!View()->PageMenu()->isVisible());
    QCOMPARE(View()->PageMenu()->actions().size(), 3);
    QCOMPARE(View()->PageMenu()->actions()[0]->text(),
             QStringLiteral("コピー(300字以内に制限しています。)"));
    QCOMPARE(View()->PageMenu()->actions()[1]->text(), QStringLiteral("すべて選択。"));
    QCOMPARE(View()->PageMenu()->actions()[2]->text(), QStringLiteral("類似箇所を探す"));
    Form()->SelectTreeSlot(3);
    QVERIFY(WaitForUrlEnding(QStringLiteral("windows.html")));
    inner = View()->focusProxy() ? View()->focusProxy() : View();
    QTest::mousePress(inner, Qt::RightButton, {}, QPoint(50, 50));
    QTRY_VERIFY(View()->PageMenu()->isVisible());
    View()->PageMenu()->close();
}

void ReaderWindowTest::printWithoutPrinterWritesPdf() {
    if (!QPrinterInfo::defaultPrinter().isNull()) QSKIP("this machine has a printer");
    const QString folder = m_root.filePath(QStringLiteral("documents"));
    View()->SetPdfFolder(folder);
    QVERIFY(Form()->SelectTreeSlot(3));
    QVERIFY(WaitForUrlEnding(QStringLiteral("windows.html")));
    QTRY_VERIFY(Enabled(shell::kIdPrint));
    m_frame->OnCommand(shell::kIdPrint);
    QTRY_VERIFY_WITH_TIMEOUT(!m_messages.empty(), 20000);
    const QString path = View()->LastPdfPath();
    QVERIFY(path.startsWith(folder));
    QVERIFY(m_messages.back().text.contains(path));
    QFile pdf(path);
    QVERIFY(pdf.open(QIODevice::ReadOnly));
    QVERIFY(pdf.read(5) == "%PDF-");
}

void ReaderWindowTest::pageListSortsByPageColumn() {
    panel::CSortListCtrl list;
    list.AddRow("a", "x", "v", 12, 100);
    list.AddRow("b", "y", "v", 3, 101);
    list.AddRow("c", "z", "v", 7, 102);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    QHeaderView* header = list.header();
    auto clickHeader = [&](int column) {
        const int x = header->sectionViewportPosition(column) + header->sectionSize(column) / 2;
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
    };
    clickHeader(1);  // 書名: nothing happens
    QCOMPARE(list.RecordIndexAt(0), 100);
    clickHeader(panel::CSortListCtrl::kPageColumn);
    QCOMPARE(list.topLevelItem(0)->text(3), QStringLiteral("3"));
    QCOMPARE(list.topLevelItem(1)->text(3), QStringLiteral("7"));
    QCOMPARE(list.topLevelItem(2)->text(3), QStringLiteral("12"));
    QCOMPARE(list.RecordIndexAt(0), 101);
}

int main(int argc, char** argv) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    ReaderWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "readerwindow_test.moc"
