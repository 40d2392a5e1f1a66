// 類似箇所を探す driven as a user drives it, with the real web engine: a
// passage selected in a page, the search run from the page view's menu, the
// result table filled by the worker, and a result opened with its shared
// runs marked. The corpus is built here with orvale-build.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QProcess>
#include <QSettings>
#include <QSpinBox>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <memory>
#include <vector>

#include "panel/leftform.h"
#include "panel/parallelsdock.h"
#include "panel/parallelsmodel.h"
#include "shell/commandids.h"
#include "shell/mainfrm.h"
#include "shell/messageboxes.h"
#include "shell/voraview.h"
#include "tests/gui/pagehtml.h"

using shell::CMainFrame;

namespace {

using testing_gui::Html;

// Slots: 1 詩部, 2 唐詩, 3 巻一 (page 1: the passage page), 4 宋詩, 5 巻一
// (page 1 shares 床前明月光。疑是地, page 2 疑是地上霜, page 3 nothing).
const char* const kSource =
    R"({"category":"詩部","title":"唐詩","volume":"巻一","first_page":1,"pages":[)"
    R"({"runs":["床前明月光。疑是地上霜。舉頭望明月。低頭思故鄉。"]}]})"
    "\n"
    R"({"category":"詩部","title":"宋詩","volume":"巻一","first_page":1,"pages":[)"
    R"({"runs":["子丑床前明月光。疑是地寅卯"]},{"runs":["甲疑是地上霜乙"]},{"runs":["春風又綠江南岸"]}]})"
    "\n";

}  // namespace

class ParallelsWindowTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void init();
    void cleanup();

    void commandInMenusAndEnabledOnAPage();
    // ... and going back marks the passage's own runs on its page.
    void selectedPassageFindsAndOpensMarkedResult();
    void wholePageAndTooShortSelection();

  private:
    shell::CVoraView* View() const { return m_frame->GetRightPane(); }
    panel::CLeftForm* Form() const { return m_frame->LeftForm(); }
    void ShowPassagePage();
    void SelectInPage(const QString& text);
    panel::CParallelsDock* RunParallels();

    QTemporaryDir m_root;
    QString m_corpus;
    std::vector<QString> m_messages;
    shell::CMessageBoxes m_boxes;
    std::unique_ptr<CMainFrame> m_frame;
};

void ParallelsWindowTest::initTestCase() {
    QVERIFY(m_root.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_root.filePath("settings"));
    QCoreApplication::setOrganizationName(shell::kOrganisationName);
    QCoreApplication::setApplicationName(shell::kApplicationName);
    m_corpus = m_root.filePath("corpus");
    QFile source(m_root.filePath("source.jsonl"));
    QVERIFY(source.open(QIODevice::WriteOnly));
    source.write(kSource);
    source.close();
    QProcess build;
    build.start(QStringLiteral(ORVALE_BUILD_PROGRAM), {source.fileName(), m_corpus});
    QVERIFY(build.waitForFinished(60000));
    QVERIFY2(build.exitCode() == 0, build.readAllStandardError().constData());
    m_boxes.SetPresenter(
        [this](QWidget*, const QString&, const QString& text) { m_messages.push_back(text); });
}

void ParallelsWindowTest::init() {
    m_messages.clear();
    shell::FrameConfig config;
    config.dataDir = m_corpus.toStdString();
    config.programDir = m_root.path();
    config.tempRoot = m_root.path();
    config.listingPath = m_root.filePath("kvt.txt").toStdString();
    config.allowSplash = false;
    m_frame = std::make_unique<CMainFrame>(config, m_boxes);
    m_frame->resize(1200, 800);
    m_frame->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_frame.get()));
    QTRY_COMPARE(View()->url().toString(), QStringLiteral("about:blank"));
}

void ParallelsWindowTest::cleanup() { m_frame.reset(); }

void ParallelsWindowTest::ShowPassagePage() {
    QVERIFY(Form()->SelectTreeSlot(3));
    QTRY_VERIFY(View()->url().toString().endsWith(QStringLiteral("windows.html")));
    QTRY_VERIFY(m_frame->Action(shell::kIdParallels)->isEnabled());
    QTest::qWait(200);
}

void ParallelsWindowTest::SelectInPage(const QString& text) {
    // Page scripts are off; a script of the application's own world still
    // reaches the document.
    const QString script =
        QStringLiteral(
            "(function(){const w=document.createTreeWalker(document.body,NodeFilter.SHOW_TEXT);"
            "let n;while((n=w.nextNode())){const i=n.data.indexOf('%1');if(i>=0){"
            "const r=document.createRange();r.setStart(n,i);r.setEnd(n,i+%2);"
            "const s=window.getSelection();s.removeAllRanges();s.addRange(r);return true;}}"
            "return false;})()")
            .arg(text)
            .arg(text.size());
    // The page may still be loading: select once it holds the text.
    const bool selected = QTest::qWaitFor(
        [&] {
            bool done = false;
            bool found = false;
            View()->page()->runJavaScript(script, QWebEngineScript::ApplicationWorld,
                                          [&](const QVariant& result) {
                                              found = result.toBool();
                                              done = true;
                                          });
            if (!QTest::qWaitFor([&] { return done; }, 5000)) return false;
            return found && QTest::qWaitFor([&] { return View()->selectedText() == text; }, 500);
        },
        10000);
    QVERIFY(selected);
}

panel::CParallelsDock* ParallelsWindowTest::RunParallels() {
    QAction* action = m_frame->Action(shell::kIdParallels);
    action->trigger();
    panel::CParallelsDock* dock = m_frame->ParallelsDock();
    if (!dock) return nullptr;
    if (!QTest::qWaitFor([dock] { return !dock->Running(); }, 20000)) return nullptr;
    return dock;
}

