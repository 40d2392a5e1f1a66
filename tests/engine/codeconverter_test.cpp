#include "engine/codeconverter.h"

#include <gtest/gtest.h>

#include <vector>

#include "engine/indexcode.h"

namespace engine {
namespace {

struct Utf8Case {
    std::u16string source;
    std::string bytes;
    ConversionResult result;
};

TEST(CodeConverterTest, Utf16ToUtf8Lenient) {
    const std::vector<Utf8Case> cases = {
        {u"\xD840\xDC00", "\xF0\xA0\x80\x80", ConvOk},
        {u"\x4E00", "\xE4\xB8\x80", ConvOk},
        {u"\x00E9", "\xC3\xA9", ConvOk},
        {u"A", "A", ConvOk},
        {u"\xDC00", "\xED\xB0\x80", ConvOk},
        {u"\xD800"
         u"A",
         "\xED\xA0\x80"
         "A",
         ConvOk},
        {u"A\xD800", "A", ConvTruncated},
        {u"\xFFFF", "\xEF\xBF\xBF", ConvOk},
        {u"\xDBFF\xDFFF", "\xF4\x8F\xBF\xBF", ConvOk},
    };
    for (const Utf8Case& c : cases) {
        std::string out = "x";
        EXPECT_EQ(Utf16ToUtf8(c.source, out, true), c.result);
        EXPECT_EQ(out, "x" + c.bytes);
    }
}

TEST(CodeConverterTest, Utf16ToUtf8StrictStopsAtUnpairedSurrogate) {
    std::string out;
    EXPECT_EQ(Utf16ToUtf8(u"A\xDC00"
                          u"B",
                          out, false),
              ConvIllegal);
    EXPECT_EQ(out, "A");
    out.clear();
    EXPECT_EQ(Utf16ToUtf8(u"A\xD800"
                          u"B",
                          out, false),
              ConvIllegal);
    EXPECT_EQ(out, "A");
    out.clear();
    EXPECT_EQ(Utf16ToUtf8(u"\xD800", out, false), ConvTruncated);
    EXPECT_EQ(out, "");
}

TEST(CodeConverterTest, Utf16ToCodePoints) {
    struct Case {
        std::u16string source;
        bool lenient;
        std::vector<char32_t> values;
        ConversionResult result;
        std::size_t consumed;
    };
    const std::vector<Case> cases = {
        {u"\xD840\xDC00", true, {0x20000}, ConvOk, 2},
        {u"\xDC00", true, {0xDC00}, ConvOk, 1},
        {u"\xD800"
         u"A",
         true,
         {0xD800, 0x41},
         ConvOk,
         2},
        {u"A\xD800", true, {0x41}, ConvTruncated, 1},
        {u"A\xD800", false, {0x41}, ConvTruncated, 1},
        {u"A\xDC00", false, {0x41}, ConvIllegal, 1},
    };
    for (const Case& c : cases) {
        char32_t out[8] = {};
        const char16_t* source = c.source.data();
        char32_t* target = out;
        EXPECT_EQ(Utf16ToCodePoints(source, source + c.source.size(), target, out + 8, c.lenient),
                  c.result);
        EXPECT_EQ(static_cast<std::size_t>(source - c.source.data()), c.consumed);
        EXPECT_EQ(std::vector<char32_t>(out, target), c.values);
    }
}

TEST(CodeConverterTest, Utf16ToCodePointsStopsWhenTargetIsFull) {
    const std::u16string text = u"\x4E00\xD840\xDC00";
    const char16_t* source = text.data();
    char32_t out[1] = {};
    char32_t* target = out;
    EXPECT_EQ(Utf16ToCodePoints(source, source + text.size(), target, out + 1, true), ConvNoRoom);
    EXPECT_EQ(source, text.data() + 1);  // the pair is not consumed
    EXPECT_EQ(target, out + 1);
    EXPECT_EQ(out[0], 0x4E00u);
}

TEST(IndexCodeTest, RangesAndTheirOrder) {
    const std::vector<std::pair<char32_t, int>> cases = {
        {0x3400, 0},
        {0x9FFF, 27647},
        {0xF900, 27904},
        {0xFAFF, 28415},
        {0x20000, 32512},
        {0x2A6DF, 75231},
        {0x2F800, 75232},
        {0x2FA1F, 75775},
        {0x3042, 75776},
        {0x30F6, 75956},
        {0xE000, 75957},
        {0xFFFF, 84148},
        {0xFF1F, 84148 - 0xFFFF + 0xFF1F},
        {0x3041, -1},
        {0x3000, -1},
        {0x0041, -1},
        {0xAC00, -1},
        {0x30F7, -1},
        {0x33FF, -1},
        {0x2A6E0, -1},
        {0xD800, -1},
        {0x110000, -1},
    };
    for (const auto& [cp, code] : cases)
        EXPECT_EQ(IndexCodeOf(cp), code) << std::hex << static_cast<std::uint32_t>(cp);
}

}  // namespace
}  // namespace engine
