// Matching across markup: finds a keyword the way the search counts it, over
// the indexed characters of the marked text layer of one text cell, so that
// a match which runs over a paragraph break, another tag, a punctuation mark
// the index skips or a run of the other text layer is found too. The plain
// run-by-run marking (highlight.h) misses those; the composer falls back to
// this marking for a cell where it finds more matches.
//
// A keyword is read per character: '*' stands for 0 to 300 indexed
// characters, '?' and U+FF1F for exactly one, characters the index does not
// hold are dropped; leading and trailing wildcards of a keyword are ignored.
// Matches are leftmost and do not overlap. Each match gets one anchor; the
// stretch of each '*'-free part is marked piece by piece: the mark closes
// before every tag and before text of the other layer and opens again after
// it, so the markup stays well nested. The stretches a '*' covers stay
// unmarked.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pages {

// One piece of a text cell: a tag, text of the marked layer, or text of the
// layer left unmarked.
struct CellSpan {
    enum Kind { kTag, kMarked, kUnmarked };
    std::size_t begin = 0;
    std::size_t end = 0;
    Kind kind = kTag;
};

// One match: the byte ranges of its '*'-free parts, in order.
struct CrossMatch {
    std::vector<std::pair<std::size_t, std::size_t>> parts;
};

// The pieces of text, in order, covering all of it.
std::vector<CellSpan> CellSpans(std::string_view text, const std::vector<bool>& runMarked,
                                const std::vector<std::size_t>& runStarts);

// Whether every indexed character of keyword occurs somewhere in text:
// without that neither this matching nor the run-by-run marking can find
// the keyword, so a composer may skip it.
bool MayMatchIn(std::string_view text, std::string_view keyword);

// The length of the indexed character whose UTF-8 sequence starts at
// text[pos], or 0 when none does there.
std::size_t IndexedCharacterAt(std::string_view text, std::size_t pos);

// Whether keyword is one indexed character and nothing else: its matches
// lie inside one run, so matching across markup finds no more of them.
bool IsOneIndexedCharacter(std::string_view keyword);

// Every match of keyword in the marked text of spans (over text).
std::vector<CrossMatch> FindCrossMatches(std::string_view text, const std::vector<CellSpan>& spans,
                                         std::string_view keyword);

// The number of matches FindCrossMatches finds, from the indexed characters
// of the marked text alone. Marks add only tags, so the count taken on a
// stored page holds for the page after any number of marking passes.
class CrossCounter {
  public:
    CrossCounter() = default;
    CrossCounter(std::string_view text, const std::vector<CellSpan>& spans);
    // Adds the indexed characters of a stretch of marked text without tags,
    // in document order: the same as one kMarked span of the constructor.
    void AddMarkedText(std::string_view text);
    void Reserve(std::size_t characters) { m_codePoints.reserve(characters); }
    std::size_t Count(std::string_view keyword) const;
    // Whether HasCrossMatch finds keyword.
    bool Any(std::string_view keyword) const;

  private:
    // The leftmost non-overlapping matches, counted up to limit.
    std::size_t CountUpTo(std::string_view keyword, std::size_t limit) const;

    std::vector<char32_t> m_codePoints;
};

// Whether keyword has a match in the marked text of spans. Every keyword
// that starts with the pieces of a prefix matches only where the prefix
// does, so a prefix without a match rules them all out.
bool HasCrossMatch(std::string_view text, const std::vector<CellSpan>& spans,
                   std::string_view keyword);

// Appends text with the matches marked (see above); each anchor takes the
// counter's value and advances it.
void EmitCrossMarked(std::string_view text, const std::vector<CellSpan>& spans,
                     const std::vector<CrossMatch>& matches, std::string& out,
                     std::int32_t& anchorCounter);

}  // namespace pages
