#include "engine/termplan.h"

#include "engine/codeconverter.h"
#include "engine/indexcode.h"
#include "engine/varianttable.h"

namespace engine {
namespace {

bool IsHighSurrogate(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLowSurrogate(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }
bool IsQuestionMark(char16_t u) { return u == u'?' || u == u'\uFF1F'; }

// The character at term[i]: its code point and its number of units (a
// surrogate pair is one character).
char32_t CharacterAt(std::u16string_view term, std::size_t i, int& units) {
    if (IsHighSurrogate(term[i]) && i + 1 < term.size() && IsLowSurrogate(term[i + 1])) {
        const char16_t* source = term.data() + i;
        char32_t cp = 0;
        char32_t* target = &cp;
        Utf16ToCodePoints(source, source + 2, target, target + 1, true);
        units = 2;
        return cp;
    }
    units = 1;
    return term[i];
}

}  // namespace

PlanStatus NormalizeTerm(std::u16string_view term, TermPlan& plan) {
    int count = 0;
    bool pendingAsterisk = false;
    auto append = [&plan, &count](char16_t u) {
        if (count >= kMaxTermUnits) return false;
        plan.units[count++] = u;
        return true;
    };
    for (std::size_t i = 0; i < term.size();) {
        int units = 1;
        const char32_t cp = CharacterAt(term, i, units);
        const std::size_t at = i;
        i += static_cast<std::size_t>(units);
        if (cp == U'*') {
            if (count > 0) pendingAsterisk = true;
            continue;
        }
        // An unsearchable character counts nowhere: A, it, B searches as AB.
        if (cp != U'?' && IndexCodeOf(cp) < 0) continue;
        if (pendingAsterisk) {
            if (!append(u'*')) return PlanStatus::TooLong;
            pendingAsterisk = false;
        }
        for (int k = 0; k < units; ++k) {
            if (!append(term[at + static_cast<std::size_t>(k)])) return PlanStatus::TooLong;
        }
    }
    if (count > 0 && !append(u'*')) return PlanStatus::TooLong;
    plan.unitCount = count;
    return PlanStatus::Ok;
}

PlanStatus BuildTermPlan(std::u16string_view term, bool useVariants, const VariantTable& variants,
                         TermPlan& plan) {
    const PlanStatus normalized = NormalizeTerm(term, plan);
    if (normalized != PlanStatus::Ok) return normalized;

    const std::u16string_view units(plan.units, static_cast<std::size_t>(plan.unitCount));
    int c = 0;
    int cursors = 0;
    int segments = 0;
    int groups = 0;
    int segmentFirstCursor = 0;
    for (std::size_t i = 0; i < units.size();) {
        int width = 1;
        const char32_t cp = CharacterAt(units, i, width);
        i += static_cast<std::size_t>(width);
        if (cp == U'*') {
            if (++segments > kMaxSegments) return PlanStatus::TooManyParts;
            if (cursors > segmentFirstCursor) plan.groupFirst[groups++] = segmentFirstCursor;
            segmentFirstCursor = cursors;
        } else if (cp <= 0xFFFF && IsQuestionMark(static_cast<char16_t>(cp))) {
            ++c;
        } else {
            if (cursors >= kMaxCursors) return PlanStatus::TooManyParts;
            int code = IndexCodeOf(cp);
            if (useVariants) variants.MapVariant(cp, code);
            plan.code[cursors] = code;
            plan.t[cursors] = c;
            ++cursors;
            ++c;
        }
    }
    plan.groupFirst[groups] = cursors;
    plan.length = c;
    plan.cursorCount = cursors;
    plan.segmentCount = segments;
    plan.groupCount = groups;
    return PlanStatus::Ok;
}

}  // namespace engine
