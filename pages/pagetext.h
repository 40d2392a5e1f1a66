// Page text by index position: the characters of a stored page's text cell
// in document order, each with the whole-text index position it takes (or
// none), and the page rebuilt with chosen position spans marked.
//
// Positions are counted as the index counts them: every character with an
// index code takes the next position; tags, entities, punctuation such as
// 。 and the paragraph breaks take none. Free functions over page bytes; the
// caller reads the page and picks the text cell by the page number's parity
// as the composer does.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pages {

struct PageChar {
    char32_t cp = 0;             // U+000A for a paragraph break
    std::int32_t position = -1;  // whole-text index position, -1 when not indexed
    bool annotation = false;     // inside an annotation run
};

// The characters of the text cell (the first for parity 0, the second for
// parity 1). Malformed UTF-8 bytes come out as U+FFFD without a position.
std::vector<PageChar> PageCharacters(std::string_view storedPage, int parity);

// A stretch of index positions [start, end).
struct PositionSpan {
    std::uint32_t start = 0;
    std::uint32_t end = 0;
    bool operator==(const PositionSpan&) const = default;
};

// Appends to html the page rebuilt in the result-page frame with the
// characters of the spans (sorted by start; they may overlap) marked as
// search hits are, and an anchor numbered from anchors before each marked
// stretch. Punctuation inside a span is marked with it; a mark never holds
// a tag. Returns the number of anchors written.
std::int32_t ComposeMarkedPage(std::string_view storedPage, int parity,
                               const std::vector<PositionSpan>& spans, std::string& html);

// The characters' text in UTF-8, a paragraph break as "／".
std::string PageCharsText(const std::vector<PageChar>& chars, std::size_t begin, std::size_t end);

}  // namespace pages
