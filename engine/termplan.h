// TermPlan: one search term made ready for matching.
//
// A term is normalized (unsearchable characters removed, leading asterisks
// dropped, runs of asterisks collapsed, a final asterisk appended), then split
// into cursors (one per indexed character, with its index code and the number
// t of characters before it) and segments (the runs between asterisks).
// Everything lives in fixed arrays, so building a plan allocates nothing;
// terms that do not fit are refused instead of overflowing them.
#pragma once

#include <cstdint>
#include <string_view>

namespace engine {

class VariantTable;

// Longest normalized term, its final asterisk included.
inline constexpr int kMaxTermUnits = 319;
inline constexpr int kMaxCursors = 300;
inline constexpr int kMaxSegments = 300;
// Most characters an asterisk may stand for.
inline constexpr int kMaxStarReach = 300;

enum class PlanStatus { Ok, TooLong, TooManyParts };

struct TermPlan {
    char16_t units[kMaxTermUnits];  // the normalized term
    int unitCount = 0;
    int length = 0;  // L: characters other than asterisks
    int cursorCount = 0;
    int code[kMaxCursors];
    int t[kMaxCursors];
    int segmentCount = 0;  // all segments, also those without a cursor
    // Segments that hold cursors, in order: group g holds the cursors
    // groupFirst[g] .. groupFirst[g + 1] - 1.
    int groupCount = 0;
    int groupFirst[kMaxSegments + 1];
};

// Writes the normalized term into plan.units / plan.unitCount. TooLong when it
// would exceed kMaxTermUnits.
PlanStatus NormalizeTerm(std::u16string_view term, TermPlan& plan);

// Normalizes the term and builds its cursors and segments. With useVariants a
// character of a variant group gets its group's code. TooLong or TooManyParts
// when the term does not fit the fixed arrays.
PlanStatus BuildTermPlan(std::u16string_view term, bool useVariants, const VariantTable& variants,
                         TermPlan& plan);

}  // namespace engine
