#include "panel/leftform.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDir>
#include <QFontDatabase>
#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QTabWidget>
#include <QTreeWidget>
#include <span>
#include <utility>

#include "panel/contextcolumn.h"
#include "panel/sortlistctrl.h"
#include "shell/htmlctrl.h"
#include "widgets/artwork.h"
#include "widgets/tooltipresourcebutton.h"

namespace panel {

namespace {

constexpr const char* kIndexBaseName = "Index";
constexpr int kTabCatalogue = 0;
constexpr int kTabSearch = 1;
constexpr int kTreeImageClosed = 160;
constexpr int kTreeImageOpen = 159;
constexpr int kPrevPageStrip = 184;
constexpr int kNextPageStrip = 185;

QString ControlName(int id) { return QStringLiteral("ctl%1").arg(id); }

template <typename W>
W* Named(W* widget, int id) {
    widget->setObjectName(ControlName(id));
    return widget;
}

// The dialog's font, or a CJK gothic face of this system when it is missing.
QFont FormFont() {
    const QStringList families = QFontDatabase::families();
    QFont font;
    for (const char* name : {"ＭＳ ゴシック", "Noto Sans CJK JP", "Noto Sans Mono CJK JP"}) {
        const QString family = QString::fromUtf8(name);
        if (families.contains(family)) {
            font.setFamily(family);
            break;
        }
    }
    font.setPixelSize(12);
    return font;
}

}  // namespace

CLeftForm::CLeftForm(Services services, QWidget* parent)
    : QWidget(parent),
      m_services(std::move(services)),
      m_pageDisplay(m_index, [this](const std::string& path, const std::string& anchor) {
          if (m_services.navigate) {
              m_services.navigate(QString::fromStdString(path), QString::fromStdString(anchor));
          }
      }) {
    setObjectName(QStringLiteral("CLeftForm"));
    setFont(FormFont());
    m_pageDisplay.Prepare(m_services.tempRoot);
    m_folder.Open(m_services.dataDir);
    if (!m_index.Load(m_folder, kIndexBaseName, engine::Full)) {
        Notify(kDataOpenFailedMessage);
    }
    // The window opens before anyone searches: the checks are best paid now.
    m_index.CheckAcceleratorNow();
    BuildControls();
}

CLeftForm::~CLeftForm() { m_index.Unload(); }

void CLeftForm::Notify(const QString& text) const {
    if (m_services.notify) m_services.notify(text);
}

QWidget* CLeftForm::Control(int id) const { return findChild<QWidget*>(ControlName(id)); }

void CLeftForm::BuildControls() {
    m_tabs = Named(new QTabWidget(this), kIdcTab);
    m_tabs->addTab(new QWidget, QStringLiteral("目録"));
    m_tabs->addTab(new QWidget, QStringLiteral("検索"));
    m_tabs->setTabToolTip(kTabCatalogue, QStringLiteral("目録"));
    m_tabs->setTabToolTip(kTabSearch, QStringLiteral("検索"));

    m_tree = Named(new QTreeWidget(this), kIdcTree);
    m_tree->setHeaderHidden(true);
    m_tree->setRootIsDecorated(false);
    m_tree->setExpandsOnDoubleClick(true);
    m_tree->setSelectionMode(QAbstractItemView::SingleSelection);
    m_tree->setIconSize(QSize(20, 20));

    m_prompt = Named(new QLabel(QStringLiteral("キーワードを入力して下さい。"), this), kIdcPrompt);
    auto* placeholder = Named(new QFrame(this), kIdcKeyword);
    placeholder->hide();
    m_keywordBox = new shell::CHtmlCtrl(this);
    m_keywordBox->ReplacePlaceholder(placeholder);
    m_mainEdit = Named(new QLineEdit(this), kIdcMainEdit);
    m_mainEdit->hide();
    m_searchButton = Named(new QPushButton(QStringLiteral("検索"), this), kIdcSearch);
    auto* line = Named(new QFrame(this), kIdcLine);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    m_line = line;
    m_variantsBox =
        Named(new QCheckBox(QStringLiteral("簡繁・中日等の異体字の関連"), this), kIdcVariants);
    m_methodGroup = Named(new QGroupBox(QStringLiteral("検索方法："), this), kIdcMethodGroup);
    m_and = Named(new QRadioButton(QStringLiteral("and"), this), kIdcAnd);
    m_or = Named(new QRadioButton(QStringLiteral("or"), this), kIdcOr);
    auto* methodButtons = new QButtonGroup(this);
    methodButtons->addButton(m_and, 0);
    methodButtons->addButton(m_or, 1);
    m_layerGroup = Named(new QGroupBox(QStringLiteral("検索対象："), this), kIdcLayerGroup);
    m_full = Named(new QRadioButton(QStringLiteral("全文"), this), kIdcFull);
    m_main = Named(new QRadioButton(QStringLiteral("正文"), this), kIdcMain);
    m_notes = Named(new QRadioButton(QStringLiteral("注釈"), this), kIdcNotes);
    auto* layerButtons = new QButtonGroup(this);
    layerButtons->addButton(m_full, 0);
    layerButtons->addButton(m_main, 1);
    layerButtons->addButton(m_notes, 2);
    m_rangeGroup = Named(new QGroupBox(QStringLiteral("検索範囲："), this), kIdcRangeGroup);
    m_scopeLabel = Named(new QLabel(this), kIdcScopeLabel);
    ColourScopeLabel();
    m_summary = Named(new QLabel(this), kIdcSummary);
    m_resultList = Named(new CSortListCtrl(this), kIdcResultList);

    auto* prev = Named(new widgets::CToolTipResourceButton(this), kIdcPrevResultPage);
    if (!prev->LoadStateStrip(kPrevPageStrip)) {
        prev->setText(QStringLiteral("<"));
        prev->resize(32, 32);
    }
    prev->SetTipText(QStringLiteral("Previous Page"), true);
    auto* next = Named(new widgets::CToolTipResourceButton(this), kIdcNextResultPage);
    if (!next->LoadStateStrip(kNextPageStrip)) {
        next->setText(QStringLiteral(">"));
        next->resize(32, 32);
    }
    next->SetTipText(QStringLiteral("Next Page"), true);
    m_prevPage = prev;
    m_nextPage = next;
    m_pageEdit = Named(new QLineEdit(this), kIdcResultPageEdit);
    m_pageEdit->setAlignment(Qt::AlignCenter);
    m_pageEdit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), m_pageEdit));
    m_pageCount = Named(new QLabel(this), kIdcResultPageCount);

    for (QWidget* w : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (w != m_tabs) w->raise();
    }

    connect(m_tabs, &QTabWidget::currentChanged, this, [this] { LayoutControls(); });
    connect(m_searchButton, &QPushButton::clicked, this, &CLeftForm::OnSearch);
    connect(m_full, &QRadioButton::clicked, this, &CLeftForm::OnScopeFull);
    connect(m_main, &QRadioButton::clicked, this, &CLeftForm::OnScopeMain);
    connect(m_notes, &QRadioButton::clicked, this, &CLeftForm::OnScopeNotes);
    connect(m_prevPage, &QAbstractButton::clicked, this, &CLeftForm::OnPrevResultPage);
    connect(m_nextPage, &QAbstractButton::clicked, this, &CLeftForm::OnNextResultPage);
    connect(m_pageEdit, &QLineEdit::editingFinished, this, &CLeftForm::OnResultPageEdited);
    connect(m_resultList, &CSortListCtrl::resultItemSelected, this,
            &CLeftForm::OnResultItemChanged);
    connect(m_tree, &QTreeWidget::itemSelectionChanged, this, &CLeftForm::OnCatalogueSelChanged);
}

