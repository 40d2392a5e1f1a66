// Parallels: the pages of a corpus that share a run of at least N indexed
// characters with a given passage.
//
// The passage comes as index codes, one per indexed character (variant forms
// already folded into their group's code when the caller wants them to
// count as one). Every window of N consecutive passage characters is looked
// up like a phrase: its rarest character leads, the others are asked for the
// same page through their entry tables, a residue test drops most pages
// before any position is decoded, and the positions left say where the
// window stands on the page. Windows that hit one page on one diagonal
// (passage index minus page position) at consecutive passage indexes chain
// into a run; a chain is maximal, so each run is a longest common stretch
// that cannot be extended on either side.
//
// Results: per page the runs, the longest run and the number of distinct
// runs (runs whose page stretches overlap count once), ranked by longest run,
// then by number of runs, then by record. A run shared by at least
// formulaPages pages (the same passage stretch) is a formula: pages sharing
// nothing else are not listed but counted on the formula's line.
//
// Reads the entry tables through PostingsTables (building those it lacks,
// giving back those it built and no longer needs once they pass
// tableBytes); reports by return value. One caller at a time, like the index it reads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "engine/termmatcher.h"

namespace engine {

inline constexpr int kMinParallelRun = 3;
inline constexpr int kMaxParallelRun = 20;
inline constexpr int kDefaultParallelRun = 5;
inline constexpr std::uint32_t kDefaultFormulaPages = 100;
// Heap bytes of entry tables a search may keep before it gives back the
// tables of characters no later window needs.
inline constexpr std::size_t kDefaultParallelTableBytes = std::size_t{96} << 20;

enum class ParallelsStatus {
    Ok,
    BadMinimum,  // N outside kMinParallelRun .. kMaxParallelRun
    TooShort,    // the passage has fewer than N indexed characters
    Cancelled,   // the progress callback asked to stop; the result is empty
};

// The message a user should see for a status other than Ok.
const char* ParallelsStatusMessage(ParallelsStatus status);

// One maximal shared stretch: passage characters [passageStart,
// passageStart + length) equal page positions [pageStart, pageStart + length).
struct ParallelRun {
    std::uint32_t passageStart = 0;
    std::uint32_t pageStart = 0;
    std::uint32_t length = 0;
    bool operator==(const ParallelRun&) const = default;
};

struct ParallelPage {
    std::uint32_t record = 0;
    std::uint32_t longest = 0;      // length of the longest run
    std::uint32_t runCount = 0;     // runs, those overlapping on the page counted once
    std::vector<ParallelRun> runs;  // by page position, then passage index
};

// A passage stretch shared by at least formulaPages pages.
struct ParallelFormula {
    std::uint32_t passageStart = 0;
    std::uint32_t length = 0;
    std::uint32_t pageCount = 0;  // pages holding it as a run
};

struct ParallelsRequest {
    std::vector<int> codes;  // the passage, one index code per indexed character
    int minRun = kDefaultParallelRun;
    std::int64_t excludeRecord = -1;  // the passage's own page, or -1
    std::uint32_t formulaPages = kDefaultFormulaPages;
    std::size_t tableBytes = kDefaultParallelTableBytes;
    // Called after each window with (windows done, windows in all); returning
    // false cancels the search. May be empty.
    std::function<bool(std::uint32_t, std::uint32_t)> progress;
};

struct ParallelsResult {
    std::vector<ParallelPage> pages;        // ranked; formula-only pages left out
    std::vector<ParallelFormula> formulas;  // most pages first
    bool damaged = false;                   // some postings break off
    void Clear() {
        pages.clear();
        formulas.clear();
        damaged = false;
    }
};

// Replaces result by the parallels of the request's passage in the index the
// tables describe. Ok also when nothing is found; the other statuses leave
// result empty.
ParallelsStatus FindParallels(const PostingsTables& tables, const ParallelsRequest& request,
                              ParallelsResult& result);

// Turns the maximal runs of every page (pages ascending, runs in any order)
// into the ranked result: counts, ranking and formulas as described above.
// Shared with the reference test, which finds the runs by brute force.
void RankParallels(std::vector<ParallelPage>& pages, std::uint32_t formulaPages,
                   ParallelsResult& result);

}  // namespace engine
