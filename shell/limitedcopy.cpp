#include "shell/limitedcopy.h"

namespace shell {

namespace {

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Code units of the character starting at i.
std::size_t UnitsAt(std::u16string_view text, std::size_t i) {
    if (IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) return 2;
    return 1;
}

}  // namespace

std::size_t DoubleByteLength(std::u16string_view text) {
    std::size_t bytes = 0;
    for (std::size_t i = 0; i < text.size(); i += UnitsAt(text, i)) {
        bytes += text[i] < 0x80 ? 1 : 2;
    }
    return bytes;
}

std::u16string_view CutToDoubleByteLimit(std::u16string_view text, std::size_t limit) {
    std::size_t bytes = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t width = text[i] < 0x80 ? 1 : 2;
        if (bytes + width > limit) break;
        bytes += width;
        i += UnitsAt(text, i);
    }
    return text.substr(0, i);
}

}  // namespace shell
