// CLeftForm: the left pane of the main window. Two tabs: 目録 (the catalogue
// tree) and 検索 (keyword box, search options, result summary, result list
// and result paging). The form owns the search engine (CIndex), the
// catalogue, the result rows, the page display with its private page files
// and the position state that navigation and the page toolbar move. Its
// controls carry their dialog IDs as object names ("ctl1011" and so on) and
// are placed by fixed rectangles on every resize and tab change.
//
// The decisions live in plain classes (Catalogue, BuildRows, ResultPaging,
// CPageDisplay); the form forwards user actions to them and renders their
// state. Messages go through the notify function given at construction.
// UI thread only.
#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/index.h"
#include "panel/catalogue.h"
#include "panel/pagedisplay.h"
#include "panel/positionstate.h"
#include "panel/resultpaging.h"
#include "panel/resultrows.h"
#include "panel/searchrun.h"
#include "panel/sessionstate.h"

class QAbstractButton;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTreeWidget;
class QTreeWidgetItem;

namespace shell {
class CHtmlCtrl;
}

namespace panel {

class CSortListCtrl;

// Control IDs of the form.
enum LeftFormControl : int {
    kIdcMainEdit = 1001,  // hidden fallback keyword source
    kIdcPrompt = 1004,
    kIdcResultList = 1007,
    kIdcTree = 1009,
    kIdcTab = 1010,
    kIdcSearch = 1011,
    kIdcAnd = 1019,
    kIdcOr = 1020,
    kIdcMethodGroup = 1022,
    kIdcSummary = 1030,
    kIdcRangeGroup = 1033,
    kIdcScopeLabel = 1035,
    kIdcKeyword = 1041,
    kIdcFull = 1042,
    kIdcMain = 1043,
    kIdcNotes = 1044,
    kIdcLayerGroup = 1045,
    kIdcPrevResultPage = 1055,
    kIdcNextResultPage = 1057,
    kIdcResultPageEdit = 1058,
    kIdcResultPageCount = 1059,
    kIdcVariants = 1061,
    kIdcLine = 1062,
};

inline const QString kDataOpenFailedMessage = QStringLiteral("データを開けませんでした。");
inline const QString kNoScopeMessage = QStringLiteral("検索範囲をまた指定していません。");
inline const QString kNoKeywordMessage =
    QStringLiteral("何かキーワードを入力して検索をして下さい。");

class CLeftForm : public QWidget {
    Q_OBJECT
  public:
    struct Services {
        std::string dataDir;                              // corpus folder
        std::string tempRoot;                             // where the private page folder is made
        std::string listingPath = kCatalogueListingName;  // kvt.txt; empty = none
        std::function<void(const QString&)> notify;       // a message box
        // Shows a page file, at anchor when not empty.
        std::function<void(const QString& path, const QString& anchor)> navigate;
    };

    // Loads the whole-text index and prepares the page folder; reports
    // kDataOpenFailedMessage when the index cannot be loaded.
    explicit CLeftForm(Services services, QWidget* parent = nullptr);
    ~CLeftForm() override;

    // Keyword box, tabs, columns, catalogue: run once after construction.
    void OnInitialUpdate();

    // The search run of the 検索 button and the Enter key.
    void OnSearch();
    void OnScopeFull();
    void OnScopeMain();
    void OnScopeNotes();
    void OnPrevResultPage();
    void OnNextResultPage();
    void OnResultPageEdited();
    // The result list's selection: shows the composed page of the row.
    void OnResultItemChanged();
    // The catalogue tree's selection.
    void OnCatalogueSelChanged();

    // Shows page `page` (or the first page) of the entry in slot as stored.
    bool ShowCatalogPage(int slot, bool useFirstPage, int page);
    // Selects the tree item of slot (which runs the catalogue selection).
    bool SelectTreeSlot(int slot);
    void SelectTab(int index);

    // The form's part of the remembered session (leftformsession.cpp): tab,
    // scope, search options and the page shown with its hit position.
    void CaptureSession(SessionState& session) const;
    // Applies a checked session (see ReadSession) as the user would: the
    // tab, the options, the scope's tree item, then the page.
    void RestoreSession(const SessionState& session);

