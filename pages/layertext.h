// Layer text: the characters of one text layer of a stored page as a reader
// sees them, with the index positions of that layer.
//
// The text cell (picked by the parity of the page number, as the composer
// picks it) is split into main-text and annotation runs the way the composer
// splits it; the runs of the layer are kept, markup is dropped, the entities
// &amp; &lt; &gt; become their characters and a paragraph break takes no
// character. The title and the margin cell never contribute. Every
// character whose index code is not -1 takes the next position of the
// layer, so position p of the layer is chars[at[p]], exactly as the index
// counts positions.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pages {

struct LayerText {
    std::u32string chars;           // the layer's characters in reading order
    std::vector<std::uint32_t> at;  // for each index position, its place in chars
};

// Whether a code point takes an index position.
bool IsIndexedCharacter(char32_t cp);

// Replaces out by the text of textLayer (0 whole, 1 main text, 2 annotations;
// others as 0) of page, a descrambled stored page whose text lies in the
// first cell for parity 0 and the second for parity 1. Ill-formed UTF-8
// bytes become U+FFFD, which takes a position as the builder gives it one.
void ExtractLayerText(std::string_view page, int parity, int textLayer, LayerText& out);

// Appends the UTF-8 form of text to out; ToUtf8 returns it.
void AppendUtf8Text(std::u32string_view text, std::string& out);
std::string ToUtf8(std::u32string_view text);

}  // namespace pages
