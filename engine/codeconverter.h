// Conversions between Unicode encoding forms: UTF-16 to code points (used by
// the search to read a surrogate pair of a keyword) and UTF-16 to UTF-8 (used
// by the page composer). Free functions; nothing is allocated but the output.
//
// Both follow the Unicode definitions and differ only in ill-formed input:
// strict mode stops at an unpaired surrogate, lenient mode passes it through
// as a character of its own. Every caller in the program uses lenient mode.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace engine {

enum ConversionResult {
    ConvOk = 0,         // the whole input was converted
    ConvTruncated = 1,  // the input ends with a high surrogate; stopped before it
    ConvNoRoom = 2,     // the output has no room for the next character
    ConvIllegal = 3,    // strict mode met an unpaired surrogate
};

// Reads characters from [source, sourceEnd) and writes one code point each to
// [target, targetEnd). On return both cursors point just past the last unit
// read and the last value written.
ConversionResult Utf16ToCodePoints(const char16_t*& source, const char16_t* sourceEnd,
                                   char32_t*& target, char32_t* targetEnd, bool lenient);

// Writes the UTF-8 form of one code point (up to U+10FFFF) to out, which
// has room for 4 bytes; returns the number of bytes written.
inline std::size_t EncodeUtf8(char32_t cp, char* out) {
    if (cp < 0x80) {
        out[0] = static_cast<char>(cp);
        return 1;
    }
    if (cp < 0x800) {
        out[0] = static_cast<char>(0xC0 | (cp >> 6));
        out[1] = static_cast<char>(0x80 | (cp & 0x3F));
        return 2;
    }
    if (cp < 0x10000) {
        out[0] = static_cast<char>(0xE0 | (cp >> 12));
        out[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out[2] = static_cast<char>(0x80 | (cp & 0x3F));
        return 3;
    }
    out[0] = static_cast<char>(0xF0 | (cp >> 18));
    out[1] = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out[2] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out[3] = static_cast<char>(0x80 | (cp & 0x3F));
    return 4;
}

// Appends the UTF-8 form of one code point (up to U+10FFFF) to target.
void AppendUtf8(char32_t cp, std::string& target);

// Appends the UTF-8 form of source to target (a byte string). A surrogate
// taken alone in lenient mode is written as three bytes like any other unit.
ConversionResult Utf16ToUtf8(std::u16string_view source, std::string& target, bool lenient);

}  // namespace engine
