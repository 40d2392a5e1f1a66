// The reading commands driven in the real window with the real web engine:
// the Ctrl keys of the page view, zoom, vertical text, find in page, back
// and forward, the keyword history and the dark colours. The corpus is built
// here: a short volume with known counts and a long page that overflows the
// view in both writing directions.
#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QCompleter>
#include <QDir>
#include <QFile>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWheelEvent>
#include <memory>
#include <vector>

#include "panel/leftform.h"
#include "panel/sortlistctrl.h"
#include "shell/commandids.h"
#include "shell/findbar.h"
#include "shell/historynav.h"
#include "shell/htmlctrl.h"
#include "shell/keywordhistory.h"
#include "shell/mainfrm.h"
#include "shell/messageboxes.h"
#include "shell/pagelook.h"
#include "shell/readingcommands.h"
#include "shell/voraview.h"

using shell::CMainFrame;

namespace {

// Slot 3: 詩経 巻一, pages 1-3 (明月 four times on page 1: three in the text,
// one in the note). Slot 5: 長篇 巻一, one long page with 月 at its start,
// in its middle and at its end.
QString BuildCorpus(const QString& folder) {
    auto page = [](const QString& text, const QString& note = {}) {
        QString runs = QStringLiteral("\"%1\"").arg(text);
        if (!note.isEmpty()) runs += QStringLiteral(",{\"note\":\"%1\"}").arg(note);
        return QStringLiteral("{\"runs\":[%1]}").arg(runs);
    };
    const QString filler = QStringLiteral("之乎者也").repeated(200);
    const QString source =
        QStringLiteral(
            "{\"category\":\"経部\",\"title\":\"詩経\",\"volume\":\"巻一\","
            "\"first_page\":1,\"pages\":[%1,%2,%3]}\n")
            .arg(page(QStringLiteral("明月明月明月照高樓"), QStringLiteral("明月注")),
                 page(QStringLiteral("關關雎鳩在河之洲")),
                 page(QStringLiteral("窈窕淑女君子好逑"))) +
        QStringLiteral(
            "{\"category\":\"経部\",\"title\":\"長篇\",\"volume\":\"巻一\","
            "\"first_page\":1,\"pages\":[%1]}\n")
            .arg(page(QStringLiteral("月") + filler + QStringLiteral("月") + filler +
                      QStringLiteral("月")));
    QFile file(folder + QStringLiteral(".jsonl"));
    if (!file.open(QIODevice::WriteOnly)) return QStringLiteral("cannot write the source");
    file.write(source.toUtf8());
    file.close();
    QProcess build;
    build.start(QStringLiteral(ORVALE_BUILD_PROGRAM), {file.fileName(), folder});
    if (!build.waitForFinished(60000) || build.exitCode() != 0) {
        return QStringLiteral("orvale-build failed: ") +
               QString::fromUtf8(build.readAllStandardError());
    }
    return {};
}

// Runs script in the page's isolated world and waits for its value.
QVariant Js(QWebEnginePage* page, const QString& script) {
    QVariant out;
    bool done = false;
    page->runJavaScript(script, QWebEngineScript::ApplicationWorld, [&](const QVariant& value) {
        out = value;
        done = true;
    });
    if (!QTest::qWaitFor([&] { return done; }, 10000)) return {};
    return out;
}

// Whether the hit anchor's following mark lies inside the viewport.
const QString kAnchorInView = QStringLiteral(
    "(function(){var a=document.getElementsByName('%1')[0];if(!a)return 'none';"
    "var m=a.nextElementSibling||a;var r=m.getBoundingClientRect();"
    "return r.right>0&&r.left<window.innerWidth&&r.bottom>0&&r.top<window.innerHeight;})()");

}  // namespace

class ReadingComfortTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void init();
    void cleanup();

    void onlyCopyKeysAreTurnedAway();
    void zoomKeysAndWheelAreKeptAcrossRestart();
    void verticalTextAndF3BringHitIntoView();
    void findCountsOccurrences();
    void backAndForwardOverMixedPath();
    void recentKeywordsSurviveRestart();
    void darkColoursReachTheView();
    void keysReachCommandsFromThePage();

  private:
    void MakeFrame();
    void Search(const QString& text);
    void ShowResultRow(int row);
    bool WaitForUrlEnding(const QString& suffix);
    bool WaitForStyle();
    QWidget* Inner() const;
    shell::CVoraView* View() const { return m_frame->GetRightPane(); }
    panel::CLeftForm* Form() const { return m_frame->LeftForm(); }
    shell::CReadingCommands* Reading() const { return m_frame->Reading(); }

    QTemporaryDir m_root;
    QString m_corpus;
    std::vector<QString> m_messages;
    shell::CMessageBoxes m_boxes;
    std::unique_ptr<CMainFrame> m_frame;
};

