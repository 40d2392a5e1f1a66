#include "panel/readingsettings.h"

#include <gtest/gtest.h>

#include "panel/recentkeywords.h"

namespace panel {
namespace {

const std::vector<std::string> kInstalled = {"Noto Serif CJK TC", "Noto Sans CJK JP",
                                             "DejaVu Sans"};

TEST(ReadingSettings, StoredValuesAreValidated) {
    struct Case {
        const char* what;
        StoredValues stored;
        ReadingSettings want;
    };
    const ReadingSettings defaults;
    auto with = [&](auto change) {
        ReadingSettings s = defaults;
        change(s);
        return s;
    };
    const Case cases[] = {
        {"nothing stored", {}, defaults},
        {"zoom in range", {{kZoomKey, "175"}}, with([](auto& s) { s.zoomPercent = 175; })},
        {"zoom too small", {{kZoomKey, "10"}}, with([](auto& s) { s.zoomPercent = 50; })},
        {"zoom too large", {{kZoomKey, "9000"}}, with([](auto& s) { s.zoomPercent = 300; })},
        {"zoom negative", {{kZoomKey, "-120"}}, with([](auto& s) { s.zoomPercent = 50; })},
        {"zoom huge", {{kZoomKey, "99999999999999999999"}}, defaults},
        {"zoom not a number", {{kZoomKey, "12x"}}, defaults},
        {"zoom empty", {{kZoomKey, ""}}, defaults},
        {"installed face", {{kFontKey, "Noto Sans CJK JP"}}, with([](auto& s) {
             s.fontFamily = "Noto Sans CJK JP";
         })},
        {"face no longer installed", {{kFontKey, "Gone Mincho"}}, defaults},
        {"vertical", {{kVerticalKey, "true"}}, with([](auto& s) { s.vertical = true; })},
        {"vertical garbage", {{kVerticalKey, "yes please"}}, defaults},
        {"dark", {{kSchemeKey, "2"}}, with([](auto& s) { s.scheme = ColourScheme::kDark; })},
        {"light", {{kSchemeKey, "1"}}, with([](auto& s) { s.scheme = ColourScheme::kLight; })},
        {"unknown scheme", {{kSchemeKey, "7"}}, defaults},
        {"scheme text", {{kSchemeKey, "dark"}}, defaults},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ReadReadingSettings(c.stored, kInstalled), c.want) << c.what;
    }
}

TEST(ReadingSettings, WrittenValuesReadBackTheSame) {
    ReadingSettings s;
    s.zoomPercent = 67;
    s.fontFamily = "DejaVu Sans";
    s.vertical = true;
    s.scheme = ColourScheme::kDark;
    EXPECT_EQ(ReadReadingSettings(WriteReadingSettings(s), kInstalled), s);
    EXPECT_EQ(ReadReadingSettings(WriteReadingSettings(ReadingSettings{}), kInstalled),
              ReadingSettings{});
}

TEST(ReadingSettings, ZoomLadderStaysWithinBounds) {
    struct Case {
        int from;
        int in;
        int out;
    };
    for (const Case& c : {Case{100, 110, 90}, Case{50, 67, 50}, Case{300, 300, 250},
                          Case{49, 50, 50}, Case{301, 300, 300}, Case{113, 125, 110}}) {
        EXPECT_EQ(ZoomIn(c.from), c.in) << c.from;
        EXPECT_EQ(ZoomOut(c.from), c.out) << c.from;
    }
    int zoom = 100;
    for (int i = 0; i < 30; ++i) zoom = ZoomIn(zoom);
    EXPECT_EQ(zoom, kMaxZoomPercent);
    for (int i = 0; i < 30; ++i) zoom = ZoomOut(zoom);
    EXPECT_EQ(zoom, kMinZoomPercent);
}

TEST(RecentKeywords, NewestFirstEachOnceAtMostTheLimit) {
    RecentKeywords recent(3);
    for (const char16_t* k : {u"明月", u"白雲", u"", u"明月", u"天", u"地"}) recent.Add(k);
    EXPECT_EQ(recent.Items(), (std::vector<std::u16string>{u"地", u"天", u"明月"}));
    EXPECT_TRUE(recent.Remove(u"天"));
    EXPECT_FALSE(recent.Remove(u"天"));
    EXPECT_EQ(recent.Items(), (std::vector<std::u16string>{u"地", u"明月"}));

    RecentKeywords loaded(3);
    loaded.Load({u"a", u"", u"b", u"a", u"c", u"d"});
    EXPECT_EQ(loaded.Items(), (std::vector<std::u16string>{u"a", u"b", u"c"}));

    RecentKeywords full;
    for (int i = 0; i < 80; ++i) full.Add(std::u16string(1, static_cast<char16_t>(0x4E00 + i)));
    ASSERT_EQ(full.Items().size(), kRecentKeywordLimit);
    EXPECT_EQ(full.Items().front(), std::u16string(1, static_cast<char16_t>(0x4E00 + 79)));
}

}  // namespace
}  // namespace panel
