#include "shell/mainfrm.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QMenuBar>
#include <QProcess>
#include <QSettings>
#include <QToolBar>
#include <QUrl>
#include <algorithm>
#include <utility>

#include "panel/leftform.h"
#include "panel/parallelsdock.h"
#include "panel/scrolltoolbar.h"
#include "shell/commandids.h"
#include "shell/concordancewindow.h"
#include "shell/distributionwindow.h"
#include "shell/helpwindow.h"
#include "shell/historynav.h"
#include "shell/limitedcopy.h"
#include "shell/messageboxes.h"
#include "shell/readingcommands.h"
#include "shell/resultexport.h"
#include "shell/st_splitterwnd.h"
#include "shell/volumesteps.h"
#include "shell/voraview.h"
#include "widgets/artwork.h"
#ifdef ORVALE_HAVE_SPLASH
#include "shell/splash.h"
#endif
#ifdef ORVALE_HAVE_ABOUT
#include "shell/aboutdlg.h"
#endif

namespace shell {

namespace {

constexpr int kSmallIcon = 143;
constexpr int kLargeIcon = 128;

// Commands whose enabled state follows a rule.
constexpr int kRuledCommands[] = {kIdCopy,        kIdSelectAll,   kIdPrint,       kIdPrintSettings,
                                  kIdFilePrint,   kIdPrevPage,    kIdNextPage,    kIdPrevVolume,
                                  kIdNextVolume,  kIdPrevHit,     kIdNextHit,     kIdFindInPage,
                                  kIdZoomIn,      kIdZoomOut,     kIdHistoryBack, kIdHistoryForward,
                                  kIdParallels,   kIdConcordance, kIdSaveResults, kIdCopyCitation,
                                  kIdDistribution};

}  // namespace

CMainFrame::CMainFrame(FrameConfig config, CMessageBoxes& messages, QWidget* parent)
    : QMainWindow(parent), m_config(std::move(config)), m_messages(messages) {
    setObjectName(QStringLiteral("CMainFrame"));
    setWindowTitle(kWindowTitle);
#ifdef ORVALE_HAVE_SPLASH
    if (m_config.allowSplash) CSplashWnd::ShowSplash(this);
#endif
    m_messages.SetParent(this);
    CreateClient();
    CreateToolBar();
    CreateMenus();
    setWindowTitle(kWindowTitle);
    QIcon icon = widgets::LoadIconResource(kLargeIcon);
    const QIcon small = widgets::LoadIconResource(kSmallIcon);
    for (const QSize& size : small.availableSizes()) icon.addPixmap(small.pixmap(size));
    setWindowIcon(icon);

    // Initial updates: the form loads the keyword box and the catalogue, the
    // view shows the blank page.
    m_leftForm->OnInitialUpdate();
    m_reading->OnFormReady();
    m_view->OnInitialUpdate();

    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (!now) return;
        if (m_view && (now == m_view || m_view->isAncestorOf(now))) {
            m_viewActive = true;
        } else if (m_leftForm && (now == m_leftForm || m_leftForm->isAncestorOf(now))) {
            m_viewActive = false;
        }
    });
    UpdateCommands();
}

CMainFrame::~CMainFrame() {
    // The panes die after this body: nothing they signal may reach the frame.
    disconnect(qApp, nullptr, this, nullptr);
    if (m_view) disconnect(m_view, nullptr, this, nullptr);
    if (m_reading) disconnect(m_reading, nullptr, this, nullptr);
    if (m_leftForm) disconnect(m_leftForm, nullptr, this, nullptr);
    if (m_toolBar) disconnect(m_toolBar, nullptr, this, nullptr);
    for (QAction* action : std::as_const(m_actions)) disconnect(action, nullptr, this, nullptr);
}

void CMainFrame::CreateClient() {
    m_splitter = new ST_SplitterWnd(0, true, this);
    panel::CLeftForm::Services services;
    services.dataDir = m_config.dataDir;
    services.tempRoot = m_config.tempRoot.toStdString();
    services.listingPath = m_config.listingPath;
    services.notify = m_messages.Notifier();
    services.navigate = [this](const QString& path, const QString& anchor) {
        if (m_view) m_view->Navigate2(path, anchor);
        if (m_reading) m_reading->OnPageShown(path);
    };
    m_leftForm = new panel::CLeftForm(std::move(services));
    m_view = new CVoraView(m_messages.Notifier());
    m_view->setObjectName(QStringLiteral("CVoraView"));
    m_splitter->SetPanes(m_leftForm, m_view);
    setCentralWidget(m_splitter);

    connect(m_view, &CVoraView::locationChanged, this, &CMainFrame::UpdateCommands);
    connect(m_leftForm, &panel::CLeftForm::stateChanged, this, &CMainFrame::UpdateCommands);
    connect(m_leftForm, &panel::CLeftForm::volumeShown, this, &CMainFrame::OnVolumeShown);
    m_reading = new CReadingCommands(
        *m_view, *m_leftForm, *m_splitter, [this](int slot) { OnVolumeShown(slot); }, this);
    connect(m_reading, &CReadingCommands::stateChanged, this, &CMainFrame::UpdateCommands);
    connect(m_leftForm, &panel::CLeftForm::stateChanged, m_reading,
            &CReadingCommands::OnFormStateChanged);
}