void ParallelsWindowTest::commandInMenusAndEnabledOnAPage() {
    QAction* action = m_frame->Action(shell::kIdParallels);
    QVERIFY(action);
    QCOMPARE(action->text(), QStringLiteral("類似箇所を探す"));
    QCOMPARE(action->shortcut(), QKeySequence(Qt::Key_F7));
    QVERIFY(View()->PageMenu()->actions().contains(action));
    QVERIFY(!action->isEnabled());  // the blank page holds no passage
    ShowPassagePage();
    QVERIFY(action->isEnabled());
}

void ParallelsWindowTest::selectedPassageFindsAndOpensMarkedResult() {
    ShowPassagePage();
    SelectInPage(QStringLiteral("床前明月光。疑是地上霜"));
    if (QTest::currentTestFailed()) return;
    panel::CParallelsDock* dock = RunParallels();
    QVERIFY(dock);
    QVERIFY(dock->isVisible());
    QVERIFY(m_messages.empty());
    const panel::ParallelsModel* model = dock->Model();
    QCOMPARE(model->rowCount(), 2);
    QCOMPARE(model->index(0, panel::ParallelsModel::kTitle).data().toString(),
             QStringLiteral("宋詩"));
    QCOMPARE(model->index(0, panel::ParallelsModel::kPage).data().toInt(), 1);
    QCOMPARE(model->index(0, panel::ParallelsModel::kLongest).data().toInt(), 8);
    QCOMPARE(model->index(0, panel::ParallelsModel::kText).data().toString(),
             QStringLiteral("子丑【床前明月光。疑是地】寅卯"));
    QCOMPARE(model->index(1, panel::ParallelsModel::kPage).data().toInt(), 2);
    QCOMPARE(model->index(1, panel::ParallelsModel::kLongest).data().toInt(), 5);

    // A click opens the page with the shared run marked, as a hit is.
    QTest::mouseClick(dock->Table()->viewport(), Qt::LeftButton, {},
                      dock->Table()->visualRect(model->index(0, 0)).center());
    QTRY_VERIFY(View()->url().toString().contains(QStringLiteral("windows1.html")));
    QCOMPARE(Form()->PageDisplay().HitCount(), 1);
    QCOMPARE(Form()->PageDisplay().ShownRecord(), 1);
    QString html;
    QTRY_VERIFY2((html = Html(View()->page())).contains(QStringLiteral("床前明月光。疑是地</b>")),
                 qPrintable(html));
    QVERIFY(html.contains(QStringLiteral("子丑<a name=\"0000\"></a><b")));

    // Going back shows the passage's page with its own runs for that result
    // marked; forward shows the result page marked again.
    QAction* back = m_frame->Action(shell::kIdHistoryBack);
    QAction* forward = m_frame->Action(shell::kIdHistoryForward);
    QTRY_VERIFY(back->isEnabled());
    back->trigger();
    QTRY_COMPARE(Form()->PageDisplay().ShownRecord(), 0);
    QTRY_VERIFY2((html = Html(View()->page())).contains(QStringLiteral("床前明月光。疑是地</b>")),
                 qPrintable(html));
    QVERIFY(!html.contains(QStringLiteral("上霜</b>")));
    QCOMPARE(Form()->PageDisplay().HitCount(), 1);
    QTRY_VERIFY(forward->isEnabled());
    forward->trigger();
    QTRY_COMPARE(Form()->PageDisplay().ShownRecord(), 1);
    QTRY_VERIFY2(
        (html = Html(View()->page())).contains(QStringLiteral("子丑<a name=\"0000\"></a><b")),
        qPrintable(html));

    // From the passage's page, another result: back now marks its runs.
    back->trigger();
    QTRY_COMPARE(Form()->PageDisplay().ShownRecord(), 0);
    QTest::mouseClick(dock->Table()->viewport(), Qt::LeftButton, {},
                      dock->Table()->visualRect(model->index(1, 0)).center());
    QTRY_COMPARE(Form()->PageDisplay().ShownRecord(), 2);
    QTRY_VERIFY(Html(View()->page()).contains(QStringLiteral("疑是地上霜</b>")));
    back->trigger();
    QTRY_COMPARE(Form()->PageDisplay().ShownRecord(), 0);
    QTRY_VERIFY2((html = Html(View()->page())).contains(QStringLiteral("疑是地上霜</b>")),
                 qPrintable(html));
    QVERIFY(!html.contains(QStringLiteral("床前明月光。疑是地</b>")));
}

void ParallelsWindowTest::wholePageAndTooShortSelection() {
    ShowPassagePage();
    panel::CParallelsDock* dock = RunParallels();  // nothing selected: the whole page
    QVERIFY(dock);
    QCOMPARE(dock->Model()->rowCount(), 2);
    QVERIFY(m_messages.empty());

    dock->MinRunBox()->setValue(9);
    dock = RunParallels();
    QCOMPARE(dock->Model()->rowCount(), 0);
    dock->MinRunBox()->setValue(5);

    SelectInPage(QStringLiteral("床前明月"));
    dock = RunParallels();
    QCOMPARE(dock->Model()->rowCount(), 0);
    QCOMPARE(m_messages.size(), std::size_t{1});
    QVERIFY(m_messages[0].contains(QStringLiteral("字数が少なすぎます")));
}

QTEST_MAIN(ParallelsWindowTest)
#include "parallelswindow_test.moc"