    engine::CIndex& Index() { return m_index; }
    const Catalogue& GetCatalogue() const { return m_catalogue; }
    PositionState& Position() { return m_position; }
    CPageDisplay& PageDisplay() { return m_pageDisplay; }
    const std::vector<SearchNodeTag>& Rows() const { return m_rows; }
    const ResultPaging& Paging() const { return m_paging; }
    const std::u16string& Keyword() const { return m_keyword; }
    int TextLayer() const { return m_textLayer; }
    bool Variants() const { return m_variants; }
    int AndOr() const { return m_andOr; }
    // The search that made the result list.
    const ListedSearch& Listed() const { return m_listed; }

    QWidget* Control(int id) const;
    shell::CHtmlCtrl* KeywordBox() const { return m_keywordBox; }
    CSortListCtrl* ResultList() const { return m_resultList; }
    QTreeWidget* Tree() const { return m_tree; }
    QTreeWidgetItem* TreeItemOfSlot(int slot) const;

  signals:
    // A volume became the current one by a tree selection.
    void volumeShown(int slot);
    // Something the command rules read changed.
    void stateChanged();

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void BuildControls();
    // The scope label is red; on dark colours a light red that stays legible.
    void ColourScopeLabel();
    void LayoutControls();
    void LayoutPaging();
    void FillResultPage();
    void UpdatePagingControls();
    void LoadCatalogueTree();
    void ReloadIndex(int scope, int textLayer);
    void Notify(const QString& text) const;
    // Says once that a page could not be read from the damaged page store.
    void NotifyUnreadablePage();
    void WatchEnterKey(QWidget* widget);

    Services m_services;
    // The corpus folder opened at start; every later load (scope switches,
    // the catalogue) reads through it, so the window keeps this corpus even
    // when a rebuild puts another in its place.
    engine::CorpusFolder m_folder;
    engine::CIndex m_index;
    Catalogue m_catalogue;
    CPageDisplay m_pageDisplay;
    PositionState m_position;
    std::vector<SearchNodeTag> m_rows;
    ResultPaging m_paging;
    std::u16string m_keyword;
    ListedSearch m_listed;
    // The listed search met damaged postings: its summary says it is incomplete.
    bool m_listDamaged = false;
    bool m_unreadablePageNotified = false;
    int m_andOr = 0;
    int m_scopeRadio = 0;
    bool m_variants = true;
    int m_textLayer = 0;
    bool m_initialised = false;

    QTabWidget* m_tabs = nullptr;
    QTreeWidget* m_tree = nullptr;
    QLabel* m_prompt = nullptr;
    shell::CHtmlCtrl* m_keywordBox = nullptr;
    QLineEdit* m_mainEdit = nullptr;
    QPushButton* m_searchButton = nullptr;
    QWidget* m_line = nullptr;
    QCheckBox* m_variantsBox = nullptr;
    QWidget* m_methodGroup = nullptr;
    QRadioButton* m_and = nullptr;
    QRadioButton* m_or = nullptr;
    QWidget* m_layerGroup = nullptr;
    QRadioButton* m_full = nullptr;
    QRadioButton* m_main = nullptr;
    QRadioButton* m_notes = nullptr;
    QWidget* m_rangeGroup = nullptr;
    QLabel* m_scopeLabel = nullptr;
    QLabel* m_summary = nullptr;
    CSortListCtrl* m_resultList = nullptr;
    QAbstractButton* m_prevPage = nullptr;
    QAbstractButton* m_nextPage = nullptr;
    QLineEdit* m_pageEdit = nullptr;
    QLabel* m_pageCount = nullptr;
    std::vector<QTreeWidgetItem*> m_treeItemOfSlot;
    // The Enter key event last acted on (see eventFilter).
    const QEvent* m_lastEnterEvent = nullptr;
    quint64 m_lastEnterTime = 0;
    QPointer<QWidget> m_lastEnterTarget;
};

}  // namespace panel