void CLeftForm::OnInitialUpdate() {
    if (m_initialised) return;
    m_initialised = true;
    m_and->setChecked(m_andOr == 0);
    m_or->setChecked(m_andOr == 1);
    m_full->setChecked(true);
    m_variantsBox->setChecked(m_variants);
    m_summary->setText(QStringLiteral("検索集計："));
    m_scopeLabel->setText(QString::fromStdString(m_position.scopeLabel));
    LoadCatalogueTree();
    // The tree shows the entry a search covers: the whole corpus at start.
    SelectTreeSlot(m_position.scopeEntry);
    m_tabs->setCurrentIndex(kTabCatalogue);
    WatchEnterKey(this);
    LayoutControls();
}

void CLeftForm::LoadCatalogueTree() {
    const CatalogueLoadResult result = m_catalogue.LoadCatalogue(m_folder, m_services.listingPath);
    if (!result.opened) Notify(QString::fromUtf8(kCatalogueMissingMessage));

    QIcon icon;
    icon.addPixmap(QPixmap::fromImage(widgets::LoadBitmapResource(kTreeImageClosed)),
                   QIcon::Normal);
    icon.addPixmap(QPixmap::fromImage(widgets::LoadBitmapResource(kTreeImageOpen)),
                   QIcon::Selected);

    const bool blocked = m_tree->blockSignals(true);
    m_tree->clear();
    m_treeItemOfSlot.assign(static_cast<std::size_t>(kWholeCorpusSlot) + 1, nullptr);
    auto* whole = new QTreeWidgetItem(m_tree);
    whole->setText(0, QString::fromUtf8(kWholeCorpusName));
    whole->setIcon(0, icon);
    whole->setData(0, Qt::UserRole, kWholeCorpusSlot);
    m_treeItemOfSlot[static_cast<std::size_t>(kWholeCorpusSlot)] = whole;
    for (const CatalogueTreeItem& entry : m_catalogue.TreeItems()) {
        QTreeWidgetItem* parentItem =
            entry.parentSlot > 0 ? TreeItemOfSlot(entry.parentSlot) : nullptr;
        auto* item = parentItem ? new QTreeWidgetItem(parentItem) : new QTreeWidgetItem(m_tree);
        item->setText(0, QString::fromStdString(m_catalogue.NodeItem(entry.slot).Name()));
        item->setIcon(0, icon);
        item->setData(0, Qt::UserRole, entry.slot);
        m_treeItemOfSlot[static_cast<std::size_t>(entry.slot)] = item;
    }
    m_tree->blockSignals(blocked);
}