void ReadingComfortTest::initTestCase() {
    QVERIFY(m_root.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_root.filePath("settings"));
    QCoreApplication::setOrganizationName(shell::kOrganisationName);
    QCoreApplication::setApplicationName(shell::kApplicationName);
    m_corpus = m_root.filePath("corpus");
    const QString error = BuildCorpus(m_corpus);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QVERIFY(QDir().mkpath(m_root.filePath("program")));
    m_boxes.SetPresenter(
        [this](QWidget*, const QString&, const QString& text) { m_messages.push_back(text); });
}

void ReadingComfortTest::init() {
    QSettings().clear();
    m_messages.clear();
    MakeFrame();
}

void ReadingComfortTest::cleanup() { m_frame.reset(); }

void ReadingComfortTest::MakeFrame() {
    m_frame.reset();
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
    QTRY_COMPARE(View()->url().toString(), QStringLiteral("about:blank"));
}

void ReadingComfortTest::Search(const QString& text) {
    Form()->SelectTab(1);
    QLineEdit* field = Form()->KeywordBox()->Field();
    field->clear();
    field->setFocus();
    QInputMethodEvent commit;
    commit.setCommitString(text);
    QApplication::sendEvent(field, &commit);
    QTest::keyClick(field, Qt::Key_Return);
}

void ReadingComfortTest::ShowResultRow(int row) {
    panel::CSortListCtrl* list = Form()->ResultList();
    QVERIFY(list->topLevelItemCount() > row);
    list->setCurrentItem(list->topLevelItem(row));
    QVERIFY(WaitForUrlEnding(QStringLiteral("#0000")));
}

bool ReadingComfortTest::WaitForUrlEnding(const QString& suffix) {
    return QTest::qWaitFor([&] { return View()->url().toString().endsWith(suffix); }, 10000);
}

bool ReadingComfortTest::WaitForStyle() {
    return QTest::qWaitFor(
        [&] {
            return Js(View()->page(), QStringLiteral("!!document.getElementById('orvale-reading')"))
                .toBool();
        },
        10000);
}

QWidget* ReadingComfortTest::Inner() const {
    return View()->focusProxy() ? View()->focusProxy() : View();
}

void ReadingComfortTest::onlyCopyKeysAreTurnedAway() {
    QTemporaryDir pdfs;
    View()->SetPdfFolder(pdfs.path());
    Search(QStringLiteral("明月"));
    ShowResultRow(0);
    View()->setFocus();
    QVERIFY(QTest::qWaitFor([&] { return Inner()->hasFocus(); }, 5000));
    struct Key {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
    };
    const Key guarded[] = {{Qt::Key_C, Qt::ControlModifier},
                           {Qt::Key_X, Qt::ControlModifier},
                           {Qt::Key_A, Qt::ControlModifier},
                           {Qt::Key_Insert, Qt::ControlModifier},
                           {Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier}};
    for (const Key& k : guarded) {
        m_messages.clear();
        QTest::keyClick(Inner(), k.key, k.modifiers);
        QCOMPARE(m_messages.size(), std::size_t{1});
        QCOMPARE(m_messages.back(), QStringLiteral("マウスの右ボタンでコピーして下さい。"));
    }
    m_messages.clear();
    QTest::keyPress(Inner(), Qt::Key_Control);
    QTest::keyRelease(Inner(), Qt::Key_Control);
    QTest::keyClick(Inner(), Qt::Key_F, Qt::ControlModifier);
    QTRY_VERIFY(Reading()->FindBar().isVisible());
    QVERIFY(m_messages.empty());
    Reading()->FindBar().Close();
    // Ctrl+P prints (here, with no printer, to a PDF file).
    View()->setFocus();
    QTest::keyClick(Inner(), Qt::Key_P, Qt::ControlModifier);
    QTRY_VERIFY_WITH_TIMEOUT(!View()->LastPdfPath().isEmpty(), 10000);
    // Printing has finished when it says where the file went.
    QTRY_VERIFY_WITH_TIMEOUT(!m_messages.empty(), 20000);
    QVERIFY(m_messages.back().contains(QStringLiteral("PDFファイルに印刷しました")));
    QVERIFY(QFile::exists(View()->LastPdfPath()));
    for (const QString& m : m_messages)
        QVERIFY2(!m.contains(QStringLiteral("右ボタン")), qPrintable(m));
    // The limited copy of the page menu is still there.
    QCOMPARE(View()->PageMenu()->actions().value(0)->text(),
             QStringLiteral("コピー(300字以内に制限しています。)"));
}

