// The index's dense character codes. The index tables are keyed not by code
// point but by a code from 0 to 99,999: CJK ideographs, compatibility
// ideographs, Extension B, kana and the private-use and full-width forms map
// into 0..84,148; variant group g has the code kVariantCodeBase + g. Anything
// else (ASCII, Latin, Hangul, CJK punctuation such as U+3000) is not indexed.
#pragma once

#include <cstdint>

namespace engine {

inline constexpr int kCodeCount = 100000;
inline constexpr int kVariantCodeBase = 88065;
// Variant groups that still have a slot in the tables sized by kCodeCount.
inline constexpr int kMaxVariantGroups = kCodeCount - kVariantCodeBase;

// The code of code point cp, or -1 when cp is not indexed.
constexpr int IndexCodeOf(char32_t cp) {
    if (cp >= 0x3400 && cp <= 0x9FFF) return static_cast<int>(cp - 0x3400);
    if (cp >= 0xF900 && cp <= 0xFAFF) return static_cast<int>(cp - 0x8C00);
    if (cp >= 0x20000 && cp <= 0x2A6DF) return static_cast<int>(cp - 0x18100);
    if (cp >= 0x2F800 && cp <= 0x2FA1F) return static_cast<int>(cp - 0x1D220);
    if (cp >= 0x3042 && cp <= 0x30F6) return static_cast<int>(cp + 0xF7BE);
    if (cp >= 0xE000 && cp <= 0xFFFF) return static_cast<int>(cp + 0x48B5);
    return -1;
}

}  // namespace engine
