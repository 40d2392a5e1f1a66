// Numeric command IDs of the reader's menus, accelerators and toolbar. The
// numbers are fixed: menus, toolbar buttons and update rules refer to them.
#pragma once

namespace shell {

enum CommandId : int {
    kIdPageCopy = 32771,       // page view's right-click menu: limited copy
    kIdPageSelectAll = 32772,  // page view's right-click menu: select all
    kIdShowAll = 32774,        // 全表示: hide or show the left pane
    kIdPrintSettings = 32776,
    kIdPrint = 32777,
    kIdSelectAll = 32778,
    kIdPrevPage = 32780,
    kIdNextPage = 32781,
    kIdPageSlider = 32787,  // toolbar slot of the page slider
    kIdPageEdit = 32788,    // toolbar slot of the page edit
    kIdNextVolume = 32790,
    kIdPrevVolume = 32791,
    kIdHelp = 32798,
    kIdPrevHit = 32805,
    kIdNextHit = 32806,
    kIdParallels = 32810,     // 類似箇所を探す: page view menu and 一覧
    kIdConcordance = 32820,   // 用例一覧: every hit in context
    kIdSaveResults = 32821,   // 結果を保存: the result rows as TSV or CSV
    kIdCopyCitation = 32822,  // 出典をコピー: a reference line for the page shown
    kIdDistribution = 32823,  // 分布: pages and hits by category and title
    kIdFilePrint = 57607,     // the page view's own print (Ctrl+P)
    kIdCopy = 57634,
    kIdAbout = 57664,
    kIdExit = 57665,
    kIdNextPane = 57680,
    kIdPrevPane = 57681,
    kIdViewToolbar = 59392,
    kIdViewStatusBar = 59393,
    // Reading comfort: zoom, typeface, vertical text, colours, find, history.
    kIdZoomIn = 33170,
    kIdZoomOut = 33171,
    kIdZoomReset = 33172,
    kIdVertical = 33173,
    kIdPageFont = 33174,
    kIdSchemeSystem = 33175,
    kIdSchemeLight = 33176,
    kIdSchemeDark = 33177,
    kIdFindInPage = 33178,
    kIdHistoryBack = 33179,
    kIdHistoryForward = 33180,
    kIdFocusKeyword = 33181,
};

}  // namespace shell
