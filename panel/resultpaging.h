// ResultPaging: which page of 100 result rows the result list shows, and the
// state of the paging row under it ("<", ">", the page edit and "/N").
//
// Holds counts only; the rows stay with the caller. The widgets forward user
// actions here and render Controls() and PageRange() afterwards. A fresh
// object (or Reset(0)) has no result page: the paging row is hidden.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace panel {

inline constexpr int kRowsPerResultPage = 100;

// Texts and states of the paging row.
struct PagingControls {
    bool visible = false;       // hidden while there is no result page
    bool prevEnabled = false;   // "<"
    bool nextEnabled = false;   // ">"
    bool editReadOnly = false;  // the page edit
    std::string editText;       // current result page in decimal
    std::string countText;      // "/%d" with the number of result pages
};

// What a page-edit commit did.
enum class PageEditOutcome {
    Changed,    // the typed page became current: refill the list
    Unchanged,  // the typed page is the current one: nothing to do
    Restored,   // out of range or not a number: put editText back and select it
};

struct PageEditResult {
    PageEditOutcome outcome = PageEditOutcome::Unchanged;
    std::string editText;  // the text the edit should show now (Restored)
};

class ResultPaging {
  public:
    // After a search with rowCount rows: ceil(rowCount / 100) result pages,
    // the first one current (0 when there are none).
    void Reset(std::size_t rowCount);

    int TotalResultPages() const { return m_totalResultPages; }
    int CurrentResultPage() const { return m_currentResultPage; }
    std::size_t RowCount() const { return m_rowCount; }

    // Rows [first, last) of the current result page; empty when there is none.
    std::size_t FirstRow() const;
    std::size_t LastRow() const;
    // The rows of the current result page out of all rows (a vector).
    template <typename Rows>
    std::span<const typename Rows::value_type> PageRows(const Rows& rows) const {
        const std::size_t last = LastRow() < rows.size() ? LastRow() : rows.size();
        const std::size_t first = FirstRow() < last ? FirstRow() : last;
        return std::span<const typename Rows::value_type>(rows).subspan(first, last - first);
    }

    // "<" and ">": true when the page changed (refill the list).
    bool OnPrevResultPage();
    bool OnNextResultPage();
    // The page edit lost the focus (or Enter with 2+ result pages): its
    // leading decimal digits name the page; none, 0 or more than the number
    // of pages restores the current page number.
    PageEditResult OnResultPageEdited(std::string_view text);
    // Enter runs a search with at most one result page, otherwise it commits
    // the page edit.
    bool EnterRunsSearch() const { return m_totalResultPages <= 1; }

    PagingControls Controls() const;

  private:
    std::size_t m_rowCount = 0;
    std::int32_t m_totalResultPages = 0;
    std::int32_t m_currentResultPage = 0;
};

}  // namespace panel
