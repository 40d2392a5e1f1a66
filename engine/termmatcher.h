// TermMatcher: runs one TermPlan against the postings and lists the pages on
// which the term occurs, with the number of places when hits are counted.
//
// Cursors walk the postings of their codes page by page; a page's positions
// are decoded only when every cursor stands on it, other entries are skipped
// by their byte length. The cursor state lives in fixed arrays owned by the
// matcher, so a run allocates nothing but the output pages and counts.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/postingscursor.h"
#include "engine/skiptable.h"
#include "engine/termplan.h"

namespace engine {

// The parts of a loaded index that matching reads.
struct PostingsTables {
    const std::uint32_t* firstBlock = nullptr;  // table A, kCodeCount entries
    const std::uint32_t* lastPage = nullptr;    // table D, kCodeCount entries
    PostingsView view;
    SkipTables* skips = nullptr;  // checkpoints built on first use, or none
};

inline constexpr std::uint32_t kNoPostings = 0xFFFFFFFF;

class TermMatcher {
  public:
    // Appends the term's pages in ascending order to pages and, with
    // countHits, the number of hit places on each to counts. Returns false
    // when the term has no cursor (no indexed character, or one without
    // postings), true otherwise. Damaged postings end the term early; see
    // Damaged().
    bool Run(const TermPlan& plan, const PostingsTables& tables, bool countHits,
             std::vector<std::uint32_t>& pages, std::vector<std::uint32_t>& counts);

    // Whether the last Run met damaged postings.
    bool Damaged() const { return m_damaged; }

  private:
    struct Cursor {
        PostingsCursor in;
        std::uint32_t page = 0;      // record index of the current entry
        std::uint32_t lastPage = 0;  // record index of the code's last entry
        std::int32_t remaining = 0;  // position bytes left in the current entry
        std::uint32_t entry = 0;     // number of the current entry in the stream
        std::uint32_t entries = 0;   // entries of the whole stream, when known
        const SkipTable* skips = nullptr;
        std::size_t checkpoint = 0;  // first checkpoint not yet passed
    };

    // Moves cursor c to its next page entry. False when its postings end.
    bool NextEntry(Cursor& c);
    // Moves cursor c to its first entry at or after page target, jumping by
    // its checkpoints when far behind. False when its postings end first.
    bool AdvanceTo(Cursor& c, std::uint32_t target);
    // Matches the positions of page P; returns the number of hit places (at
    // most 1 without countHits).
    std::uint32_t MatchPage(const TermPlan& plan, bool countHits);
    // MatchPage for a term of one segment, and for one of two cursors.
    std::uint32_t MatchPhrase(int n, bool countHits);
    std::uint32_t MatchPair(bool countHits);
    // MatchPage for one cursor, an asterisk, one cursor.
    std::uint32_t MatchStarPair(bool countHits);
    std::uint32_t CountPositions(Cursor& c);

    Cursor m_cursors[kMaxCursors];
    std::int64_t m_v[kMaxCursors];
    std::uint32_t m_jumpPages = 0;
    bool m_damaged = false;
};

}  // namespace engine
