// TermMatcher: runs one TermPlan against the postings and lists the pages on
// which the term occurs, with the number of places when hits are counted.
//
// Each cursor walks the page list of its code's entry table, jumping to the
// page the others stand on by binary search; a page's positions are decoded
// only when every cursor stands on it. The rarest code leads. A run can also
// be limited to a given ascending list of pages, which then leads like the
// rarest code (an AND search passes the pages the earlier terms left), and
// so can the accelerator's list of the pages on which two neighbouring
// characters of the term stand side by side. The
// cursor state lives in fixed arrays owned by the matcher, so a run allocates
// nothing but the output pages and counts.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/entrytable.h"
#include "engine/termplan.h"

namespace engine {

// The parts of a loaded index that matching reads.
struct PostingsTables {
    const std::uint32_t* firstBlock = nullptr;  // table A, kCodeCount entries
    const std::uint32_t* lastPage = nullptr;    // table D, kCodeCount entries
    // Table C (pages per code; informative, may be 0), kCodeCount entries or
    // null: it only steers how a code is read, never what is found.
    const std::uint32_t* pageCount = nullptr;
    PostingsView view;
    EntryTables* entries = nullptr;  // the codes' entry tables, built on first use
};

inline constexpr std::uint32_t kNoPostings = 0xFFFFFFFF;

class TermMatcher {
  public:
    // Appends the term's pages in ascending order to pages and, with
    // countHits, the number of hit places on each to counts. Returns false
    // when the term has no cursor (no indexed character, or one without
    // postings), true otherwise. A code whose postings break off counts only
    // its entries before the damage; see Damaged().
    // With within, only the pages listed there (ascending) are considered.
    bool Run(const TermPlan& plan, const PostingsTables& tables, bool countHits,
             const std::vector<std::uint32_t>* within, std::vector<std::uint32_t>& pages,
             std::vector<std::uint32_t>& counts);

    // Whether the last Run met damaged postings.
    bool Damaged() const { return m_damaged; }
    // After a Run with within: for each page found, its index in within.
    const LargeArray<std::uint32_t>& WithinAt() const { return m_withinAt; }

  private:
    // A cursor's code and, on the page being matched, the bytes of its
    // positions (the first absolute, then distances) not yet read.
    struct Cursor {
        const EntryTable* table = nullptr;
        const std::uint8_t* p = nullptr;
        const std::uint8_t* end = nullptr;
    };
    // A sorted page list walked by the page loop: a cursor's table, or the
    // pages a run is limited to.
    struct Lane {
        const std::uint32_t* pages = nullptr;
        std::uint32_t size = 0;
        std::uint32_t at = 0;               // index of the current page
        const EntryTable* dense = nullptr;  // a table with a page bitmap
    };

    // Run for one character with a page bitmap, limited to within.
    void RunDenseWithin(const EntryTable& table, bool countHits,
                        const std::vector<std::uint32_t>& within, std::vector<std::uint32_t>& pages,
                        std::vector<std::uint32_t>& counts);
    // Writes to m_candidates the indexes of lead's pages that the bitmaps of
    // the lanes others[0 .. count) all hold; returns how many.
    std::uint32_t CollectCandidates(const Lane& lead, const int* others, int count);
    // Points every cursor at its positions on the page where all stand.
    void OpenPositions(int n, const PostingsView& view);
    // Matches the positions of the page; returns the number of hit places
    // (at most 1 without countHits).
    std::uint32_t MatchPage(const TermPlan& plan, bool countHits);
    // MatchPage for a term of one segment, and for one of two cursors.
    std::uint32_t MatchPhrase(int n, bool countHits);
    std::uint32_t MatchPair(bool countHits);
    // MatchPage for one cursor, an asterisk, one cursor.
    std::uint32_t MatchStarPair(bool countHits);

    // Asks for the cache lines of the entries the cursors' tables hold for
    // the lead's page at leadAt: they lie anywhere in large tables, and a
    // page kPrefetchAhead places on, they are in the cache by the time it
    // is matched. n: the term's cursors.
    void PrefetchEntries(const Lane& lead, std::uint32_t leadAt, int n) const;
    static constexpr std::uint32_t kPrefetchAhead = 8;

    // A code met for the first time is read only on the pages of a limiting
    // list (see EntryTables::FirstAsk) when the list is up to this long or
    // names at most a quarter of the code's pages; its table for the run
    // lives here.
    static constexpr std::uint32_t kMaxPartialPages = 4096;
    static constexpr std::uint32_t kPartialShare = 4;
    EntryTable m_partial[kMaxCursors];

    Cursor m_cursors[kMaxCursors];
    // Pair page lists that may join a run as lanes of their own.
    static constexpr int kMaxPairLanes = 4;
    // Adds the pair page lists of the term's neighbouring characters as
    // lanes from m_lanes[lanes] on; returns the new lane count.
    int AddPairLanes(const TermPlan& plan, EntryTables& entries, int lanes);

    Lane m_lanes[kMaxCursors + 1 + kMaxPairLanes];
    std::int64_t m_v[kMaxCursors];
    int m_turn[kMaxCursors];              // places after the cursor in the term, modulo 64
    std::vector<std::uint8_t> m_scratch;  // positions that cross a block end
    LargeArray<std::uint32_t> m_withinAt;
    LargeArray<std::uint32_t> m_candidates;
    bool m_damaged = false;
};

}  // namespace engine
