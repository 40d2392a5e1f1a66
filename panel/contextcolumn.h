// The 文脈 column of the result list: for each row now in the list, the
// first hit on its page with kContextWidth characters either side, from the
// searched text layer. Only the rows shown are read, never the whole result.
#pragma once

#include <QString>
#include <span>
#include <string_view>

#include "engine/index.h"
#include "panel/resultrows.h"

class QLabel;

namespace panel {

class CSortListCtrl;

inline constexpr int kContextColumn = 4;
inline constexpr int kContextWidth = 12;

// Adds the column (once) and fills it for every row of list: its text is the
// whole line, the three parts go to the delegate's roles. A page without a
// hit in the layer (a hit found only through another term's spelling) shows
// an empty cell.
//
// Returns, when variants are on and a keyword character has variant forms,
// the forms searched for each such character and how many hits on the rows
// shown hold each form: "異体字：学→学 3・學 5・斈 0"; otherwise empty.
QString FillContextColumn(CSortListCtrl& list, engine::CIndex& index, std::u16string_view keyword,
                          int textLayer, bool variants);

// The summary line "全部で N 頁で、M 箇所でした。" of rows, followed by the
// variant summary when there is one (also the label's tooltip, in full).
void ShowSummary(QLabel& label, std::span<const SearchNodeTag> rows, const QString& variants,
                 bool incomplete = false);

}  // namespace panel