void ReadingComfortTest::zoomKeysAndWheelAreKeptAcrossRestart() {
    Search(QStringLiteral("明月"));
    ShowResultRow(0);
    View()->setFocus();
    QTest::keyClick(Inner(), Qt::Key_Equal, Qt::ControlModifier);
    QTRY_COMPARE(View()->zoomFactor(), 1.1);
    QTest::keyClick(Inner(), Qt::Key_Minus, Qt::ControlModifier);
    QTest::keyClick(Inner(), Qt::Key_Minus, Qt::ControlModifier);
    QTRY_COMPARE(View()->zoomFactor(), 0.9);
    QTest::keyClick(Inner(), Qt::Key_0, Qt::ControlModifier);
    QTRY_COMPARE(View()->zoomFactor(), 1.0);
    // Ctrl+wheel: a notch up zooms in, a notch down zooms out.
    const QPointF at(50, 50);
    for (int delta : {120, 120}) {
        QWheelEvent wheel(at, Inner()->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                          Qt::ControlModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(Inner(), &wheel);
    }
    QTRY_COMPARE(View()->zoomFactor(), 1.25);
    QVERIFY(m_frame->Action(shell::kIdZoomIn)->isEnabled());
    Reading()->Look().SetZoom(200);
    MakeFrame();
    QCOMPARE(Reading()->Look().Settings().zoomPercent, 200);
    QCOMPARE(View()->zoomFactor(), 2.0);
    // A stored value out of range is clamped.
    QSettings().setValue(QStringLiteral("Reading/Zoom"), 900);
    MakeFrame();
    QCOMPARE(View()->zoomFactor(), 3.0);
    QVERIFY(!m_frame->Action(shell::kIdZoomIn)->isEnabled());
    QSettings().setValue(QStringLiteral("Reading/Zoom"), QStringLiteral("big"));
    MakeFrame();
    QCOMPARE(View()->zoomFactor(), 1.0);
}

void ReadingComfortTest::verticalTextAndF3BringHitIntoView() {
    Search(QStringLiteral("月"));
    // The long page is the row of 長篇.
    panel::CSortListCtrl* list = Form()->ResultList();
    int longRow = -1;
    for (int row = 0; row < list->topLevelItemCount(); ++row) {
        for (int column = 0; column < list->columnCount(); ++column) {
            if (list->topLevelItem(row)->text(column).contains(QStringLiteral("長篇")))
                longRow = row;
        }
    }
    QVERIFY(longRow >= 0);
    ShowResultRow(longRow);
    QCOMPARE(Form()->PageDisplay().HitCount(), 3);
    const QString writingMode = QStringLiteral(
        "getComputedStyle(document.querySelector('td>div[style*=\"line-height\"]')).writingMode");
    for (bool vertical : {false, true}) {
        if (vertical) m_frame->OnCommand(shell::kIdVertical);
        QCOMPARE(m_frame->Action(shell::kIdVertical)->isChecked(), vertical);
        QVERIFY(WaitForStyle());
        QTRY_COMPARE(Js(View()->page(), writingMode).toString(),
                     vertical ? QStringLiteral("vertical-rl") : QStringLiteral("horizontal-tb"));
        // The page overflows the view in the reading direction.
        const QString overflow =
            vertical ? QStringLiteral("document.scrollingElement.scrollWidth>window.innerWidth")
                     : QStringLiteral("document.scrollingElement.scrollHeight>window.innerHeight");
        QVERIFY(Js(View()->page(), overflow).toBool());
        for (int hit : {1, 2}) {
            m_frame->OnCommand(shell::kIdNextHit);
            const QString anchor = QStringLiteral("%1").arg(hit, 4, 10, QLatin1Char('0'));
            QVERIFY(WaitForUrlEnding(QLatin1Char('#') + anchor));
            QTRY_COMPARE(Js(View()->page(), kAnchorInView.arg(anchor)).toString(),
                         QStringLiteral("true"));
        }
        m_frame->OnCommand(shell::kIdPrevHit);
        m_frame->OnCommand(shell::kIdPrevHit);
        QVERIFY(WaitForUrlEnding(QStringLiteral("#0000")));
        QTRY_COMPARE(Js(View()->page(), kAnchorInView.arg(QStringLiteral("0000"))).toString(),
                     QStringLiteral("true"));
    }
    // A page shown from the catalogue opens where its text begins: the right
    // edge of the text block is in view.
    QVERIFY(Form()->SelectTreeSlot(5));
    QVERIFY(WaitForUrlEnding(QStringLiteral("windows.html")));
    QVERIFY(WaitForStyle());
    const QString startInView = QStringLiteral(
        "(function(){var r=document.querySelector('td>div[style*=\"line-height\"]')"
        ".getBoundingClientRect();return r.right>0&&r.right<=window.innerWidth"
        "&&r.left<0;})()");
    QTRY_COMPARE(Js(View()->page(), startInView).toString(), QStringLiteral("true"));
    // The setting is kept; the page file itself is untouched.
    MakeFrame();
    QVERIFY(Reading()->Look().Settings().vertical);
    QVERIFY(m_frame->Action(shell::kIdVertical)->isChecked());
}

void ReadingComfortTest::findCountsOccurrences() {
    QVERIFY(Form()->SelectTreeSlot(3));
    QVERIFY(WaitForUrlEnding(QStringLiteral("windows.html")));
    QTRY_VERIFY(m_frame->Action(shell::kIdFindInPage)->isEnabled());
    QApplication::clipboard()->setText(QStringLiteral("before"));
    QTRY_VERIFY_WITH_TIMEOUT(Js(View()->page(), QStringLiteral("document.body.innerText"))
                                 .toString()
                                 .contains(QStringLiteral("照高樓")),
                             10000);
    m_frame->OnCommand(shell::kIdFindInPage);
    shell::CFindBar& bar = Reading()->FindBar();
    QVERIFY(bar.isVisible());
    QVERIFY(bar.Field()->hasFocus());
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("明月"));
    QApplication::sendEvent(bar.Field(), &commit);
    QTRY_COMPARE(bar.CountText(), QStringLiteral("1 / 4"));
    QTest::keyClick(bar.Field(), Qt::Key_Return);
    QTRY_COMPARE(bar.CountText(), QStringLiteral("2 / 4"));
    QTest::keyClick(bar.Field(), Qt::Key_Return, Qt::ShiftModifier);
    QTRY_COMPARE(bar.CountText(), QStringLiteral("1 / 4"));
    bar.Field()->setText(QStringLiteral("高樓"));
    QTRY_COMPARE(bar.CountText(), QStringLiteral("1 / 1"));
    bar.Field()->setText(QStringLiteral("白雲"));
    QTRY_COMPARE(bar.CountText(), QStringLiteral("0 / 0"));
    QTest::keyClick(bar.Field(), Qt::Key_Escape);
    QVERIFY(!bar.isVisible());
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("before"));
    QCOMPARE(shell::FindCountText(3, 0), QStringLiteral("0 / 0"));
}

