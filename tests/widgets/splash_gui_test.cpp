// The splash and the about box on a real display (run under Xvfb).
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMainWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QVBoxLayout>
#include <QtTest>

#include "shell/aboutdlg.h"
#include "shell/splash.h"

namespace {

// A window with a text field that has the focus, a button and an F3 shortcut:
// the places a key or click must not reach while the splash is up.
struct Frame {
    QMainWindow window;
    QLineEdit* field = new QLineEdit;
    QPushButton* button = new QPushButton(QStringLiteral("button"));
    QAction* nextHit = new QAction(&window);

    Frame() {
        auto* centre = new QWidget;
        auto* layout = new QVBoxLayout(centre);
        layout->addWidget(field);
        layout->addWidget(button);
        window.setCentralWidget(centre);
        nextHit->setShortcut(Qt::Key_F3);
        window.addAction(nextHit);
        window.resize(400, 300);
    }

    void Show() {
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        field->setFocus();
    }
};

}  // namespace

class SplashGuiTest : public QObject {
    Q_OBJECT
  private slots:
    void init() { shell::CSplashWnd::AllowSplash(true); }
    void cleanup() {
        shell::CSplashWnd::CloseSplash();
        QTest::qWait(20);
    }

    void coversTheScreenAndPlaysTheBuiltInTitle() {
        Frame frame;
        shell::CSplashWnd::ShowSplash(&frame.window);
        shell::CSplashWnd* splash = shell::CSplashWnd::Current();
        QVERIFY(splash != nullptr);
        QVERIFY(QTest::qWaitForWindowExposed(splash));
        QCOMPARE(splash->geometry(), QGuiApplication::primaryScreen()->geometry());
        QCOMPARE(splash->IsPlayingMovie(), QFileInfo::exists(shell::CSplashWnd::MoviePath()));
        // A second request while one is up changes nothing.
        shell::CSplashWnd::ShowSplash(&frame.window);
        QCOMPARE(shell::CSplashWnd::Current(), splash);
    }

    void aKeyClosesItAndReachesNothingElse() {
        Frame frame;
        QSignalSpy shortcut(frame.nextHit, &QAction::triggered);
        shell::CSplashWnd::ShowSplash(&frame.window);
        frame.Show();
        QVERIFY(shell::CSplashWnd::Current() != nullptr);

        QTest::keyClick(frame.window.windowHandle(), Qt::Key_A);
        QVERIFY(shell::CSplashWnd::Current() == nullptr);
        QVERIFY(frame.field->text().isEmpty());

        // Without the splash the same roads are open.
        frame.field->setFocus();
        QTest::keyClick(frame.window.windowHandle(), Qt::Key_A);
        QCOMPARE(frame.field->text(), QStringLiteral("a"));
        QTest::keyClick(frame.window.windowHandle(), Qt::Key_F3);
        QCOMPARE(shortcut.size(), 1);
    }

    void aShortcutKeyClosesItWithoutFiring() {
        Frame frame;
        QSignalSpy shortcut(frame.nextHit, &QAction::triggered);
        shell::CSplashWnd::ShowSplash(&frame.window);
        frame.Show();
        QTest::keyClick(frame.window.windowHandle(), Qt::Key_F3);
        QVERIFY(shell::CSplashWnd::Current() == nullptr);
        QCOMPARE(shortcut.size(), 0);
    }

    void aClickClosesItAndPressesNothing() {
        Frame frame;
        QSignalSpy clicked(frame.button, &QPushButton::clicked);
        shell::CSplashWnd::ShowSplash(&frame.window);
        frame.Show();
        const QPoint centre = frame.button->mapTo(&frame.window, frame.button->rect().center());
        QTest::mouseClick(frame.window.windowHandle(), Qt::LeftButton, {}, centre);
        QVERIFY(shell::CSplashWnd::Current() == nullptr);
        QCOMPARE(clicked.size(), 0);
        QTest::mouseClick(frame.window.windowHandle(), Qt::LeftButton, {}, centre);
        QCOMPARE(clicked.size(), 1);
    }

    void closesItselfAfterItsTime() {
        Frame frame;
        shell::CSplashWnd::ShowSplash(&frame.window, 150);
        QVERIFY(shell::CSplashWnd::Current() != nullptr);
        QTRY_VERIFY_WITH_TIMEOUT(shell::CSplashWnd::Current() == nullptr, 5000);
    }

    void notShownWhenNotAllowed() {
        Frame frame;
        shell::CSplashWnd::AllowSplash(shell::CSplashWnd::AllowedByArguments(
            {QStringLiteral("orvale"), QStringLiteral("-Embedding")}));
        shell::CSplashWnd::ShowSplash(&frame.window);
        QVERIFY(shell::CSplashWnd::Current() == nullptr);
    }

    void aMessageBoxIsNotHiddenBehindIt() {
        Frame frame;
        shell::CSplashWnd::ShowSplash(&frame.window);
        QVERIFY(shell::CSplashWnd::Current() != nullptr);
        QTimer::singleShot(0, [] {
            QVERIFY(shell::CSplashWnd::Current() == nullptr);
            if (QWidget* box = QApplication::activeModalWidget()) box->close();
        });
        QMessageBox::information(&frame.window, QStringLiteral("t"), QStringLiteral("m"));
        QVERIFY(shell::CSplashWnd::Current() == nullptr);
    }

    void aboutBoxClosesOnALeftClick() {
        shell::CAboutDlg about;
        QCOMPARE(about.size(), QSize(500, 350));
        QVERIFY(about.windowFlags().testFlag(Qt::FramelessWindowHint));
        about.open();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        QTest::mouseClick(&about, Qt::RightButton, {}, QPoint(250, 175));
        QVERIFY(about.isVisible());
        QTest::mouseClick(&about, Qt::LeftButton, {}, QPoint(250, 175));
        QVERIFY(!about.isVisible());
        QCOMPARE(about.result(), int(QDialog::Accepted));
    }
};

QTEST_MAIN(SplashGuiTest)
#include "splash_gui_test.moc"