void CMainFrame::CreateToolBar() {
    m_toolBar = new panel::CSCrollToolBar(this);
    m_toolBar->setObjectName(QStringLiteral("CSCrollToolBar"));
    addToolBar(Qt::TopToolBarArea, m_toolBar);
    connect(m_toolBar, &panel::CSCrollToolBar::pageSliderReleased, this,
            &CMainFrame::OnSliderReleased);
}

QAction* CMainFrame::MakeAction(int id, const QString& text) {
    QAction* action = m_toolBar ? m_toolBar->CommandAction(id) : nullptr;
    if (!action) action = new QAction(this);
    action->setText(text);
    action->setData(id);
    m_actions.insert(id, action);
    connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
    return action;
}

void CMainFrame::CreateMenus() {
    QMenuBar* bar = menuBar();
    QMenu* file = bar->addMenu(QStringLiteral("ファイル(&F)"));
    file->addAction(MakeAction(kIdPrintSettings, QStringLiteral("印刷設定(&S)")));
    file->addAction(MakeAction(kIdPrint, QStringLiteral("印刷(&P)")));
    QAction* save = MakeAction(kIdSaveResults, QStringLiteral("結果を保存(&R)..."));
    save->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    file->addAction(save);
    file->addAction(MakeAction(kIdExit, QStringLiteral("終了(&X)")));

    QMenu* edit = bar->addMenu(QStringLiteral("編集(&E)"));
    QAction* copy = MakeAction(kIdCopy, QStringLiteral("コピー(&C)"));
    copy->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_C), QKeySequence(Qt::CTRL | Qt::Key_Insert)});
    edit->addAction(copy);
    edit->addAction(MakeAction(kIdSelectAll, QStringLiteral("すべて選択(&Q)")));
    QAction* cite = MakeAction(kIdCopyCitation, QStringLiteral("出典をコピー(&R)"));
    cite->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
    edit->addAction(cite);

    QMenu* view = bar->addMenu(QStringLiteral("表示(&V)"));
    QAction* toolbar = MakeAction(kIdViewToolbar, QStringLiteral("ツールバー(&T)"));
    toolbar->setCheckable(true);
    toolbar->setChecked(true);
    if (m_toolBar) {
        connect(m_toolBar, &QToolBar::visibilityChanged, toolbar, &QAction::setChecked);
    }
    view->addAction(toolbar);
    view->addAction(MakeAction(kIdViewStatusBar, QStringLiteral("状態バー(&S)")));
    view->addAction(MakeAction(kIdShowAll, QStringLiteral("全表示(&p)")));

    QMenu* list = bar->addMenu(QStringLiteral("一覧"));
    list->addAction(MakeAction(kIdPrevPage, QStringLiteral("上の頁へ(&P)")));
    list->addAction(MakeAction(kIdNextPage, QStringLiteral("次の頁へ(&N)")));
    list->addSeparator();
    list->addAction(MakeAction(kIdPrevVolume, QStringLiteral("上の巻へ")));
    list->addAction(MakeAction(kIdNextVolume, QStringLiteral("次の巻へ")));
    list->addSeparator();
    QAction* prevHit = MakeAction(kIdPrevHit, QStringLiteral("上の検索結果"));
    prevHit->setShortcut(QKeySequence(Qt::ALT | Qt::Key_F3));
    list->addAction(prevHit);
    QAction* nextHit = MakeAction(kIdNextHit, QStringLiteral("次の検索結果"));
    nextHit->setShortcut(QKeySequence(Qt::Key_F3));
    list->addAction(nextHit);
    list->addSeparator();
    QAction* parallels = MakeAction(kIdParallels, QStringLiteral("類似箇所を探す"));
    // F7 stays free in the page view, the keyword box and the form.
    parallels->setShortcut(QKeySequence(Qt::Key_F7));
    list->addAction(parallels);
    if (m_view) m_view->PageMenu()->addAction(parallels);
    QAction* concordance = MakeAction(kIdConcordance, QStringLiteral("用例一覧(&K)"));
    concordance->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_K));
    concordance->setToolTip(QStringLiteral("すべての一致箇所を前後の文脈とともに一覧"));
    list->addAction(concordance);
    if (m_toolBar) m_toolBar->addAction(concordance);
    QAction* distribution = MakeAction(kIdDistribution, QStringLiteral("分布(&D)"));
    distribution->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
    list->addAction(distribution);

    QMenu* help = bar->addMenu(QStringLiteral("ヘルプ(&H)"));
    help->addAction(MakeAction(kIdAbout, QStringLiteral("バージョン(&A)...")));
    help->addAction(MakeAction(kIdHelp, QStringLiteral("ヘルプ")));
    m_reading->AddMenuItems([this](int id, const QString& text) { return MakeAction(id, text); },
                            edit, view, list);
    if (m_toolBar) m_reading->AddToolBarButtons(m_toolBar, [this](int id) { return Action(id); });
    // Keys shown in the menus; the page and volume keys leave the page
    // view's own scrolling keys (arrows, Page Up/Down, Home/End) alone.
    Action(kIdPrint)->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    Action(kIdExit)->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    Action(kIdHelp)->setShortcut(QKeySequence(Qt::Key_F1));
    Action(kIdShowAll)->setShortcut(QKeySequence(Qt::Key_F9));
    Action(kIdPrevPage)->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_PageUp));
    Action(kIdNextPage)->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_PageDown));
    Action(kIdPrevVolume)->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_PageUp));
    Action(kIdNextVolume)->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_PageDown));

    // Accelerators without a menu item.
    // Ctrl+P is the menu's 印刷 now, shown there.
    addAction(MakeAction(kIdFilePrint, QStringLiteral("印刷")));
    QAction* nextPane = MakeAction(kIdNextPane, QString());
    nextPane->setShortcut(QKeySequence(Qt::Key_F6));
    addAction(nextPane);
    QAction* prevPane = MakeAction(kIdPrevPane, QString());
    prevPane->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F6));
    addAction(prevPane);

    // Toolbar buttons are the same actions; they show the tooltip texts.
    if (m_toolBar) {
        for (int id : m_toolBar->Items()) {
            if (QAction* action = m_toolBar->CommandAction(id)) {
                const std::string tip = panel::ToolbarTooltip(id);
                if (!tip.empty()) action->setToolTip(QString::fromStdString(tip));
            }
        }
    }
}