QTreeWidgetItem* CLeftForm::TreeItemOfSlot(int slot) const {
    if (slot < 0 || static_cast<std::size_t>(slot) >= m_treeItemOfSlot.size()) return nullptr;
    return m_treeItemOfSlot[static_cast<std::size_t>(slot)];
}

bool CLeftForm::SelectTreeSlot(int slot) {
    QTreeWidgetItem* item = TreeItemOfSlot(slot);
    if (!item) return false;
    m_tree->setCurrentItem(item);
    m_tree->scrollToItem(item);
    return true;
}

void CLeftForm::SelectTab(int index) { m_tabs->setCurrentIndex(index); }

void CLeftForm::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    LayoutControls();
}

void CLeftForm::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange && m_scopeLabel) ColourScopeLabel();
}

void CLeftForm::ColourScopeLabel() {
    const bool dark = palette().color(QPalette::Window).lightness() < 128;
    QPalette red = m_scopeLabel->palette();
    red.setColor(QPalette::WindowText, dark ? QColor(255, 156, 156) : QColor(255, 0, 0));
    m_scopeLabel->setPalette(red);
}

void CLeftForm::LayoutControls() {
    const int w = width();
    const int h = height();
    m_tabs->setGeometry(0, 0, w - 1, h - 1);
    const bool search = m_tabs->currentIndex() == kTabSearch;
    const std::vector<QWidget*> searchControls = {
        m_prompt,     m_keywordBox, m_searchButton, m_line,      m_variantsBox, m_methodGroup,
        m_and,        m_or,         m_layerGroup,   m_full,      m_main,        m_notes,
        m_rangeGroup, m_scopeLabel, m_summary,      m_resultList};
    m_mainEdit->hide();
    if (!search) {
        for (QWidget* c : searchControls) c->hide();
        for (QWidget* c : {static_cast<QWidget*>(m_prevPage), static_cast<QWidget*>(m_nextPage),
                           static_cast<QWidget*>(m_pageEdit), static_cast<QWidget*>(m_pageCount)}) {
            c->hide();
        }
        m_tree->setGeometry(5, 26, w - 10, h - 30);
        m_tree->show();
        if (window()) window()->setWindowTitle(QStringLiteral("Saryn(Orvale)"));
        return;
    }
    m_tree->hide();
    m_prompt->setGeometry(5, 28, w - 10, 15);
    m_keywordBox->setGeometry(5, 45, w - 60, 25);
    m_searchButton->setGeometry(w - 50, 45, 45, 25);
    m_line->setGeometry(4, 75, w - 8, 1);
    m_variantsBox->setGeometry(5, 80, w - 10, 15);
    m_methodGroup->setGeometry(5, 100, w - 10, 40);
    m_and->setGeometry(10, 115, 50, 20);
    m_or->setGeometry(w - 70, 115, 50, 20);
    m_layerGroup->setGeometry(5, 145, w - 10, 40);
    m_full->setGeometry(10, 160, 60, 20);
    m_main->setGeometry(97, 160, 60, 20);
    m_notes->setGeometry(189, 160, 60, 20);
    m_rangeGroup->setGeometry(5, 190, w - 10, 40);
    m_scopeLabel->setGeometry(10, 205, w - 30, 20);
    m_summary->setGeometry(5, 235, w - 15, 15);
    for (QWidget* c : searchControls) c->show();
    LayoutPaging();
    if (window()) window()->setWindowTitle(QStringLiteral("Saryn(Orvale)"));
}

void CLeftForm::LayoutPaging() {
    const int w = width();
    const int h = height();
    const bool search = m_tabs->currentIndex() == kTabSearch;
    const std::vector<QWidget*> paging = {m_prevPage, m_nextPage, m_pageEdit, m_pageCount};
    if (m_paging.TotalResultPages() == 0) {
        for (QWidget* c : paging) c->hide();
        m_resultList->setGeometry(5, 250, w - 10, h - 254);
        return;
    }
    const int bw = m_prevPage->width();
    const int bh = m_prevPage->height();
    const int y = h - bh - 5;
    m_prevPage->move(5, y);
    m_nextPage->move(w - bw - 5, y);
    const int x = (w - 139) / 2 + 37;
    m_pageEdit->setGeometry(x, y + 6, 35, 20);
    m_pageCount->setGeometry(x + 37, y + 8, 30, 24);
    m_resultList->setGeometry(5, 250, w - 10, h - 254 - (bh + 2));
    for (QWidget* c : paging) c->setVisible(search);
}

