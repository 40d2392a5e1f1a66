#include "panel/resultpaging.h"

#include <limits>

namespace panel {

namespace {

// The value of the leading decimal digits of text; 0 when there are none,
// saturated at the largest int32 so that long input reads as "too big".
std::int32_t LeadingNumber(std::string_view text) {
    std::int64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') break;
        value = value * 10 + (c - '0');
        if (value > std::numeric_limits<std::int32_t>::max()) {
            return std::numeric_limits<std::int32_t>::max();
        }
    }
    return static_cast<std::int32_t>(value);
}

}  // namespace

void ResultPaging::Reset(std::size_t rowCount) {
    m_rowCount = rowCount;
    const std::size_t pages = (rowCount + kRowsPerResultPage - 1) / kRowsPerResultPage;
    m_totalResultPages = pages > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())
                             ? std::numeric_limits<std::int32_t>::max()
                             : static_cast<std::int32_t>(pages);
    m_currentResultPage = m_totalResultPages > 0 ? 1 : 0;
}

std::size_t ResultPaging::FirstRow() const {
    if (m_currentResultPage < 1) return 0;
    const std::size_t first =
        static_cast<std::size_t>(m_currentResultPage - 1) * kRowsPerResultPage;
    return first < m_rowCount ? first : m_rowCount;
}

std::size_t ResultPaging::LastRow() const {
    if (m_currentResultPage < 1) return 0;
    const std::size_t last = FirstRow() + kRowsPerResultPage;
    return last < m_rowCount ? last : m_rowCount;
}

bool ResultPaging::OnPrevResultPage() {
    if (m_currentResultPage <= 1) return false;
    --m_currentResultPage;
    return true;
}

bool ResultPaging::OnNextResultPage() {
    if (m_currentResultPage >= m_totalResultPages) return false;
    ++m_currentResultPage;
    return true;
}

PageEditResult ResultPaging::OnResultPageEdited(std::string_view text) {
    PageEditResult result;
    const std::int32_t n = LeadingNumber(text);
    if (n <= 0 || n > m_totalResultPages) {
        result.outcome = PageEditOutcome::Restored;
        result.editText = std::to_string(m_currentResultPage);
        return result;
    }
    result.editText = std::string(text);
    if (n == m_currentResultPage) return result;
    m_currentResultPage = n;
    result.outcome = PageEditOutcome::Changed;
    result.editText = std::to_string(n);
    return result;
}

PagingControls ResultPaging::Controls() const {
    PagingControls controls;
    controls.visible = m_totalResultPages > 0;
    controls.prevEnabled = true;
    controls.nextEnabled = true;
    controls.editReadOnly = false;
    controls.editText = std::to_string(m_currentResultPage);
    // Appended in two steps: GCC 12 at -O3 reports a false -Wrestrict for "/" + std::string.
    controls.countText = "/";
    controls.countText += std::to_string(m_totalResultPages);
    if (m_totalResultPages == 1) {
        controls.prevEnabled = false;
        controls.nextEnabled = false;
        controls.editReadOnly = true;
    }
    if (m_currentResultPage == 1) controls.prevEnabled = false;
    if (m_currentResultPage == m_totalResultPages) controls.nextEnabled = false;
    return controls;
}

}  // namespace panel
