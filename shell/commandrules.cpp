#include "shell/commandrules.h"

#include "panel/readingsettings.h"
#include "shell/commandids.h"

namespace shell {

namespace {

// Position of the current page inside its volume, 0 for the first page.
std::int64_t PageOffset(const CommandState& s) {
    return static_cast<std::int64_t>(s.currentPage) - s.volumeFirstPage;
}

}  // namespace

bool IsCommandEnabled(int id, const CommandState& s) {
    switch (id) {
        case kIdCopy:
        case kIdSelectAll:
        case kIdPrint:
        case kIdPrintSettings:
        case kIdPageCopy:
        case kIdPageSelectAll:
        case kIdFilePrint:
        case kIdFindInPage:
        case kIdParallels:
            return s.pageShown;
        case kIdZoomIn:
            return s.zoomPercent < panel::kMaxZoomPercent;
        case kIdZoomOut:
            return s.zoomPercent > panel::kMinZoomPercent;
        case kIdHistoryBack:
            return s.canGoBack;
        case kIdHistoryForward:
            return s.canGoForward;
        case kIdPrevPage:
            return s.currentVolume != 0 && PageOffset(s) >= 1;
        case kIdNextPage:
            return s.currentVolume != 0 && PageOffset(s) + 1 < s.volumePageCount;
        case kIdPrevVolume:
            return s.currentVolume != 0 && s.volumeBefore;
        case kIdNextVolume:
            return s.currentVolume != 0 && s.volumeAfter;
        case kIdPrevHit:
            return s.currentHit >= 1;
        case kIdNextHit:
            return s.currentHit + 1 < s.hitCount;
        case kIdConcordance:
        case kIdSaveResults:
        case kIdDistribution:
            return s.hasResults;
        case kIdCopyCitation:
            return s.pageShown && s.pageCitable;
        default:
            return true;
    }
}

}  // namespace shell
