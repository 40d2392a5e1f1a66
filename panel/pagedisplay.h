// CPageDisplay: writes the pages the reader shows into a private folder and
// hands them to the page view. Catalogue pages go raw, as the page store
// holds them, to windows.html; result pages are composed with their hits
// marked and anchored and go to windows1.html and windows2.html in turn, so
// two successive result pages never share a name, and open at "#0000".
// It also keeps the hit position (currentResultFile, hitCount, currentHit)
// that the hit commands step through. Anchors are numbered keyword by
// keyword; the hits are stepped through in reading order: a result page
// opens at the anchor that comes first in the page, and currentHit counts
// hits in the order they stand.
//
// The folder is made with mkdtemp inside the temp folder given to Prepare
// (mode 0700) and removed with its files by the destructor. Files are opened
// with O_NOFOLLOW, so a link planted in place of a page file is never
// followed. A page that cannot be written ends that display silently: the
// view keeps what it shows. Owned by the left form; UI thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/index.h"
#include "pages/pagetext.h"

namespace panel {

class CPageDisplay {
  public:
    // Shows the file at path, scrolled to anchor when anchor is not empty.
    using Navigate = std::function<void(const std::string& path, const std::string& anchor)>;

    CPageDisplay(engine::CIndex& index, Navigate navigate);
    ~CPageDisplay();
    CPageDisplay(const CPageDisplay&) = delete;
    CPageDisplay& operator=(const CPageDisplay&) = delete;

    // Creates the private folder inside tempRoot. False (and no folder) when
    // it cannot be created; every display then ends silently.
    bool Prepare(const std::string& tempRoot);
    const std::string& Folder() const { return m_folder; }

    // Shows page `page` (or the first page, firstPage, when useFirstPage) of
    // the volume whose first record is docID (1-based). False when the page
    // does not exist in the store, cannot be read or the file cannot be
    // written; nothing is shown then.
    bool ShowCatalogPage(std::int32_t docID, std::int32_t firstPage, bool useFirstPage,
                         std::int32_t page);

    // Composes record with the hits of keyword marked in textLayer, writes it
    // to the next result file and shows it at its first hit in reading order
    // ("#0000" when it has none). Sets hitCount and currentHit = 0 once
    // composed. A record the page store cannot read shows a short notice in
    // its place. False when the file cannot be written.
    bool ShowResultPage(std::uint32_t record, std::u16string_view keyword, int textLayer,
                        bool useVariants);

    // Writes a page composed elsewhere (with anchors hit anchors) to the next
    // result file and shows it as ShowResultPage does; record is the page it
    // shows, marks the position spans it marks.
    bool ShowComposedPage(std::uint32_t record, std::string_view html, std::int32_t anchors,
                          std::vector<pages::PositionSpan> marks);

    // Whether the last catalogue or result page asked for was found in the
    // page directory but could not be read from the damaged page store.
    bool LastPageUnreadable() const { return m_lastPageUnreadable; }

    bool CanPrevHit() const;
    bool CanNextHit() const;
    // Step to the previous or next anchor of the current result file; false
    // (nothing moves) when the rule above forbids it.
    bool PrevHit();
    bool NextHit();
    // The record of the page shown last, -1 before any; whether it was
    // shown as a result page (with its hits marked).
    std::int64_t ShownRecord() const { return m_shownRecord; }
    bool ShownAsResult() const { return m_lastShown == Shown::Result; }
    // A new search starts again at the first hit.
    void ResetHit() { m_currentHit = 0; }
    // Shows hit n (0 .. HitCount() - 1) of the current result page; false
    // (nothing moves) when there is no such hit.
    bool GoToHit(std::int32_t n);

    // What was shown last, for the session: a catalogue page or a result
    // page with what marked it.
    enum class Shown { None, Catalogue, Result };
    struct ResultPage {
        std::uint32_t record = 0;
        std::u16string keyword;
        int textLayer = 0;
        bool useVariants = true;
        std::vector<pages::PositionSpan> marks;  // of a page composed elsewhere
    };
    Shown LastShown() const { return m_lastShown; }
    const ResultPage& LastResultPage() const { return m_resultPage; }

    std::string CatalogPageFile() const;
    std::string ResultPageFile(int which) const;  // 1 or 2
    const std::string& CurrentResultFile() const { return m_currentResultFile; }
    std::int32_t HitCount() const { return m_hitCount; }
    std::int32_t CurrentHit() const { return m_currentHit; }

    // The anchor number of hit i in reading order (i itself beyond the list).
    std::int32_t AnchorOfHit(std::int32_t i) const;

    // "%04d": the name of hit anchor n.
    static std::string AnchorName(int n);
    // The numbers of the hit anchors of html (0 .. anchors - 1) in the order
    // they stand; numbers out of that range or repeated are left out.
    static std::vector<std::int32_t> AnchorsInReadingOrder(std::string_view html,
                                                           std::int32_t anchors);

  private:
    bool WriteFile(const std::string& path, std::string_view bytes) const;
    // Writes html to the next result file and shows it at its first anchor.
    bool ShowPage(std::string_view html, std::int32_t anchors, ResultPage source);
    void NavigateToHit();
    // A loaded corpus whose page store fails to read record.
    bool PageUnreadable(std::uint32_t record);

    engine::CIndex& m_index;
    Navigate m_navigate;
    std::string m_folder;
    bool m_useFirstResultFile = true;
    std::string m_currentResultFile;
    std::int32_t m_hitCount = 0;
    std::int32_t m_currentHit = 0;
    Shown m_lastShown = Shown::None;
    ResultPage m_resultPage;
    std::int64_t m_shownRecord = -1;
    std::vector<std::int32_t> m_hitOrder;  // anchor numbers in reading order
    bool m_lastPageUnreadable = false;
};

// Shown when a page of the damaged page store cannot be read.
inline constexpr const char* kUnreadablePageMessage =
    "頁ファイルが損傷しているため、この頁を表示できません。データを作り直してください。";

}  // namespace panel
