#include "panel/columnfit.h"

#include <algorithm>
#include <numeric>

namespace panel {

std::vector<int> FitColumns(const std::vector<int>& needed, int available, int shrinking,
                            int minimum) {
    std::vector<int> widths = needed;
    if (shrinking < 0 || static_cast<std::size_t>(shrinking) >= widths.size()) return widths;
    const int total = std::accumulate(needed.begin(), needed.end(), 0);
    const int others = total - needed[static_cast<std::size_t>(shrinking)];
    int& flexible = widths[static_cast<std::size_t>(shrinking)];
    // Room left over widens the shrinking column; too little narrows it.
    flexible = std::max(available - others, std::min(minimum, flexible));
    return widths;
}

int FullWidthTextWidth(std::u16string_view text, int ideographWidth) {
    int characters = 0;
    for (const char16_t unit : text) {
        if (unit < 0xDC00 || unit > 0xDFFF) ++characters;  // a low surrogate ends a pair
    }
    return characters * ideographWidth;
}

}  // namespace panel