QAction* CMainFrame::Action(int id) const { return m_actions.value(id, nullptr); }

CommandState CMainFrame::CurrentCommandState() const {
    CommandState state;
    state.pageShown = m_view && !m_view->IsBlank();
    if (m_leftForm) {
        FillVolumeState(m_leftForm->GetCatalogue(), m_leftForm->Position(), state);
        state.currentHit = m_leftForm->PageDisplay().CurrentHit();
        state.hitCount = m_leftForm->PageDisplay().HitCount();
        state.hasResults = !m_leftForm->Rows().empty();
        state.pageCitable = m_leftForm->PageDisplay().ShownRecord() >= 0;
    }
    if (m_reading) m_reading->FillState(state);
    return state;
}

void CMainFrame::UpdateCommands() {
    const CommandState state = CurrentCommandState();
    for (int id : kRuledCommands) {
        if (QAction* action = Action(id)) action->setEnabled(IsCommandEnabled(id, state));
    }
    if (m_view) {
        for (QAction* action : m_view->PageMenu()->actions()) {
            action->setEnabled(IsCommandEnabled(action->data().toInt(), state));
        }
    }
}

void CMainFrame::OnCommand(int id) {
    if (QAction* action = Action(id); action && !action->isEnabled()) return;
    switch (id) {
        case kIdCopy:
            m_view->OnCopy();
            break;
        case kIdSelectAll:
            m_view->OnSelectAll();
            break;
        case kIdPrint:
            m_view->PrintWithoutDialog();
            break;
        case kIdFilePrint:
            if (m_viewActive) m_view->PrintWithoutDialog();
            break;
        case kIdPrintSettings:
            if (m_viewActive) {
                m_view->OnPageSetup();
            } else {
                m_view->OnPrintPreview();
            }
            break;
        case kIdExit:
            close();
            break;
        case kIdViewToolbar:
            if (m_toolBar) m_toolBar->setVisible(Action(id)->isChecked());
            break;
        case kIdShowAll:
            m_splitter->TogglePane(0);
            break;
        case kIdPrevPage:
            OnPrevPage();
            break;
        case kIdNextPage:
            OnNextPage();
            break;
        case kIdPrevVolume:
            OnPrevVolume();
            break;
        case kIdNextVolume:
            OnNextVolume();
            break;
        case kIdPrevHit:
            m_leftForm->PageDisplay().PrevHit();
            break;
        case kIdNextHit:
            m_leftForm->PageDisplay().NextHit();
            break;
        case kIdParallels:
            OnParallels();
            break;
        case kIdConcordance:
            OpenConcordance(
                *m_leftForm, m_config.dataDir, this, [this] { UpdateCommands(); },
                m_messages.Notifier());
            break;
        case kIdDistribution:
            (new CDistributionWindow(*m_leftForm, this))->show();
            break;
        case kIdSaveResults:
            SaveResults(*m_leftForm, this, {}, m_messages.Notifier());
            break;
        case kIdCopyCitation:
            QApplication::clipboard()->setText(CitationOfShownPage(*m_leftForm));
            break;
        case kIdAbout:
            OnAbout();
            break;
        case kIdHelp:
            OnHelp();
            break;
        case kIdNextPane:
        case kIdPrevPane:
            SwitchPane();
            break;
        default:
            // The reading commands; else the status bar item: there is no status bar.
            if (m_reading) m_reading->OnCommand(id);
            break;
    }
    UpdateCommands();
}

