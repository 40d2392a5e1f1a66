#include "shell/splitterlayout.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

namespace shell {

std::string SplitterLayout::Format() const {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%d %d %d %d", hiddenColumn, size0 == -1 ? 100 : size0,
                  hiddenRow, size1 == -1 ? 100 : size1);
    return buf;
}

bool SplitterLayout::Parse(std::string_view text) {
    int values[4];
    const char* p = text.data();
    const char* end = p + text.size();
    for (int& v : values) {
        while (p < end && (*p == ' ' || *p == '\t')) ++p;
        auto [next, ec] = std::from_chars(p, end, v);
        if (ec != std::errc()) return false;
        p = next;
    }
    while (p < end && (*p == ' ' || *p == '\t')) ++p;
    if (p != end) return false;
    hiddenColumn = values[0];
    size0 = values[1];
    hiddenRow = values[2];
    size1 = values[3];
    return true;
}

std::string SplitterEntryName(int level) { return "Panes_" + std::to_string(level); }

SplitterLayout CheckedLayout(SplitterLayout saved, int defaultFirst, int minFirst, int maxFirst) {
    if (saved.hiddenColumn != 0 && saved.hiddenColumn != 1) saved.hiddenColumn = -1;
    if (saved.hiddenRow != 0 && saved.hiddenRow != 1) saved.hiddenRow = -1;
    if (saved.size0 < minFirst || saved.size0 > maxFirst) saved.size0 = defaultFirst;
    return saved;
}

PaneSizes SplitPanes(int extent, int handle, int wantedFirst, int firstMin, int secondMin) {
    const int room = std::max(extent - handle, 0);
    int first = std::min(wantedFirst, room - secondMin);
    first = std::max(first, std::min(firstMin, room));
    return {first, room - first};
}

}  // namespace shell
