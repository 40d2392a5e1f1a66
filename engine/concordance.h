// Concordance: every hit of a search with its context, one line per hit
// (keyword in context), built from the page texts the composer shows.
//
// A KwicQuery holds the distinct terms of a keyword string made ready for
// matching (cursors, segments and, with variants, the members of each
// variant group a cursor stands for); it owns copies of everything it needs,
// so a worker thread may use it with its own page store. FindHits matches the
// terms on the index positions of one layer text by the same alignment rules
// the search applies to the postings, so a page gives as many hits as the
// search counts for it (for every distinct term once: a term repeated in the
// query is listed once). Lines are sorted by position, by the left context
// read from right to left, or by the right context; the sorts compare only
// indexed characters, so punctuation does not reorder lines.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/termplan.h"
#include "pages/filelist.h"
#include "pages/layertext.h"

namespace engine {

class VariantTable;

inline constexpr int kDefaultKwicWidth = 12;
inline constexpr int kMaxKwicWidth = 200;

// One hit on a layer text: its first and last index positions.
struct HitSpan {
    std::uint32_t first = 0;
    std::uint32_t last = 0;
    bool operator==(const HitSpan&) const = default;
};

struct KwicLine {
    std::uint32_t record = 0;    // page record index
    std::uint32_t position = 0;  // index position of the hit's first character
    std::uint32_t ordinal = 0;   // place of the hit among the page's hits, in position order
    std::u32string left;
    std::u32string hit;
    std::u32string right;
};

enum class KwicSort { Position, Left, Right };

class KwicQuery {
  public:
    // The distinct terms of keywords (separated by U+0020 or U+3000), with
    // every character of a variant group standing for the whole group when
    // useVariants is set. Terms that cannot be planned or have no indexed
    // character are left out.
    KwicQuery(std::u16string_view keywords, bool useVariants, const VariantTable& variants);

    bool Empty() const { return m_terms.empty(); }

    // Replaces hits by the hits of all terms on text, ordered by first
    // position, then last position.
    void FindHits(const pages::LayerText& text, std::vector<HitSpan>& hits) const;

    // The forms each variant character of the keywords was searched as: for
    // every distinct character that stands for a group, the character and
    // the group's members.
    struct VariantForms {
        char32_t character = 0;
        std::vector<char32_t> forms;
    };
    const std::vector<VariantForms>& Variants() const { return m_variantForms; }

  private:
    struct Cursor {
        int code = -1;
        int t = 0;
        std::vector<char32_t> members;  // for a group code: the group's code points
    };
    struct Term {
        int length = 0;
        std::vector<Cursor> cursors;
        std::vector<int> groupFirst;  // as TermPlan::groupFirst, groupCount + 1 entries
    };
    void MatchTerm(const Term& term, const pages::LayerText& text,
                   std::vector<HitSpan>& hits) const;

    std::vector<Term> m_terms;
    std::vector<VariantForms> m_variantForms;
};

// The context line of a hit on text with width indexed characters on either
// side (fewer at the start or end of the layer). The left context begins at
// the width-th indexed character before the hit, the right context ends at
// the width-th indexed character after it; characters without a position in
// between (punctuation) are kept.
void MakeKwicLine(const pages::LayerText& text, const HitSpan& hit, int width, KwicLine& line);

// Reads the page of record from store and appends a line for each hit of
// query on its textLayer. False when the page cannot be read (nothing
// appended).
bool AppendPageLines(const pages::CFileList& store, std::uint32_t record, const KwicQuery& query,
                     int textLayer, int width, std::vector<KwicLine>& lines,
                     pages::LayerText& scratch, std::vector<HitSpan>& hitScratch);

// The lines of many pages built a few pages at a time, so that a worker
// can hand them on as they come and stop when asked. Owns its query and
// page list; the caller owns the page store, which may be its own.
class ConcordanceRun {
  public:
    ConcordanceRun(std::vector<std::uint32_t> records, KwicQuery query, int textLayer, int width);
    // Appends the lines of up to maxPages further pages (in the order given)
    // to lines. Returns false once every page is done. An unreadable page
    // adds nothing.
    bool Step(const pages::CFileList& store, std::size_t maxPages, std::vector<KwicLine>& lines);
    std::size_t PagesDone() const { return m_next; }
    std::size_t PageCount() const { return m_records.size(); }

  private:
    std::vector<std::uint32_t> m_records;
    KwicQuery m_query;
    int m_textLayer;
    int m_width;
    std::size_t m_next = 0;
    pages::LayerText m_text;
    std::vector<HitSpan> m_hits;
};

// For each variant character of query (KwicQuery::Variants, same order),
// how often each of its forms stands in the hits of lines (a form is
// counted once per hit that holds it).
std::vector<std::vector<std::uint32_t>> VariantFormCounts(const KwicQuery& query,
                                                          std::span<const KwicLine> lines);

// Whether line a sorts before line b by sort; position order is record, then
// position. Ties fall back to position order.
bool KwicBefore(const KwicLine& a, const KwicLine& b, KwicSort sort);
void SortKwicLines(std::vector<KwicLine>& lines, KwicSort sort);

// The left context of a line read as a sort key: its indexed characters
// from right to left.
std::u32string LeftSortKey(const KwicLine& line);

}  // namespace engine
