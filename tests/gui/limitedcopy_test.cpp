#include "shell/limitedcopy.h"

#include <gtest/gtest.h>

#include <string>

namespace shell {
namespace {

TEST(LimitedCopy, CountsNonAsciiAsTwoBytes) {
    EXPECT_EQ(DoubleByteLength(u""), 0u);
    EXPECT_EQ(DoubleByteLength(u"ab\n"), 3u);
    EXPECT_EQ(DoubleByteLength(u"明月"), 4u);
    EXPECT_EQ(DoubleByteLength(u"\U00020000"), 2u);  // one character, a surrogate pair
}

TEST(LimitedCopy, CutsAtSixHundredBytes) {
    struct Case {
        std::u16string text;
        std::size_t keptUnits;
    };
    const std::u16string cjk300(300, u'明');
    const std::u16string cjk301(301, u'明');
    const Case cases[] = {
        {cjk300, 300},                              // exactly at the limit: kept whole
        {cjk301, 300},                              // one over: the last character goes
        {std::u16string(599, u'a') + u"明", 599},   // a character is never cut in half
        {std::u16string(598, u'a') + u"明x", 599},  // 598 + 2 = 600 fits
        {std::u16string(700, u'a'), 600},           // ASCII counts one byte each
        {std::u16string(299, u'明') + u"\U00020000\U00020000", 301},  // pairs stay whole
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CutToDoubleByteLimit(c.text).size(), c.keptUnits);
    }
}

TEST(LimitedCopy, MixedTextIsCutByBytesNotCharacters) {
    std::u16string text;
    for (int i = 0; i < 250; ++i) text += u"a明";  // 3 bytes per pair
    const std::u16string_view cut = CutToDoubleByteLimit(text);
    EXPECT_EQ(DoubleByteLength(cut), 600u);
    EXPECT_EQ(cut.size(), 400u);  // 200 pairs, not 300 characters
}

}  // namespace
}  // namespace shell
