#include "panel/pagestyle.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace panel {

namespace {

// Selectors of the parts of a page file: the text block and the caption
// block (title, volume, page) stand in either cell of the table, told apart
// by their own styles; hits are the composer's bold marks, the current hit
// carries the view's class.
constexpr const char* kTextBlock = "td>div[style*=\"line-height\"]";
constexpr const char* kCaptionBlock = "td>div[style*=\"color:#666\"]";
constexpr const char* kHitMark = "b[style*=\"color:red\"]";
constexpr const char* kCurrentHit = "html .orvale-current-hit";

double Channel(std::uint8_t value) {
    const double c = value / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

// Screen colours of a palette; every rule wins over the page's own inline colours.
std::string PaletteRules(const PagePalette& p) {
    const std::string bg = CssColour(p.background);
    std::string css = "@media screen{";
    css += "html,body,table,td{background-color:" + bg + " !important;color:" + CssColour(p.text) +
           " !important;}";
    css += "td{background-image:none !important;}";
    css += "table,td{border-color:" + CssColour(p.frame) + " !important;}";
    css +=
        std::string(kTextBlock) + " font[color]{color:" + CssColour(p.annotation) + " !important;}";
    css += std::string(kCaptionBlock) + "," + kCaptionBlock + " *{color:" + CssColour(p.caption) +
           " !important;}";
    css += std::string(kHitMark) + "{color:" + CssColour(p.hitText) +
           " !important;background:" + CssColour(p.hitBackground) + " !important;}";
    css += std::string(kCurrentHit) + "{color:" + CssColour(p.currentHitText) +
           " !important;background:" + CssColour(p.currentHitBackground) + " !important;}";
    css += "}";
    return css;
}

}  // namespace

const PagePalette& LightPalette() {
    // The page's own colours; the hit red is a little deeper than the
    // composer's, so it reaches 4.5:1 on its grey.
    static const PagePalette palette{
        .background = {0xFF, 0xFF, 0xFF},
        .text = {0x00, 0x00, 0x00},
        .annotation = {0x99, 0x33, 0x66},
        .caption = {0x59, 0x59, 0x59},
        .frame = {0xA8, 0x7A, 0x20},
        .hitText = {0xB0, 0x00, 0x00},
        .hitBackground = {0xD9, 0xD9, 0xD9},
        .currentHitText = {0xFF, 0xFF, 0xFF},
        .currentHitBackground = {0xA0, 0x00, 0x00},
    };
    return palette;
}

const PagePalette& DarkPalette() {
    static const PagePalette palette{
        .background = {0x1E, 0x1E, 0x1E},
        .text = {0xE6, 0xE6, 0xE6},
        .annotation = {0xE8, 0xA0, 0xC4},
        .caption = {0xB8, 0xB8, 0xB8},
        .frame = {0x9A, 0x7A, 0x3A},
        .hitText = {0xFF, 0x9C, 0x9C},
        .hitBackground = {0x40, 0x40, 0x40},
        .currentHitText = {0x1E, 0x1E, 0x1E},
        .currentHitBackground = {0xFF, 0xB3, 0x47},
    };
    return palette;
}

double RelativeLuminance(Rgb colour) {
    return 0.2126 * Channel(colour.r) + 0.7152 * Channel(colour.g) + 0.0722 * Channel(colour.b);
}

double ContrastRatio(Rgb a, Rgb b) {
    const double la = RelativeLuminance(a);
    const double lb = RelativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

std::string CssColour(Rgb colour) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "#%02x%02x%02x", colour.r, colour.g, colour.b);
    return buf;
}

std::string FontFamilyList(const std::string& chosen) {
    std::string list;
    const auto add = [&list](const std::string& face) {
        if (face.empty() || face.find_first_of("\"\\<>{};") != std::string::npos) return;
        const std::string quoted = "\"" + face + "\"";
        if (list.find(quoted) != std::string::npos) return;
        list += quoted + ",";
    };
    add(chosen);
    for (const char* face : kCjkFallbackFaces) add(face);
    return list + "serif";
}

std::string PageStyleSheet(const PageLook& look) {
    std::string css = "td,td *{font-family:" + FontFamilyList(look.fontFamily) + " !important;}";
    if (look.vertical) {
        // The text runs in columns from the right, as tall as the window;
        // the cell grows sideways. Punctuation takes its vertical forms from
        // the face (upright orientation for CJK, rotated Latin).
        css += std::string(kTextBlock) + "{writing-mode:vertical-rl;text-orientation:mixed;" +
               "width:auto !important;height:calc(100vh - 90px);min-height:12em;" +
               "text-align:start !important;direction:ltr;}";
        // The page runs from the right as well: it opens at its right edge,
        // where the text begins, and the caption stands to the text's right.
        css += "html{direction:rtl;}td>div{direction:ltr;}";
    }
    css += PaletteRules(look.dark ? DarkPalette() : LightPalette());
    return css;
}

}  // namespace panel
