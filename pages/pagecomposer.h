// Page composition: takes a stored page apart (title, first cell, second
// cell), splits the text cell into main-text and annotation runs, marks the
// runs of the chosen text layer with HighlightRun and puts the parts back
// into the fixed result-page frame. All text is UTF-8 bytes, never decoded.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "pages/crossmatch.h"

namespace pages {

// One extracted part of a page: the title, the first cell or the second cell.
struct HTMLNode {
    std::string text;
};

enum RunKind : int { kMainText = 0, kAnnotation = 1 };

// One run of the text cell, in document order.
struct FilterItem {
    int kind = kMainText;
    std::string text;
};

// Text layers the composer marks; any other value marks as kWholeText does.
enum TextLayer : int { kWholeText = 0, kMainTextLayer = 1, kAnnotationLayer = 2 };

inline constexpr std::string_view kAnnotationOpener = "<font size=-1 color=\"#993366\">";
inline constexpr std::string_view kAnnotationCloser = "</font>";

inline constexpr std::string_view kFrameHead =
    "<html><head>\t\t<meta http-equiv=\"Content-Type\" content=\"text/html; "
    "charset=UTF-8\"><title>";
inline constexpr std::string_view kFrameAfterTitle =
    "</title></head><div align=\"center\"><center><BODY>\t\t<TABLE border=1 cellPadding=0 "
    "cellSpacing=1 class=wd_gray height=477 width=635 bordercolor=\"#FFCC66\">\t\t<tr>  <TD "
    "height=477 width=80 vAlign=top align=\"center\" background=\"../Back.gif\">";
inline constexpr std::string_view kFrameBetweenCells =
    "</TD>\t\t<TD height=477 width=450 vAlign=top align=\"center\">";
inline constexpr std::string_view kFrameTail =
    "</TD> \t\t</tr></table></div></div>\t\t</center></BODY></html>";

// U+0020 and U+3000 separate the keywords of a keyword string.
inline bool IsKeywordSeparator(char16_t unit) { return unit == u' ' || unit == u'\u3000'; }

// The title, the first cell and the second cell of a page; parts the page
// lacks are empty. Structural tags are dropped, other markup kept verbatim.
std::array<HTMLNode, 3> ParsePage(std::string_view page);

// The runs of a cell: it starts with a main-text run; the annotation opener
// starts an annotation run, "</font>" inside one starts a main-text run.
std::vector<FilterItem> SplitRuns(std::string_view cell);

// Appends to html the result-page frame holding the title and both cells.
void AppendFrame(const std::array<HTMLNode, 3>& parts, std::string& html);
// A text cell as the passes write it without marks, cut into tags and text
// of the marked and of the unmarked layer (for matching across markup).
struct PlainCell {
    std::string text;
    std::vector<CellSpan> spans;
};
PlainCell MakePlainCell(const std::vector<FilterItem>& runs, int textLayer);

// Appends to html the page rebuilt in the frame with the text cell (the first
// for parity 0, the second for parity 1) marked for one UTF-8 keyword.
// crossCounter, when given, counts the matches across markup of this page's
// marked layer (see CrossCounterOf), so that a pass matches across markup
// only when that finds more than the runs do.
void ComposeTermPass(std::string_view page, std::string& html, std::string_view keyword, int parity,
                     int textLayer, std::int32_t& anchorCounter,
                     const CrossCounter* crossCounter = nullptr);

// The runs of the text cell (the first for parity 0) that textLayer marks, as
// views into page, when the cell lies in one stretch of it (as in every
// stored or framed page); false, with runs empty, otherwise.
bool MarkedRunViews(std::string_view page, int parity, int textLayer,
                    std::vector<std::string_view>& runs);

// The counter of matches across markup for the marked layer of the text cell
// of page (stored or already marked: the count is the same).
CrossCounter CrossCounterOf(std::string_view page, int parity, int textLayer);

}  // namespace pages
