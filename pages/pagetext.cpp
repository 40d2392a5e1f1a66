#include "pages/pagetext.h"

#include <algorithm>

#include "engine/codeconverter.h"
#include "engine/indexcode.h"
#include "pages/highlight.h"
#include "pages/pagecomposer.h"

namespace pages {
namespace {

// The code point of the UTF-8 sequence at text[i] and its byte length; a
// malformed sequence gives U+FFFD over one byte.
char32_t DecodeUtf8(std::string_view text, std::size_t i, std::size_t& length) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char b0 = byte(i);
    length = 1;
    if (b0 < 0x80) return b0;
    const std::size_t need = b0 >= 0xF0 ? 4 : b0 >= 0xE0 ? 3 : b0 >= 0xC0 ? 2 : 0;
    if (need == 0 || i + need > text.size()) return U'\uFFFD';
    char32_t cp = b0 & (0x7F >> need);
    for (std::size_t k = 1; k < need; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return U'\uFFFD';
        cp = (cp << 6) | (byte(i + k) & 0x3F);
    }
    length = need;
    return cp;
}

// Walks the text cell: onTag(tag) for every tag of a run (annotation
// wrappers excluded), onChar(bytes, pageChar) for every character.
template <typename OnRun, typename OnTag, typename OnChar>
void WalkCell(std::string_view cell, OnRun onRun, OnTag onTag, OnChar onChar) {
    std::int32_t position = 0;
    for (const FilterItem& run : SplitRuns(cell)) {
        const bool annotation = run.kind == kAnnotation;
        onRun(annotation, true);
        const std::string_view text = run.text;
        std::size_t i = 0;
        while (i < text.size()) {
            if (text[i] == '<') {
                const std::size_t close = std::min(text.find('>', i), text.size() - 1);
                const std::string_view tag = text.substr(i, close + 1 - i);
                onTag(tag);
                const bool isBreak = tag.starts_with("<p") || tag.starts_with("<br") ||
                                     tag.starts_with("<P") || tag.starts_with("<BR");
                if (isBreak) onChar(std::string_view{}, PageChar{U'\n', -1, annotation});
                i = close + 1;
                continue;
            }
            PageChar ch{0, -1, annotation};
            std::size_t length = 1;
            if (text[i] == '&') {
                static constexpr std::pair<std::string_view, char32_t> kEntities[] = {
                    {"&amp;", U'&'}, {"&lt;", U'<'}, {"&gt;", U'>'}, {"&quot;", U'"'}};
                ch.cp = U'&';
                for (const auto& [name, cp] : kEntities) {
                    if (text.substr(i, name.size()) == name) {
                        ch.cp = cp;
                        length = name.size();
                        break;
                    }
                }
            } else {
                ch.cp = DecodeUtf8(text, i, length);
            }
            if (engine::IndexCodeOf(ch.cp) >= 0) ch.position = position++;
            onChar(text.substr(i, length), ch);
            i += length;
        }
        onRun(annotation, false);
    }
}

}  // namespace

std::vector<PageChar> PageCharacters(std::string_view storedPage, int parity) {
    const std::array<HTMLNode, 3> parts = ParsePage(storedPage);
    std::vector<PageChar> chars;
    WalkCell(
        parity == 0 ? parts[1].text : parts[2].text, [](bool, bool) {}, [](std::string_view) {},
        [&chars](std::string_view, const PageChar& ch) { chars.push_back(ch); });
    return chars;
}

std::int32_t ComposeMarkedPage(std::string_view storedPage, int parity,
                               const std::vector<PositionSpan>& spans, std::string& html) {
    std::array<HTMLNode, 3> parts = ParsePage(storedPage);
    HTMLNode& textCell = parity == 0 ? parts[1] : parts[2];
    std::string cell;
    std::int32_t anchors = 0;
    bool open = false;
    std::size_t next = 0;         // the first span that may still cover a position
    std::int64_t coveredTo = -1;  // positions below this are inside a span
    std::int64_t lastPosition = -1;
    const auto close = [&]() {
        if (open) cell.append(kMarkCloser);
        open = false;
    };
    WalkCell(
        textCell.text,
        [&](bool annotation, bool begins) {
            close();
            if (annotation) cell.append(begins ? kAnnotationOpener : kAnnotationCloser);
        },
        [&](std::string_view tag) {
            close();
            cell.append(tag);
        },
        [&](std::string_view bytes, const PageChar& ch) {
            if (bytes.empty()) return;
            bool marked = false;
            if (ch.position >= 0) {
                lastPosition = ch.position;
                const bool wasCovered = ch.position < coveredTo;
                while (next < spans.size() &&
                       spans[next].start <= static_cast<std::uint32_t>(ch.position)) {
                    coveredTo = std::max<std::int64_t>(coveredTo, spans[next].end);
                    ++next;
                }
                marked = ch.position < coveredTo;
                if (marked && !wasCovered && !open) AppendAnchor(cell, anchors++);
            } else {
                // Punctuation between two characters of one span.
                marked = lastPosition >= 0 && lastPosition + 1 < coveredTo;
            }
            if (marked && !open) {
                cell.append(kMarkOpener);
                open = true;
            } else if (!marked) {
                close();
            }
            cell.append(bytes);
        });
    close();
    textCell.text.swap(cell);
    AppendFrame(parts, html);
    return anchors;
}

std::string PageCharsText(const std::vector<PageChar>& chars, std::size_t begin, std::size_t end) {
    std::string text;
    for (std::size_t k = begin; k < end && k < chars.size(); ++k) {
        if (chars[k].cp == U'\n') {
            text += "／";
        } else {
            engine::AppendUtf8(chars[k].cp, text);
        }
    }
    return text;
}

}  // namespace pages
