// The 文脈 column of the result list: for each row now in the list, the
// first hit on its page with kContextWidth characters either side, from the
// searched text layer. Only the rows shown are read, never the whole result.
#pragma once

#include <string_view>

#include "engine/index.h"

namespace panel {

class CSortListCtrl;

inline constexpr int kContextColumn = 4;
inline constexpr int kContextWidth = 12;

// Adds the column (once) and fills it for every row of list: its text is the
// whole line, the three parts go to the delegate's roles. A page without a
// hit in the layer (a hit found only through another term's spelling) shows
// an empty cell.
void FillContextColumn(CSortListCtrl& list, engine::CIndex& index, std::u16string_view keyword,
                       int textLayer, bool variants);

}  // namespace panel
