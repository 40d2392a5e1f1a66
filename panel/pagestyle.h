// PageStyle: the style sheet the page view lays over the shown page files
// (which stay byte-identical): the typeface with its CJK fallbacks, the
// vertical setting of the text cell, and the screen colours of the light or
// dark palette. The palettes are plain data, so their contrast can be
// checked without a display. Printing always uses the page's own light
// colours: the palette rules apply to the screen only, the typeface and the
// writing direction to both. No Qt.
#pragma once

#include <cstdint>
#include <string>

namespace panel {

struct Rgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
};

// Every colour the page view draws, for the window and the page.
struct PagePalette {
    Rgb background;
    Rgb text;
    Rgb annotation;  // the smaller annotation runs
    Rgb caption;     // the title cell
    Rgb frame;       // table lines
    Rgb hitText;
    Rgb hitBackground;
    Rgb currentHitText;
    Rgb currentHitBackground;
};

const PagePalette& LightPalette();
const PagePalette& DarkPalette();

// WCAG 2 relative luminance (0 … 1) and contrast ratio (1 … 21).
double RelativeLuminance(Rgb colour);
double ContrastRatio(Rgb a, Rgb b);
// "#rrggbb".
std::string CssColour(Rgb colour);

struct PageLook {
    std::string fontFamily;
    bool vertical = false;
    bool dark = false;
};

// The CJK faces tried, in order, after the chosen one, so a character the
// chosen face lacks is drawn from another CJK face rather than as a box.
inline constexpr const char* kCjkFallbackFaces[] = {
    "Noto Serif CJK TC", "Noto Serif CJK JP", "Noto Serif CJK SC", "Noto Serif CJK KR",
    "Noto Sans CJK TC",  "Noto Sans CJK JP",  "Noto Sans CJK SC"};

// The CSS font-family list: the chosen face, the fallbacks, then serif.
std::string FontFamilyList(const std::string& chosen);

// The whole style sheet for look.
std::string PageStyleSheet(const PageLook& look);

}  // namespace panel