void ReadingComfortTest::backAndForwardOverMixedPath() {
    QVERIFY(!m_frame->Action(shell::kIdHistoryBack)->isEnabled());
    QVERIFY(Form()->SelectTreeSlot(3));
    QVERIFY(WaitForUrlEnding(QStringLiteral("windows.html")));
    m_frame->OnCommand(shell::kIdNextPage);
    QCOMPARE(Form()->Position().currentPage, 2);
    Search(QStringLiteral("明月"));
    ShowResultRow(0);
    m_frame->OnCommand(shell::kIdNextHit);
    QVERIFY(WaitForUrlEnding(QStringLiteral("#0001")));
    QCOMPARE(Reading()->History().History().Entries().size(), std::size_t{3});
    QVERIFY(m_frame->Action(shell::kIdHistoryBack)->isEnabled());
    QVERIFY(!m_frame->Action(shell::kIdHistoryForward)->isEnabled());

    // Alt+Left: back to page 2, then page 1 of the volume.
    QTest::keyClick(m_frame.get(), Qt::Key_Left, Qt::AltModifier);
    QVERIFY(WaitForUrlEnding(QStringLiteral("windows.html")));
    QCOMPARE(Form()->Position().currentPage, 2);
    m_frame->OnCommand(shell::kIdHistoryBack);
    QTRY_COMPARE(Form()->Position().currentPage, 1);
    QVERIFY(!m_frame->Action(shell::kIdHistoryBack)->isEnabled());
    // The mouse's forward button, then Alt+Right: the result page at its hit.
    QTest::mousePress(Form(), Qt::ForwardButton);
    QTRY_COMPARE(Form()->Position().currentPage, 2);
    QTest::keyClick(m_frame.get(), Qt::Key_Right, Qt::AltModifier);
    QVERIFY(WaitForUrlEnding(QStringLiteral("#0001")));
    QCOMPARE(Form()->PageDisplay().CurrentHit(), 1);
    QVERIFY(!m_frame->Action(shell::kIdHistoryForward)->isEnabled());
    // Going back and forward added nothing.
    QCOMPARE(Reading()->History().History().Entries().size(), std::size_t{3});
}

