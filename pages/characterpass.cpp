#include "pages/characterpass.h"

#include <algorithm>
#include <array>

#include "pages/crossmatch.h"
#include "pages/highlight.h"
#include "pages/pagecomposer.h"

namespace pages {

std::uint32_t PackedCharacter(std::string_view bytes) {
    std::uint32_t packed = 0;
    for (std::size_t i = 0; i < bytes.size() && i < 4; ++i) {
        packed = packed << 8 | static_cast<unsigned char>(bytes[i]);
    }
    return packed;
}

namespace {

constexpr int kNoKeyword = -1;

// Which keyword, if any, the UTF-8 sequence at text[pos] is; length is the
// bytes it takes. Keywords are whole sequences, so a byte-wise match can
// only start where a character does, as with the term pass's search.
class CharacterTable {
  public:
    explicit CharacterTable(const std::vector<std::string>& keywords) {
        for (std::size_t k = 0; k < keywords.size(); ++k) {
            m_keywords.emplace(PackedCharacter(keywords[k]), static_cast<int>(k));
        }
    }

    int At(std::string_view text, std::size_t pos, std::size_t& length) const {
        length = IndexedCharacterAt(text, pos);
        if (length == 0) return kNoKeyword;
        const auto it = m_keywords.find(PackedCharacter(text.substr(pos, length)));
        return it == m_keywords.end() ? kNoKeyword : it->second;
    }

  private:
    std::unordered_map<std::uint32_t, int> m_keywords;
};

// Calls onText(begin, end) for the text between tags and onMatch(k, pos,
// length) for each keyword character outside tags, in order. A tag runs
// from '<' to the next '>' or the end of the run, as the term pass cuts it.
template <typename OnText, typename OnMatch>
void WalkRun(std::string_view run, const CharacterTable& table, OnText onText, OnMatch onMatch) {
    std::size_t emit = 0;
    std::size_t pos = 0;
    while (pos < run.size()) {
        if (run[pos] == '<') {
            const std::size_t close = run.find('>', pos);
            pos = close == std::string_view::npos ? run.size() : close + 1;
            continue;
        }
        std::size_t length = 0;
        const int k = table.At(run, pos, length);
        if (k == kNoKeyword) {
            pos += std::max<std::size_t>(length, 1);
            continue;
        }
        onText(emit, pos);
        onMatch(k, pos, length);
        pos += length;
        emit = pos;
    }
    onText(emit, run.size());
}

bool Marked(const FilterItem& run, int textLayer) {
    return run.kind == kAnnotation ? textLayer != kMainTextLayer : textLayer != kAnnotationLayer;
}

}  // namespace

CharacterCounts CountCharacters(std::string_view page, int parity, int textLayer) {
    CharacterCounts counts;
    const std::array<HTMLNode, 3> parts = ParsePage(page);
    for (const FilterItem& run : SplitRuns((parity == 0 ? parts[1] : parts[2]).text)) {
        if (!Marked(run, textLayer)) continue;
        const std::string_view text = run.text;
        std::size_t tagEnd = 0;  // bytes before it lie inside a tag once pos < tagEnd
        for (std::size_t pos = 0; pos < text.size();) {
            if (pos >= tagEnd && text[pos] == '<') {
                const std::size_t close = text.find('>', pos);
                tagEnd = close == std::string_view::npos ? text.size() : close + 1;
            }
            const std::size_t length = IndexedCharacterAt(text, pos);
            if (length == 0) {
                ++pos;
                continue;
            }
            std::int64_t& count = counts[PackedCharacter(text.substr(pos, length))];
            if (pos >= tagEnd) ++count;
            pos += length;
        }
    }
    return counts;
}

void ComposeCharacterPass(std::string_view page, std::string& html,
                          const std::vector<std::string>& keywords, int parity, int textLayer,
                          std::int32_t& anchorCounter) {
    if (keywords.size() == 1) {  // the term pass is as quick and needs no table
        ComposeTermPass(page, html, keywords[0], parity, textLayer, anchorCounter);
        return;
    }
    std::array<HTMLNode, 3> parts = ParsePage(page);
    HTMLNode& textCell = parity == 0 ? parts[1] : parts[2];
    const std::vector<FilterItem> runs = SplitRuns(textCell.text);
    const CharacterTable table(keywords);

    // Count first: each keyword's anchors follow all those of the keywords
    // before it.
    std::vector<std::int64_t> next(keywords.size(), 0);
    for (const FilterItem& run : runs) {
        if (!Marked(run, textLayer)) continue;
        WalkRun(
            run.text, table, [](std::size_t, std::size_t) {},
            [&next](int k, std::size_t, std::size_t) { ++next[static_cast<std::size_t>(k)]; });
    }
    std::int64_t base = anchorCounter;
    for (std::int64_t& n : next) {
        const std::int64_t count = n;
        n = base;
        base += count;
    }

    // Anchors from the cap on are not written (see kMaxPageAnchors); those
    // below it are still consecutive, keyword after keyword.
    const std::int64_t end = std::min<std::int64_t>(base, std::max(anchorCounter, kMaxPageAnchors));
    // Each mark adds an anchor of at most 25 bytes and the mark's two tags.
    constexpr std::int64_t kMarkBytes = 25 + kMarkOpener.size() + kMarkCloser.size();
    std::string cell;
    cell.reserve(textCell.text.size() +
                 static_cast<std::size_t>((end - anchorCounter) * kMarkBytes) + 256);
    for (const FilterItem& run : runs) {
        const bool annotation = run.kind == kAnnotation;
        if (annotation) cell.append(kAnnotationOpener);
        if (Marked(run, textLayer)) {
            const std::string_view text = run.text;
            WalkRun(
                text, table,
                [&cell, text](std::size_t begin, std::size_t end) {
                    cell.append(text.substr(begin, end - begin));
                },
                [&](int k, std::size_t pos, std::size_t length) {
                    const std::int64_t number = next[static_cast<std::size_t>(k)]++;
                    if (number >= end) {
                        cell.append(text.substr(pos, length));
                        return;
                    }
                    AppendAnchor(cell, static_cast<std::int32_t>(number));
                    cell.append(kMarkOpener);
                    cell.append(text.substr(pos, length));
                    cell.append(kMarkCloser);
                });
        } else {
            cell.append(run.text);
        }
        if (annotation) cell.append(kAnnotationCloser);
    }
    anchorCounter = static_cast<std::int32_t>(end);
    textCell.text.swap(cell);
    AppendFrame(parts, html);
}

}  // namespace pages