void CLeftForm::UpdatePagingControls() {
    const PagingControls controls = m_paging.Controls();
    m_prevPage->setEnabled(controls.prevEnabled);
    m_nextPage->setEnabled(controls.nextEnabled);
    m_pageEdit->setText(QString::fromStdString(controls.editText));
    m_pageEdit->setReadOnly(controls.editReadOnly);
    m_pageEdit->selectAll();
    m_pageCount->setText(QString::fromStdString(controls.countText));
}

void CLeftForm::FillResultPage() {
    if (m_paging.CurrentResultPage() < 1) return;
    const bool blocked = m_resultList->blockSignals(true);
    m_resultList->clear();
    m_resultList->blockSignals(blocked);
    UpdatePagingControls();
    for (const SearchNodeTag& row :
         m_paging.PageRows(std::span<const SearchNodeTag>(m_rows.data(), m_rows.size()))) {
        m_resultList->AddRow(QString::fromStdString(row.category),
                             QString::fromStdString(row.title), QString::fromStdString(row.volume),
                             row.page, row.recordIndex);
    }
    ShowSummary(*m_summary, m_rows,
                FillContextColumn(*m_resultList, m_index, m_listed.keyword, m_listed.textLayer,
                                  m_listed.variants),
                m_listDamaged);
    m_resultList->FitColumns();
}

void CLeftForm::OnPrevResultPage() {
    if (m_paging.OnPrevResultPage()) FillResultPage();
}

void CLeftForm::OnNextResultPage() {
    if (m_paging.OnNextResultPage()) FillResultPage();
}

void CLeftForm::OnResultPageEdited() {
    if (m_paging.TotalResultPages() == 0) return;
    const PageEditResult result = m_paging.OnResultPageEdited(m_pageEdit->text().toStdString());
    switch (result.outcome) {
        case PageEditOutcome::Changed:
            FillResultPage();
            break;
        case PageEditOutcome::Restored:
            m_pageEdit->setText(QString::fromStdString(result.editText));
            m_pageEdit->selectAll();
            break;
        case PageEditOutcome::Unchanged:
            break;
    }
}

void CLeftForm::ReloadIndex(int scope, int textLayer) {
    m_index.Unload();
    if (!m_index.Load(m_folder, kIndexBaseName, scope)) Notify(kDataOpenFailedMessage);
    m_index.CheckAcceleratorNow();
    m_textLayer = textLayer;
    emit stateChanged();
}

void CLeftForm::OnScopeFull() { ReloadIndex(engine::Full, 0); }
void CLeftForm::OnScopeMain() { ReloadIndex(engine::Content, 1); }
void CLeftForm::OnScopeNotes() { ReloadIndex(engine::Desc, 2); }

bool CLeftForm::ShowCatalogPage(int slot, bool useFirstPage, int page) {
    if (!m_catalogue.HoldsEntry(slot)) return false;
    const CatalogueRecord& record = m_catalogue.NodeItem(slot);
    const bool shown =
        m_pageDisplay.ShowCatalogPage(record.DocID(), record.CurFileName(), useFirstPage, page);
    NotifyUnreadablePage();
    emit stateChanged();
    return shown;
}

void CLeftForm::NotifyUnreadablePage() {
    // Once per search (and once before the first): stepping through a run
    // of damaged pages must not raise a message at every step.
    if (!m_pageDisplay.LastPageUnreadable() || m_unreadablePageNotified) return;
    m_unreadablePageNotified = true;
    Notify(QString::fromUtf8(kUnreadablePageMessage));
}

void CLeftForm::OnCatalogueSelChanged() {
    const QList<QTreeWidgetItem*> selected = m_tree->selectedItems();
    if (selected.isEmpty()) return;
    QTreeWidgetItem* item = selected.first();
    const int slot = item->data(0, Qt::UserRole).toInt();
    m_position.scopeEntry = static_cast<std::uint16_t>(slot & 0xFFFF);
    m_position.scopeLabel = m_catalogue.TreePath(slot);
    m_scopeLabel->setText(QString::fromStdString(m_position.scopeLabel));
    if (item->childCount() == 0 && m_catalogue.HoldsEntry(slot)) {
        m_position.currentVolume = slot;
        m_position.currentPage = m_catalogue.NodeItem(slot).CurFileName();
        ShowCatalogPage(slot, true, 1);
        emit volumeShown(slot);
    }
    emit stateChanged();
}

}  // namespace panel
