// The copy limit of the page view: a copied text may hold at most 600 bytes,
// counting a character outside ASCII as two bytes (a double-byte character)
// and an ASCII character as one, so 300 CJK characters fit. A longer text is
// cut at the last whole character that still fits; a character is never cut
// in half.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace shell {

inline constexpr std::size_t kCopyLimitBytes = 600;

// Bytes the text takes in the double-byte count (a surrogate pair is one character).
std::size_t DoubleByteLength(std::u16string_view text);

// The longest prefix of text whose double-byte length is at most limit.
std::u16string_view CutToDoubleByteLimit(std::u16string_view text,
                                         std::size_t limit = kCopyLimitBytes);

}  // namespace shell
