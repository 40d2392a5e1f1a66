// Hit highlighting: finds every match of one keyword in one run of page text
// and writes the run out again with each match marked and preceded by a
// numbered anchor. Keywords and text are UTF-8 and compared bytewise; '*'
// stands for any stretch of text that does not cross "<p>" or "<h4>", '?'
// for exactly three bytes (one character of the basic plane beyond U+07FF).
// A piece matches only text outside tags: marks written into a tag would
// break the page's markup (and the parse of the next keyword's pass).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pages {

enum SegType : std::int32_t {
    kSegAfterStar = 0,  // follows a '*'
    kSegAfterGap = 1,   // follows one or more '?'
    kSegFirst = 2,      // the keyword's first piece, found anywhere
};

// One literal piece of a keyword.
struct Seg {
    std::int32_t type = kSegFirst;
    std::string text;        // never empty once SplitTerm is done
    std::int32_t count = 0;  // for kSegAfterGap: the number of '?' before it
};

inline constexpr std::string_view kMarkOpener = "<b style='color:red;background:#D9D9D9;'>";
inline constexpr std::string_view kMarkCloser = "</b>";
inline constexpr std::string_view kParagraphBarrier = "<p>";
inline constexpr std::string_view kHeadingBarrier = "<h4>";

// Replaces segs by the pieces of keyword. A keyword of wildcards only gives
// no piece; '?' counts only between two literal parts of one '*'-free piece.
void SplitTerm(std::string_view keyword, std::vector<Seg>& segs);

// Appends run to text with every leftmost, non-overlapping match of the
// pieces marked; each anchor takes the counter's value and advances it.
// No pieces: the run is appended unchanged. Returns the number of matches.
std::int32_t HighlightRun(std::string_view run, const std::vector<Seg>& segs, std::string& text,
                          std::int32_t& anchorCounter);
void HighlightRun(std::string_view run, std::string_view keyword, std::string& text,
                  std::int32_t& anchorCounter);

// Whether HighlightRun would mark anything in run.
bool RunHasMatch(std::string_view run, const std::vector<Seg>& segs);

// The marks of one result page stop at this many anchors: a page of millions
// of characters where every character is a hit would otherwise give
// hundreds of megabytes of markup. A match is marked only while the anchor
// counter is below it, so a page ends with fewer than the cap plus one
// match's anchors; every later match is written unmarked (and still counted).
inline constexpr std::int32_t kMaxPageAnchors = 100000;

// Appends the anchor "<a name=\"%04d\"></a>" for number (wider numbers whole).
void AppendAnchor(std::string& text, std::int32_t number);

}  // namespace pages
