// FitColumns: the widths of the result list's columns (類別, 書名, 巻, 頁).
// Every column gets the width its longest text needs when they all fit, and
// the room left over goes to 書名. When they do not fit, 書名 gives way
// (down to its minimum) so that category, volume and page stay whole; its
// cut names are shown in a tooltip.
#pragma once

#include <vector>

namespace panel {

// needed: per column the width of its widest text (header included).
// available: the list's inner width. shrinking: the column that gives way.
// Returns one width per column; their sum exceeds available only when the
// other columns and the shrinking column's minimum do not fit.
std::vector<int> FitColumns(const std::vector<int>& needed, int available, int shrinking,
                            int minimum);

}  // namespace panel
