#include "shell/readingcommands.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QStyle>
#include <QToolBar>
#include <utility>

#include "panel/leftform.h"
#include "shell/commandids.h"
#include "shell/findbar.h"
#include "shell/historynav.h"
#include "shell/htmlctrl.h"
#include "shell/keywordhistory.h"
#include "shell/pagelook.h"
#include "shell/st_splitterwnd.h"
#include "shell/voraview.h"

namespace shell {

CReadingCommands::CReadingCommands(CVoraView& view, panel::CLeftForm& form,
                                   ST_SplitterWnd& splitter,
                                   std::function<void(int slot)> catalogueShown, QObject* parent)
    : QObject(parent), m_view(view), m_form(form), m_splitter(splitter) {
    m_look = new CPageLook(&m_view, this);
    m_findBar = new CFindBar(&m_view);
    m_history = new CHistoryNav(m_form, std::move(catalogueShown));
    connect(&m_view, &CVoraView::zoomWheel, this, [this](int direction) {
        OnCommand(direction > 0 ? kIdZoomIn : kIdZoomOut);
        emit stateChanged();
    });
    m_window = m_view.window();
    qApp->installEventFilter(this);
}

void CReadingCommands::OnFormReady() {
    if (!m_keywords && m_form.KeywordBox()) {
        m_keywords = new CKeywordHistory(m_form.KeywordBox()->Field(), this);
    }
    // Tab follows the form from top to bottom: the keyword box is made last
    // and the result paging out of its visual order.
    QList<QWidget*> chain;
    for (int id :
         {panel::kIdcTab, panel::kIdcTree, panel::kIdcKeyword, panel::kIdcSearch,
          panel::kIdcVariants, panel::kIdcAnd, panel::kIdcOr, panel::kIdcFull, panel::kIdcMain,
          panel::kIdcNotes, panel::kIdcResultList, panel::kIdcPrevResultPage,
          panel::kIdcResultPageEdit, panel::kIdcNextResultPage}) {
        QWidget* control = m_form.Control(id);
        if (id == panel::kIdcKeyword && m_form.KeywordBox()) control = m_form.KeywordBox()->Field();
        if (control) chain.push_back(control);
    }
    for (qsizetype i = 1; i < chain.size(); ++i) QWidget::setTabOrder(chain[i - 1], chain[i]);
}

bool CReadingCommands::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress && watched->isWidgetType()) {
        const Qt::MouseButton button = static_cast<QMouseEvent*>(event)->button();
        if ((button == Qt::BackButton || button == Qt::ForwardButton) && m_window &&
            static_cast<QWidget*>(watched)->window() == m_window) {
            OnCommand(button == Qt::ForwardButton ? kIdHistoryForward : kIdHistoryBack);
            emit stateChanged();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

CReadingCommands::~CReadingCommands() {
    qApp->removeEventFilter(this);
    delete m_history;
}

void CReadingCommands::AddMenuItems(const MakeAction& make, QMenu* edit, QMenu* view, QMenu* list) {
    edit->addSeparator();
    QAction* find = make(kIdFindInPage, QStringLiteral("頁内検索(&F)..."));
    find->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    edit->addAction(find);
    QAction* keyword = make(kIdFocusKeyword, QStringLiteral("キーワード欄へ(&K)"));
    keyword->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_L), QKeySequence(Qt::Key_F4)});
    edit->addAction(keyword);

    view->addSeparator();
    QAction* zoomIn = make(kIdZoomIn, QStringLiteral("拡大(&I)"));
    zoomIn->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)});
    view->addAction(zoomIn);
    QAction* zoomOut = make(kIdZoomOut, QStringLiteral("縮小(&O)"));
    zoomOut->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Minus));
    view->addAction(zoomOut);
    QAction* zoomReset = make(kIdZoomReset, QStringLiteral("元の大きさ(&R)"));
    zoomReset->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_0));
    view->addAction(zoomReset);
    view->addSeparator();
    m_vertical = make(kIdVertical, QStringLiteral("縦書き(&W)"));
    m_vertical->setCheckable(true);
    m_vertical->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_V));
    view->addAction(m_vertical);
    view->addAction(make(kIdPageFont, QStringLiteral("本文の書体(&F)...")));
    QMenu* schemes = view->addMenu(QStringLiteral("配色(&C)"));
    auto* group = new QActionGroup(this);
    const std::pair<int, QString> items[] = {
        {kIdSchemeSystem, QStringLiteral("システムに従う(&S)")},
        {kIdSchemeLight, QStringLiteral("明るい配色(&L)")},
        {kIdSchemeDark, QStringLiteral("暗い配色(&D)")}};
    for (int i = 0; i < 3; ++i) {
        m_schemes[i] = make(items[i].first, items[i].second);
        m_schemes[i]->setCheckable(true);
        group->addAction(m_schemes[i]);
        schemes->addAction(m_schemes[i]);
    }

    list->addSeparator();
    QAction* back = make(kIdHistoryBack, QStringLiteral("戻る(&B)"));
    back->setShortcuts({QKeySequence(Qt::ALT | Qt::Key_Left), QKeySequence(Qt::Key_Back)});
    list->addAction(back);
    QAction* forward = make(kIdHistoryForward, QStringLiteral("進む(&F)"));
    forward->setShortcuts({QKeySequence(Qt::ALT | Qt::Key_Right), QKeySequence(Qt::Key_Forward)});
    list->addAction(forward);
    SyncChecks();
}

