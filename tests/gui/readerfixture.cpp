#include "tests/gui/readerfixture.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include "panel/sortlistctrl.h"
#include "shell/htmlctrl.h"
#include "tests/gui/fixturecorpus.h"

namespace testing_gui {

void ReaderFixture::SetUpCorpus() {
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

void ReaderFixture::StartReader() {
    m_messages.clear();
    MakeFrame(m_corpus);
}

void ReaderFixture::MakeFrame(const QString& dataDir) {
    m_frame.reset();
    shell::FrameConfig config;
    config.dataDir = dataDir.toStdString();
    config.programDir = m_programDir;
    config.tempRoot = m_root.path();
    config.listingPath = m_root.filePath("kvt.txt").toStdString();
    config.allowSplash = false;
    m_frame = std::make_unique<shell::CMainFrame>(config, m_boxes);
    m_frame->resize(1200, 800);
    m_frame->show();
    m_frame->activateWindow();
    QVERIFY(QTest::qWaitForWindowExposed(m_frame.get()));
    QTRY_COMPARE(View()->url().toString(), QStringLiteral("about:blank"));
}

void ReaderFixture::Search(const QString& text) {
    testing_gui::TypeKeyword(Form(), text);
    QLineEdit* field = Form()->KeywordBox()->Field();
    QCOMPARE(field->text(), text);
    QTest::keyClick(field, Qt::Key_Return);
}

QString ReaderFixture::Summary() const {
    return qobject_cast<QLabel*>(Form()->Control(panel::kIdcSummary))->text();
}

bool ReaderFixture::WaitForUrlEnding(const QString& suffix) {
    return QTest::qWaitFor([&] { return View()->url().toString().endsWith(suffix); }, 10000);
}

void ReaderFixture::SelectRow(int row) {
    panel::CSortListCtrl* list = Form()->ResultList();
    list->setCurrentItem(list->topLevelItem(row));
}

}  // namespace testing_gui
