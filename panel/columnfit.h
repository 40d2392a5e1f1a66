// FitColumns: the widths of the result list's columns (類別, 書名, 巻, 頁).
// Every column gets the width its longest text needs when they all fit, and
// the room left over goes to 書名. When they do not fit, 書名 gives way
// (down to its minimum) so that category, volume and page stay whole; its
// cut names are shown in a tooltip.
#pragma once

#include <string_view>
#include <vector>

namespace panel {

// needed: per column the width of its widest text (header included).
// available: the list's inner width. shrinking: the column that gives way.
// Returns one width per column; their sum exceeds available only when the
// other columns and the shrinking column's minimum do not fit.
std::vector<int> FitColumns(const std::vector<int>& needed, int available, int shrinking,
                            int minimum);

// The width of a line of corpus text reckoned as its characters (a
// surrogate pair is one) times the width of one ideograph: the characters
// of the corpus and its punctuation are all full-width, and shaping every
// line of a result page to measure it cost tens of milliseconds the first
// time its characters were seen.
int FullWidthTextWidth(std::u16string_view text, int ideographWidth);

}  // namespace panel