void CMainFrame::SwitchPane() {
    if (m_viewActive && m_leftForm->isVisible()) {
        m_leftForm->setFocus();
        m_viewActive = false;
    } else {
        m_view->setFocus();
        m_viewActive = true;
    }
}

QString CMainFrame::HelpPath() const {
    return QDir(m_config.programDir).filePath(QStringLiteral("help/index.html"));
}

QString CMainFrame::CompanionPath() const {
    return QDir(m_config.programDir).filePath(QStringLiteral("end.exe"));
}

void CMainFrame::OnParallels() {
    const std::int64_t record = m_leftForm->PageDisplay().ShownRecord();
    const std::u16string selection = m_view->selectedText().toStdU16String();
    if (record < 0 && selection.empty()) return;
    if (!m_parallels) {
        panel::CParallelsDock::Services services;
        services.dataDir = m_config.dataDir;
        services.catalogue = &m_leftForm->GetCatalogue();
        services.notify = m_messages.Notifier();
        services.open = [this](std::uint32_t page, const std::vector<pages::PositionSpan>& spans,
                               const std::optional<panel::HistoryEntry>& passagePage) {
            m_reading->History().ShowMarked(page, spans, passagePage);
            UpdateCommands();
        };
        m_parallels = new panel::CParallelsDock(std::move(services), this);
        addDockWidget(Qt::BottomDockWidgetArea, m_parallels);
        // A quarter of the window, so that a small window keeps room for the page.
        resizeDocks({m_parallels}, {std::max(150, height() / 4)}, Qt::Vertical);
    }
    m_parallels->show();
    m_parallels->raise();
    m_parallels->Start(std::u16string(CutToDoubleByteLimit(selection)), record,
                       m_leftForm->Variants());
}

CHelpWindow* CMainFrame::HelpWindow() const { return m_helpWindow.data(); }

void CMainFrame::OnHelp() {
    const QString path = HelpPath();
    if (!QFileInfo(path).isFile()) {
        m_messages.Show(kHelpMissingMessage.arg(QDir::toNativeSeparators(path)));
        return;
    }
    if (!m_helpWindow) m_helpWindow = new CHelpWindow(this);
    m_helpWindow->ShowPage(path);
}

void CMainFrame::OnAbout() {
#ifdef ORVALE_HAVE_ABOUT
    CAboutDlg dialog(this);
    dialog.exec();
#endif
}

void CMainFrame::StartCompanion() {
    const QFileInfo info(CompanionPath());
    if (!info.isFile() || !info.isExecutable()) return;  // nothing to report
    QProcess::startDetached(info.absoluteFilePath(), {}, m_config.programDir);
}

void CMainFrame::Shutdown() {
    if (m_shutDown) return;
    m_shutDown = true;
    StartCompanion();
    QSettings settings(kOrganisationName, kApplicationName);
    m_splitter->SaveLayout(settings);
    SaveSession(settings);
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    // The help window goes with the main window, so the program ends.
    if (m_helpWindow) m_helpWindow->close();
    Shutdown();
    QMainWindow::closeEvent(event);
}

}  // namespace shell