void ReadingComfortTest::recentKeywordsSurviveRestart() {
    Search(QStringLiteral("明月"));
    Search(QStringLiteral("高樓"));
    Search(QStringLiteral("明月"));
    QCOMPARE(Reading()->Keywords().Items(),
             (QStringList{QStringLiteral("明月"), QStringLiteral("高樓")}));
    MakeFrame();
    shell::CKeywordHistory& keywords = Reading()->Keywords();
    QCOMPARE(keywords.Items(), (QStringList{QStringLiteral("明月"), QStringLiteral("高樓")}));
    // The drop-down offers them; Delete removes the highlighted one.
    Form()->SelectTab(1);
    QLineEdit* field = Form()->KeywordBox()->Field();
    field->setFocus();
    field->setText(QStringLiteral("高樓"));
    QTest::keyClick(field, Qt::Key_Down);
    QAbstractItemView* popup = keywords.Completer()->popup();
    QTRY_VERIFY(popup->isVisible());
    QCOMPARE(popup->model()->rowCount(), 2);
    popup->setCurrentIndex(popup->model()->index(1, 0));
    QTest::keyClick(popup, Qt::Key_Delete);
    QCOMPARE(keywords.Items(), QStringList{QStringLiteral("明月")});
    QTest::keyClick(popup, Qt::Key_Return);
    QTRY_COMPARE(field->text(), QStringLiteral("明月"));
    MakeFrame();
    QCOMPARE(Reading()->Keywords().Items(), QStringList{QStringLiteral("明月")});
}

void ReadingComfortTest::darkColoursReachTheView() {
    Search(QStringLiteral("明月"));
    ShowResultRow(0);
    QVERIFY(WaitForStyle());
    const QString colours = QStringLiteral(
        "(function(){var b=getComputedStyle(document.body);"
        "var m=getComputedStyle(document.querySelector('b:not(.orvale-current-hit)'));"
        "return [b.backgroundColor,b.color,m.color,m.backgroundColor].join(';');})()");
    QTRY_COMPARE(
        Js(View()->page(), colours).toString(),
        QStringLiteral("rgb(255, 255, 255);rgb(0, 0, 0);rgb(176, 0, 0);rgb(217, 217, 217)"));
    m_frame->OnCommand(shell::kIdSchemeDark);
    QVERIFY(m_frame->Action(shell::kIdSchemeDark)->isChecked());
    QTRY_COMPARE(
        Js(View()->page(), colours).toString(),
        QStringLiteral("rgb(30, 30, 30);rgb(230, 230, 230);rgb(255, 156, 156);rgb(64, 64, 64)"));
    // The window's lists follow, and the red scope label turns light red.
    QVERIFY(Form()->Tree()->palette().color(QPalette::Base).lightness() < 64);
    const auto scopeColour = [this] {
        return Form()->Control(panel::kIdcScopeLabel)->palette().color(QPalette::WindowText);
    };
    QTRY_COMPARE(scopeColour(), QColor(255, 156, 156));
    QVERIFY(Form()->ResultList()->palette().color(QPalette::Text).lightness() > 192);
    // Kept across a restart; the light scheme brings the page's colours back.
    MakeFrame();
    QVERIFY(Reading()->Look().IsDark());
    m_frame->OnCommand(shell::kIdSchemeLight);
    QVERIFY(!Reading()->Look().IsDark());
    QTRY_VERIFY(Form()->Tree()->palette().color(QPalette::Base).lightness() > 192);
    QTRY_COMPARE(scopeColour(), QColor(255, 0, 0));
}

