#include "engine/codeconverter.h"

namespace engine {
namespace {

constexpr char32_t kHighFirst = 0xD800;
constexpr char32_t kHighLast = 0xDBFF;
constexpr char32_t kLowFirst = 0xDC00;
constexpr char32_t kLowLast = 0xDFFF;

bool IsHigh(char32_t u) { return u >= kHighFirst && u <= kHighLast; }
bool IsLow(char32_t u) { return u >= kLowFirst && u <= kLowLast; }

// Reads one character starting at source[0]; on success sets cp and the
// number of units it takes.
ConversionResult ReadOne(const char16_t* source, const char16_t* sourceEnd, bool lenient,
                         char32_t& cp, int& units) {
    const char32_t u = source[0];
    if (IsHigh(u)) {
        if (source + 1 == sourceEnd) return ConvTruncated;
        const char32_t next = source[1];
        if (IsLow(next)) {
            cp = (u - kHighFirst) * 0x400 + (next - kLowFirst) + 0x10000;
            units = 2;
            return ConvOk;
        }
        if (!lenient) return ConvIllegal;
    } else if (IsLow(u) && !lenient) {
        return ConvIllegal;
    }
    cp = u;
    units = 1;
    return ConvOk;
}

}  // namespace

ConversionResult Utf16ToCodePoints(const char16_t*& source, const char16_t* sourceEnd,
                                   char32_t*& target, char32_t* targetEnd, bool lenient) {
    while (source < sourceEnd) {
        char32_t cp = 0;
        int units = 0;
        const ConversionResult r = ReadOne(source, sourceEnd, lenient, cp, units);
        if (r != ConvOk) return r;
        if (target >= targetEnd) return ConvNoRoom;
        *target++ = cp;
        source += units;
    }
    return ConvOk;
}

void AppendUtf8(char32_t cp, std::string& target) {
    // One append of the whole sequence: byte by byte, every byte paid for a
    // capacity check.
    char bytes[4];
    target.append(bytes, EncodeUtf8(cp, bytes));
}

ConversionResult Utf16ToUtf8(std::u16string_view source, std::string& target, bool lenient) {
    target.reserve(target.size() + source.size() * 4);
    const char16_t* p = source.data();
    const char16_t* end = p + source.size();
    while (p < end) {
        char32_t cp = 0;
        int units = 0;
        const ConversionResult r = ReadOne(p, end, lenient, cp, units);
        if (r != ConvOk) return r;
        p += units;
        AppendUtf8(cp, target);
    }
    return ConvOk;
}

}  // namespace engine
