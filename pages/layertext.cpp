#include "pages/layertext.h"

#include <utility>

#include "engine/codeconverter.h"
#include "engine/indexcode.h"
#include "pages/pagecomposer.h"

namespace pages {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Decodes one UTF-8 character at text[i] and advances i; a byte that does
// not start a well-formed character is U+FFFD and advances by one.
char32_t NextCodePoint(std::string_view text, std::size_t& i) {
    const auto byte = [&text](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char b0 = byte(i);
    int extra = 0;
    char32_t cp = 0;
    if (b0 < 0x80) {
        ++i;
        return b0;
    } else if (b0 >= 0xC2 && b0 <= 0xDF) {
        extra = 1;
        cp = b0 & 0x1F;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        extra = 2;
        cp = b0 & 0x0F;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        extra = 3;
        cp = b0 & 0x07;
    } else {
        ++i;
        return kReplacement;
    }
    if (i + static_cast<std::size_t>(extra) >= text.size()) {
        ++i;
        return kReplacement;
    }
    for (int k = 1; k <= extra; ++k) {
        const unsigned char b = byte(i + static_cast<std::size_t>(k));
        if ((b & 0xC0) != 0x80) {
            ++i;
            return kReplacement;
        }
        cp = (cp << 6) | (b & 0x3F);
    }
    const char32_t least[] = {0, 0x80, 0x800, 0x10000};
    if (cp < least[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++i;
        return kReplacement;
    }
    i += static_cast<std::size_t>(extra) + 1;
    return cp;
}

void AppendCharacter(char32_t cp, LayerText& out) {
    if (IsIndexedCharacter(cp)) out.at.push_back(static_cast<std::uint32_t>(out.chars.size()));
    out.chars.push_back(cp);
}

// Appends the characters of one run: tags dropped, the three entities the
// builder writes decoded.
void AppendRunText(std::string_view run, LayerText& out) {
    std::size_t i = 0;
    while (i < run.size()) {
        if (run[i] == '<') {
            const std::size_t close = run.find('>', i);
            if (close == std::string_view::npos) return;
            i = close + 1;
            continue;
        }
        if (run[i] == '&') {
            static constexpr std::pair<std::string_view, char32_t> kEntities[] = {
                {"&amp;", U'&'}, {"&lt;", U'<'}, {"&gt;", U'>'}};
            bool decoded = false;
            for (const auto& [name, cp] : kEntities) {
                if (run.substr(i, name.size()) == name) {
                    AppendCharacter(cp, out);
                    i += name.size();
                    decoded = true;
                    break;
                }
            }
            if (decoded) continue;
        }
        AppendCharacter(NextCodePoint(run, i), out);
    }
}

}  // namespace

bool IsIndexedCharacter(char32_t cp) { return engine::IndexCodeOf(cp) >= 0; }

void ExtractLayerText(std::string_view page, int parity, int textLayer, LayerText& out) {
    out.chars.clear();
    out.at.clear();
    const std::array<HTMLNode, 3> parts = ParsePage(page);
    const HTMLNode& cell = parity == 0 ? parts[1] : parts[2];
    const bool keepMain = textLayer != kAnnotationLayer;
    const bool keepNotes = textLayer != kMainTextLayer;
    for (const FilterItem& run : SplitRuns(cell.text)) {
        if (run.kind == kAnnotation ? keepNotes : keepMain) AppendRunText(run.text, out);
    }
}

void AppendUtf8Text(std::u32string_view text, std::string& out) {
    for (const char32_t cp : text) engine::AppendUtf8(cp, out);
}

std::string ToUtf8(std::u32string_view text) {
    std::string out;
    AppendUtf8Text(text, out);
    return out;
}

}  // namespace pages
