// Small UTF-8 helpers shared by the corpus builder and the command-line tool.
// Input is assumed to be well-formed UTF-8 only where a function says so;
// the others check and report.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace build {

// Decodes the code point starting at text[pos] of well-formed UTF-8 and moves
// pos behind it.
inline char32_t NextCodePoint(std::string_view text, std::size_t& pos) {
    const auto b0 = static_cast<unsigned char>(text[pos]);
    if (b0 < 0x80) {
        pos += 1;
        return b0;
    }
    auto cont = [&](std::size_t i) {
        return static_cast<char32_t>(static_cast<unsigned char>(text[pos + i]) & 0x3F);
    };
    char32_t cp = 0;
    if (b0 < 0xE0) {
        cp = (static_cast<char32_t>(b0 & 0x1F) << 6) | cont(1);
        pos += 2;
    } else if (b0 < 0xF0) {
        cp = (static_cast<char32_t>(b0 & 0x0F) << 12) | (cont(1) << 6) | cont(2);
        pos += 3;
    } else {
        cp = (static_cast<char32_t>(b0 & 0x07) << 18) | (cont(1) << 12) | (cont(2) << 6) | cont(3);
        pos += 4;
    }
    return cp;
}

// Number of UTF-16 code units of well-formed UTF-8 text.
inline std::size_t Utf16Length(std::string_view text) {
    std::size_t units = 0;
    for (std::size_t pos = 0; pos < text.size();) {
        units += NextCodePoint(text, pos) >= 0x10000 ? 2 : 1;
    }
    return units;
}

// Converts UTF-8 to UTF-16. False (out unspecified) when text is not
// well-formed UTF-8: a bad lead or continuation byte, a truncated sequence,
// an overlong form, a surrogate or a value above U+10FFFF.
inline bool Utf8ToUtf16(std::string_view text, std::u16string& out) {
    out.clear();
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const auto b0 = static_cast<unsigned char>(text[i]);
        std::size_t len = 0;
        char32_t cp = 0;
        char32_t min = 0;
        if (b0 < 0x80) {
            len = 1, cp = b0;
        } else if (b0 >= 0xC2 && b0 < 0xE0) {
            len = 2, cp = b0 & 0x1F, min = 0x80;
        } else if (b0 >= 0xE0 && b0 < 0xF0) {
            len = 3, cp = b0 & 0x0F, min = 0x800;
        } else if (b0 >= 0xF0 && b0 < 0xF5) {
            len = 4, cp = b0 & 0x07, min = 0x10000;
        } else {
            return false;
        }
        if (i + len > text.size()) return false;
        for (std::size_t k = 1; k < len; ++k) {
            const auto b = static_cast<unsigned char>(text[i + k]);
            if ((b & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (b & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
        i += len;
    }
    return true;
}

}  // namespace build
