// SplitterLayout: the four numbers the splitter saves at shutdown (hidden
// column, size of pane 0, hidden row, size of pane 1) and their text form
// "%d %d %d %d" as stored in the settings store.
#pragma once

#include <string>
#include <string_view>

namespace shell {

struct SplitterLayout {
    int hiddenColumn = -1;
    int size0 = 100;
    int hiddenRow = -1;
    int size1 = 100;

    // The settings value, e.g. "-1 260 -1 1000"; sizes of -1 are written as 100.
    std::string Format() const;
    // Reads four integers separated by blanks. False (layout untouched) when
    // the text holds fewer than four integers or anything after them.
    bool Parse(std::string_view text);

    bool operator==(const SplitterLayout&) const = default;
};

// The settings entry name for a splitter of the given nesting level: "Panes_%d".
std::string SplitterEntryName(int level);

// A saved layout made safe to apply: a hidden column or row other than 0 or 1
// becomes -1 (none), a size of pane 0 outside minFirst..maxFirst becomes
// defaultFirst.
SplitterLayout CheckedLayout(SplitterLayout saved, int defaultFirst, int minFirst, int maxFirst);

struct PaneSizes {
    int first = 0;
    int second = 0;
    bool operator==(const PaneSizes&) const = default;
};

// The two pane sizes of a splitter extent pixels long whose bar takes handle
// pixels. The first pane keeps the wanted size while the second keeps its
// minimum; below that the first gives way, down to its own minimum, and only
// then the second shrinks.
PaneSizes SplitPanes(int extent, int handle, int wantedFirst, int firstMin, int secondMin);

}  // namespace shell
