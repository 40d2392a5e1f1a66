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

}  // namespace shell