void CReadingCommands::AddToolBarButtons(QToolBar* bar,
                                         const std::function<QAction*(int)>& action) {
    // The toolbar draws on its own light texture: it keeps light colours in
    // every scheme.
    QPalette light;
    const QPalette standard = bar->style()->standardPalette();
    for (int role = 0; role < QPalette::NColorRoles; ++role) {
        const auto r = static_cast<QPalette::ColorRole>(role);
        light.setColor(QPalette::Active, r, standard.color(QPalette::Active, r));
        light.setColor(QPalette::Inactive, r, standard.color(QPalette::Inactive, r));
        light.setColor(QPalette::Disabled, r, standard.color(QPalette::Disabled, r));
    }
    bar->setPalette(light);
    bar->addSeparator();
    QStyle* style = bar->style();
    if (QAction* back = action(kIdHistoryBack)) {
        back->setIcon(style->standardIcon(QStyle::SP_ArrowBack));
        back->setToolTip(QStringLiteral("戻る (Alt+←)"));
        bar->addAction(back);
    }
    if (QAction* forward = action(kIdHistoryForward)) {
        forward->setIcon(style->standardIcon(QStyle::SP_ArrowForward));
        forward->setToolTip(QStringLiteral("進む (Alt+→)"));
        bar->addAction(forward);
    }
    bar->addSeparator();
    for (const auto& [id, tip] : {std::pair{kIdZoomOut, QStringLiteral("縮小 (Ctrl+-)")},
                                  std::pair{kIdZoomIn, QStringLiteral("拡大 (Ctrl++)")}}) {
        if (QAction* a = action(id)) {
            a->setIconText(a->text().section(QLatin1Char('('), 0, 0));
            a->setToolTip(tip);
            bar->addAction(a);
        }
    }
}

bool CReadingCommands::OnCommand(int id) {
    switch (id) {
        case kIdZoomIn:
            m_look->ZoomIn();
            break;
        case kIdZoomOut:
            m_look->ZoomOut();
            break;
        case kIdZoomReset:
            m_look->ResetZoom();
            break;
        case kIdVertical:
            m_look->SetVertical(!m_look->Settings().vertical);
            break;
        case kIdPageFont:
            ChooseFont();
            break;
        case kIdSchemeSystem:
            m_look->SetScheme(panel::ColourScheme::kSystem);
            break;
        case kIdSchemeLight:
            m_look->SetScheme(panel::ColourScheme::kLight);
            break;
        case kIdSchemeDark:
            m_look->SetScheme(panel::ColourScheme::kDark);
            break;
        case kIdFindInPage:
            m_findBar->Open();
            break;
        case kIdHistoryBack:
            m_history->Back();
            break;
        case kIdHistoryForward:
            m_history->Forward();
            break;
        case kIdFocusKeyword:
            FocusKeyword();
            break;
        default:
            return false;
    }
    SyncChecks();
    return true;
}

void CReadingCommands::FillState(CommandState& state) const {
    state.zoomPercent = m_look->Settings().zoomPercent;
    state.canGoBack = m_history->CanBack();
    state.canGoForward = m_history->CanForward();
}

void CReadingCommands::OnPageShown(const QString& path) { m_history->OnShown(path); }

void CReadingCommands::OnFormStateChanged() {
    const std::u16string& keyword = m_form.Keyword();
    if (!m_keywords || keyword.empty() || keyword == m_lastKeyword) return;
    m_lastKeyword = keyword;
    m_keywords->Add(QString::fromUtf16(keyword.data(), static_cast<qsizetype>(keyword.size())));
}

void CReadingCommands::ChooseFont() {
    const QStringList families = CPageLook::InstalledFamilies();
    const QString current = QString::fromStdString(m_look->Settings().fontFamily);
    bool ok = false;
    const QString chosen = QInputDialog::getItem(m_view.window(), QStringLiteral("本文の書体"),
                                                 QStringLiteral("書体："), families,
                                                 qMax(0, families.indexOf(current)), false, &ok);
    if (ok) m_look->SetFontFamily(chosen);
}

void CReadingCommands::FocusKeyword() {
    if (m_splitter.HiddenColumn() == 0) m_splitter.TogglePane(0);
    m_form.SelectTab(1);
    if (m_form.KeywordBox()) {
        QLineEdit* field = m_form.KeywordBox()->Field();
        field->setFocus(Qt::ShortcutFocusReason);
        field->selectAll();
    }
}

void CReadingCommands::SyncChecks() {
    if (m_vertical) m_vertical->setChecked(m_look->Settings().vertical);
    const int scheme = static_cast<int>(m_look->Settings().scheme);
    if (m_schemes[scheme]) m_schemes[scheme]->setChecked(true);
}

}  // namespace shell