void ReadingComfortTest::keysReachCommandsFromThePage() {
    // Every command of these menus shows its key.
    struct Shown {
        int id;
        QKeySequence key;
    };
    const Shown shown[] = {
        {shell::kIdPrint, QKeySequence(Qt::CTRL | Qt::Key_P)},
        {shell::kIdFindInPage, QKeySequence(Qt::CTRL | Qt::Key_F)},
        {shell::kIdFocusKeyword, QKeySequence(Qt::CTRL | Qt::Key_L)},
        {shell::kIdZoomIn, QKeySequence(Qt::CTRL | Qt::Key_Plus)},
        {shell::kIdZoomOut, QKeySequence(Qt::CTRL | Qt::Key_Minus)},
        {shell::kIdZoomReset, QKeySequence(Qt::CTRL | Qt::Key_0)},
        {shell::kIdPrevPage, QKeySequence(Qt::CTRL | Qt::Key_PageUp)},
        {shell::kIdNextPage, QKeySequence(Qt::CTRL | Qt::Key_PageDown)},
        {shell::kIdPrevVolume, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_PageUp)},
        {shell::kIdNextVolume, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_PageDown)},
        {shell::kIdHistoryBack, QKeySequence(Qt::ALT | Qt::Key_Left)},
        {shell::kIdHistoryForward, QKeySequence(Qt::ALT | Qt::Key_Right)},
        {shell::kIdNextHit, QKeySequence(Qt::Key_F3)},
        {shell::kIdVertical, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_V)},
    };
    for (const Shown& s : shown) {
        QAction* action = m_frame->Action(s.id);
        QCOMPARE(action->shortcut(), s.key);
        QVERIFY2(!action->associatedObjects().isEmpty(), qPrintable(action->text()));
    }
    // From inside the page: page and volume keys, then the keyword box.
    QVERIFY(Form()->SelectTreeSlot(3));
    QVERIFY(WaitForUrlEnding(QStringLiteral("windows.html")));
    View()->setFocus();
    QVERIFY(QTest::qWaitFor([&] { return Inner()->hasFocus(); }, 5000));
    QTest::keyClick(Inner(), Qt::Key_PageDown, Qt::ControlModifier);
    QTRY_COMPARE(Form()->Position().currentPage, 2);
    QTest::keyClick(Inner(), Qt::Key_PageUp, Qt::ControlModifier);
    QTRY_COMPARE(Form()->Position().currentPage, 1);
    QTest::keyClick(Inner(), Qt::Key_PageDown, Qt::ControlModifier | Qt::ShiftModifier);
    QTRY_COMPARE(Form()->Position().currentVolume, 5);
    View()->setFocus();
    QVERIFY(QTest::qWaitFor([&] { return Inner()->hasFocus(); }, 5000));
    QTest::keyClick(Inner(), Qt::Key_V, Qt::ControlModifier | Qt::ShiftModifier);
    QTRY_VERIFY(Reading()->Look().Settings().vertical);
    View()->setFocus();
    QVERIFY(QTest::qWaitFor([&] { return Inner()->hasFocus(); }, 5000));
    QTest::keyClick(Inner(), Qt::Key_F4);
    QTRY_VERIFY(Form()->KeywordBox()->Field()->hasFocus());
    // Tab goes down the form in the order it is drawn.
    QWidget* expected[] = {Form()->Control(panel::kIdcSearch), Form()->Control(panel::kIdcVariants),
                           Form()->Control(panel::kIdcAnd)};
    for (QWidget* next : expected) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTRY_COMPARE(QApplication::focusWidget(), next);
    }
    QVERIFY(Form()->Control(panel::kIdcPrevResultPage)->nextInFocusChain() ==
            Form()->Control(panel::kIdcResultPageEdit));
    QVERIFY(m_messages.empty());
}

QTEST_MAIN(ReadingComfortTest)
#include "readingcomfort_test.moc"
