// ParallelSearch: the parallels of a passage as the tools and the window show
// them. Takes the passage from a text or from a whole stored page, folds
// variant forms when asked, runs FindParallels on the loaded index and adds
// what a reader needs to see: the shared text on both sides with a few
// characters of context, and the spans to mark on each page.
//
// Uses the CIndex it is given (its entry tables and page store), so it has
// the index's threading rule: one caller at a time.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/index.h"
#include "engine/parallels.h"
#include "pages/pagetext.h"

namespace engine {

struct ParallelPassage {
    std::vector<pages::PageChar> chars;  // the passage as read, positions numbered
    std::vector<int> codes;              // one per indexed character
    std::int64_t record = -1;            // the page it was taken from, or -1
};

// The passage of a text (UTF-16): every indexed character takes the next
// position; with variants each character of a variant group counts as its
// group.
ParallelPassage PassageFromText(const CIndex& index, std::u16string_view text, bool variants);
// The whole text of a stored page; false when the record cannot be read.
bool PassageFromRecord(CIndex& index, std::uint32_t record, bool variants,
                       ParallelPassage& passage);

// The text cell's characters of a stored page; false when it cannot be read.
bool ReadPageCharacters(CIndex& index, std::uint32_t record, std::vector<pages::PageChar>& chars);

// The page of record rebuilt in the result-page frame with the spans marked
// and anchored; the number of anchors, or -1 when the page cannot be read.
std::int32_t ComposeParallelPage(CIndex& index, std::uint32_t record,
                                 const std::vector<pages::PositionSpan>& spans, std::string& html);

// A stretch of text with its surroundings: before, the shared text, after.
struct SharedText {
    std::string before;
    std::string shared;
    std::string after;
};

struct ParallelRow {
    std::uint32_t record = 0;
    std::uint32_t longest = 0;
    std::uint32_t runCount = 0;
    SharedText pageText;                            // the longest run as the page has it
    SharedText passageText;                         // the same run in the passage
    std::vector<pages::PositionSpan> pageSpans;     // every run on the page
    std::vector<pages::PositionSpan> passageSpans;  // every run in the passage
};

struct FormulaRow {
    SharedText text;  // the stretch in the passage
    std::uint32_t length = 0;
    std::uint32_t pageCount = 0;
};

struct ParallelReport {
    ParallelsStatus status = ParallelsStatus::Ok;
    std::vector<ParallelRow> rows;  // ranked
    std::vector<FormulaRow> formulas;
    bool damaged = false;  // postings or a result page could not be read whole
};

inline constexpr int kParallelContext = 5;

struct ParallelOptions {
    int minRun = kDefaultParallelRun;
    std::uint32_t formulaPages = kDefaultFormulaPages;
    int context = kParallelContext;  // characters shown on each side
    // As ParallelsRequest::progress; may be empty.
    std::function<bool(std::uint32_t, std::uint32_t)> progress;
};

// Runs the search for the passage (excluding the passage's own page) and
// builds the rows.
ParallelReport RunParallelSearch(CIndex& index, const ParallelPassage& passage,
                                 const ParallelOptions& options);

// The characters from position span.start to span.end - 1 with context
// characters on each side (punctuation and paragraph breaks included).
SharedText TextAround(const std::vector<pages::PageChar>& chars, pages::PositionSpan span,
                      int context);

}  // namespace engine
