#include "panel/pagestyle.h"

#include <gtest/gtest.h>

namespace panel {
namespace {

TEST(PageStyle, ContrastRatioMatchesKnownValues) {
    EXPECT_NEAR(ContrastRatio({0, 0, 0}, {255, 255, 255}), 21.0, 1e-9);
    EXPECT_NEAR(ContrastRatio({255, 255, 255}, {255, 255, 255}), 1.0, 1e-9);
    // The composer's own hit colours, red on #D9D9D9, are too faint for AA.
    EXPECT_NEAR(ContrastRatio({255, 0, 0}, {0xD9, 0xD9, 0xD9}), 2.83, 0.01);
    EXPECT_NEAR(ContrastRatio({0x77, 0x77, 0x77}, {255, 255, 255}), 4.48, 0.01);
}

TEST(PageStyle, BothPalettesReachAA) {
    for (const auto* palette : {&LightPalette(), &DarkPalette()}) {
        const PagePalette& p = *palette;
        const char* name = palette == &LightPalette() ? "light" : "dark";
        struct Check {
            const char* what;
            Rgb fg;
            Rgb bg;
            double least;
        };
        const Check checks[] = {
            {"text", p.text, p.background, 4.5},
            {"annotation", p.annotation, p.background, 4.5},
            {"caption", p.caption, p.background, 4.5},
            {"hit text", p.hitText, p.hitBackground, 4.5},
            {"current hit text", p.currentHitText, p.currentHitBackground, 4.5},
            // Marks and lines are shapes against the page: 3:1 for non-text.
            {"hit mark on page", p.hitBackground, p.background, 1.0},
            {"current hit mark on page", p.currentHitBackground, p.background, 3.0},
            {"frame lines", p.frame, p.background, 3.0},
        };
        for (const Check& c : checks) {
            EXPECT_GE(ContrastRatio(c.fg, c.bg), c.least) << name << ": " << c.what;
        }
    }
    EXPECT_LT(RelativeLuminance(DarkPalette().background), 0.05);
    EXPECT_GT(RelativeLuminance(LightPalette().background), 0.9);
}

TEST(PageStyle, StyleSheetCarriesFaceDirectionAndScreenOnlyColours) {
    PageLook look;
    look.fontFamily = "Noto Sans CJK JP";
    std::string css = PageStyleSheet(look);
    EXPECT_NE(css.find("font-family:\"Noto Sans CJK JP\",\"Noto Serif CJK TC\""),
              std::string::npos);
    EXPECT_EQ(css.find("writing-mode:vertical-rl"), std::string::npos);
    // Colours are for the screen only: printing keeps the page's own.
    const std::size_t screen = css.find("@media screen{");
    ASSERT_NE(screen, std::string::npos);
    EXPECT_GT(css.find(CssColour(LightPalette().hitText)), screen);
    EXPECT_EQ(css.find(CssColour(DarkPalette().background)), std::string::npos);

    look.vertical = true;
    look.dark = true;
    css = PageStyleSheet(look);
    const std::size_t vertical = css.find("writing-mode:vertical-rl");
    ASSERT_NE(vertical, std::string::npos);
    EXPECT_LT(vertical, css.find("@media screen{"));  // printed vertically too
    EXPECT_NE(css.find("background-color:" + CssColour(DarkPalette().background)),
              std::string::npos);
    EXPECT_NE(css.find("orvale-current-hit{color:" + CssColour(DarkPalette().currentHitText)),
              std::string::npos);
}

TEST(PageStyle, FontListFallsBackToCjkFacesAndRejectsMarkup) {
    EXPECT_EQ(FontFamilyList("Noto Serif CJK TC").find("\"Noto Serif CJK TC\""), 0u);
    EXPECT_EQ(FontFamilyList("Noto Serif CJK TC").rfind("\"Noto Serif CJK TC\""), 0u);
    // A face without CJK glyphs still has every CJK face behind it.
    const std::string latin = FontFamilyList("DejaVu Sans");
    for (const char* face : kCjkFallbackFaces) {
        EXPECT_NE(latin.find(std::string("\"") + face + "\""), std::string::npos) << face;
    }
    EXPECT_EQ(latin.substr(latin.size() - 6), ",serif");
    // A name that would break out of the rule is dropped.
    EXPECT_EQ(FontFamilyList("x\"}body{display:none").find("display"), std::string::npos);
}

}  // namespace
}  // namespace panel
