#include "shell/helpwindow.h"

#include <QAction>
#include <QGuiApplication>
#include <QScreen>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>
#include <QWebEngineView>

#include "shell/localpages.h"
#include "shell/messageboxes.h"

namespace shell {

CHelpWindow::CHelpWindow(QWidget* owner) : QWidget(owner, Qt::Window) {
    setObjectName(QStringLiteral("CHelpWindow"));
    setWindowTitle(QStringLiteral("ヘルプ - %1").arg(kWindowTitle));
    m_view = new QWebEngineView(this);
    m_view->setPage(MakeLocalOnlyPage(m_view));

    auto* bar = new QToolBar(this);
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    QAction* back = BackAction();
    back->setText(QStringLiteral("戻る"));
    back->setShortcut(QKeySequence::Back);
    QAction* forward = ForwardAction();
    forward->setText(QStringLiteral("進む"));
    forward->setShortcut(QKeySequence::Forward);
    bar->addAction(back);
    bar->addAction(forward);
    QAction* close = bar->addAction(QStringLiteral("閉じる"), this, &QWidget::close);
    close->setShortcut(QKeySequence(Qt::Key_Escape));
    for (QAction* action : {back, forward, close}) {
        action->setShortcutContext(Qt::WindowShortcut);
        addAction(action);
    }

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar);
    layout->addWidget(m_view, 1);

    const QScreen* screen =
        owner && owner->screen() ? owner->screen() : QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    resize(qMin(900, area.width() * 3 / 5), area.height() * 4 / 5);
}

QAction* CHelpWindow::BackAction() const { return m_view->pageAction(QWebEnginePage::Back); }

QAction* CHelpWindow::ForwardAction() const { return m_view->pageAction(QWebEnginePage::Forward); }

void CHelpWindow::ShowPage(const QString& path) {
    m_view->setUrl(QUrl::fromLocalFile(path));
    show();
    raise();
    activateWindow();
}

}  // namespace shell
