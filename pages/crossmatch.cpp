#include "pages/crossmatch.h"

#include <algorithm>

#include "engine/indexcode.h"
#include "pages/findbytes.h"
#include "pages/highlight.h"

namespace pages {

namespace {

constexpr std::size_t kStarReach = 300;  // characters a '*' may cover
constexpr char32_t kAnyOne = 0;          // a '?' in a part

// Decodes the code point at pos and moves pos behind it; a malformed byte
// is one character of its own that no keyword holds.
char32_t NextCodePoint(std::string_view text, std::size_t& pos) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    std::size_t length = 1;
    char32_t cp = lead;
    if (lead >= 0xF0 && lead < 0xF8) {
        length = 4;
        cp = lead & 0x07;
    } else if (lead >= 0xE0) {
        length = 3;
        cp = lead & 0x0F;
    } else if (lead >= 0xC0) {
        length = 2;
        cp = lead & 0x1F;
    } else if (lead >= 0x80) {
        ++pos;
        return 0xFFFFFFFF;
    }
    if (pos + length > text.size()) {
        ++pos;
        return 0xFFFFFFFF;
    }
    for (std::size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(text[pos + k]);
        if ((next & 0xC0) != 0x80) {
            ++pos;
            return 0xFFFFFFFF;
        }
        cp = (cp << 6) | (next & 0x3F);
    }
    pos += length;
    return cp;
}

bool Indexed(char32_t cp) { return cp <= 0x10FFFF && engine::IndexCodeOf(cp) >= 0; }

// An indexed character of the marked text: one search position.
// 16 bytes: a cell of millions of characters gives millions of units.
struct Unit {
    std::size_t begin;
    char32_t cp;
    std::uint32_t length;
    std::size_t End() const { return begin + length; }
};

std::vector<Unit> UnitsOf(std::string_view text, const std::vector<CellSpan>& spans) {
    // Indexed characters mostly take three bytes: a close first guess.
    std::size_t markedBytes = 0;
    for (const CellSpan& span : spans) {
        if (span.kind == CellSpan::kMarked) markedBytes += span.end - span.begin;
    }
    std::vector<Unit> units;
    units.reserve(markedBytes / 3);
    for (const CellSpan& span : spans) {
        if (span.kind != CellSpan::kMarked) continue;
        const std::string_view upToEnd = text.substr(0, span.end);
        for (std::size_t pos = span.begin; pos < span.end;) {
            const std::size_t start = pos;
            const char32_t cp = NextCodePoint(upToEnd, pos);
            if (Indexed(cp)) units.push_back({start, cp, static_cast<std::uint32_t>(pos - start)});
        }
    }
    return units;
}

using Part = std::vector<char32_t>;

// The '*'-free parts of a keyword, wildcards at either end dropped.
std::vector<Part> SplitParts(std::string_view keyword) {
    std::vector<Part> parts(1);
    for (std::size_t pos = 0; pos < keyword.size();) {
        const char32_t cp = NextCodePoint(keyword, pos);
        if (cp == U'*') {
            if (!parts.back().empty()) parts.emplace_back();
        } else if (cp == U'?' || cp == U'\uFF1F') {
            if (!(parts.size() == 1 && parts.back().empty())) parts.back().push_back(kAnyOne);
        } else if (Indexed(cp)) {
            parts.back().push_back(cp);
        }
    }
    while (!parts.empty()) {
        Part& last = parts.back();
        while (!last.empty() && last.back() == kAnyOne) last.pop_back();
        if (!last.empty()) break;
        parts.pop_back();
    }
    // A '?' that followed a '*' at the start of a part stays: it asks for a
    // character there.
    return parts;
}

char32_t CodePointOf(const Unit& unit) { return unit.cp; }
char32_t CodePointOf(char32_t cp) { return cp; }

template <typename Units>
class Matcher {
  public:
    Matcher(const Units& units, const std::vector<Part>& parts)
        : m_units(units),
          m_parts(parts),
          m_at(parts.size()),
          m_failed(parts.size(), std::vector<bool>(units.size(), false)) {}

    // Whether the parts from index k on match with part k at unit v. A
    // failure depends on k and v only, so it is remembered: each pair is
    // tried once, however many earlier parts lead to it.
    bool MatchFrom(std::size_t k, std::size_t v) {
        if (m_failed[k][v] || !PartAt(k, v)) return false;
        m_at[k] = v;
        if (k + 1 == m_parts.size()) return true;
        const std::size_t after = v + m_parts[k].size();
        const std::size_t last = std::min(after + kStarReach + 1, m_units.size());
        for (std::size_t next = after; next < last; ++next) {
            if (MatchFrom(k + 1, next)) return true;
        }
        m_failed[k][v] = true;
        return false;
    }

    const std::vector<std::size_t>& At() const { return m_at; }

  private:
    bool PartAt(std::size_t k, std::size_t v) const {
        const Part& part = m_parts[k];
        if (v + part.size() > m_units.size()) return false;
        for (std::size_t j = 0; j < part.size(); ++j) {
            if (part[j] != kAnyOne && part[j] != CodePointOf(m_units[v + j])) return false;
        }
        return true;
    }

    const Units& m_units;
    const std::vector<Part>& m_parts;
    std::vector<std::size_t> m_at;
    std::vector<std::vector<bool>> m_failed;
};

void AppendMarked(std::string_view text, const std::vector<CellSpan>& spans, std::size_t begin,
                  std::size_t end, std::string& out) {
    auto it = std::upper_bound(spans.begin(), spans.end(), begin,
                               [](std::size_t value, const CellSpan& s) { return value < s.end; });
    for (; it != spans.end() && it->begin < end; ++it) {
        const std::size_t b = std::max(begin, it->begin);
        const std::size_t e = std::min(end, it->end);
        if (it->kind == CellSpan::kMarked) {
            out.append(kMarkOpener);
            out.append(text.substr(b, e - b));
            out.append(kMarkCloser);
        } else {
            out.append(text.substr(b, e - b));
        }
    }
}

}  // namespace

std::vector<CellSpan> CellSpans(std::string_view text, const std::vector<bool>& runMarked,
                                const std::vector<std::size_t>& runStarts) {
    std::vector<CellSpan> spans;
    for (std::size_t r = 0; r < runStarts.size(); ++r) {
        const std::size_t runEnd = r + 1 < runStarts.size() ? runStarts[r + 1] : text.size();
        const CellSpan::Kind textKind =
            r < runMarked.size() && runMarked[r] ? CellSpan::kMarked : CellSpan::kUnmarked;
        for (std::size_t i = runStarts[r]; i < runEnd;) {
            if (text[i] == '<') {
                const std::size_t close = text.find('>', i);
                const std::size_t end =
                    close == std::string_view::npos || close >= runEnd ? runEnd : close + 1;
                spans.push_back({i, end, CellSpan::kTag});
                i = end;
                continue;
            }
            const std::size_t next = std::min(text.find('<', i), runEnd);
            spans.push_back({i, next, textKind});
            i = next;
        }
    }
    return spans;
}

CrossCounter::CrossCounter(std::string_view text, const std::vector<CellSpan>& spans) {
    m_codePoints.reserve(text.size() / 3);
    // The code points of UnitsOf, without their places.
    for (const CellSpan& span : spans) {
        if (span.kind == CellSpan::kMarked) {
            AddMarkedText(text.substr(span.begin, span.end - span.begin));
        }
    }
}

void CrossCounter::AddMarkedText(std::string_view text) {
    for (std::size_t pos = 0; pos < text.size();) {
        const char32_t cp = NextCodePoint(text, pos);
        if (Indexed(cp)) m_codePoints.push_back(cp);
    }
}

std::size_t CrossCounter::Count(std::string_view keyword) const {
    return CountUpTo(keyword, SIZE_MAX);
}

bool CrossCounter::Any(std::string_view keyword) const { return CountUpTo(keyword, 1) > 0; }

std::size_t CrossCounter::CountUpTo(std::string_view keyword, std::size_t limit) const {
    const std::vector<Part> parts = SplitParts(keyword);
    if (parts.empty()) return 0;
    Matcher matcher(m_codePoints, parts);
    std::size_t count = 0;
    // A match starts only where the first part's first character stands.
    const char32_t first = parts.front().front();
    for (std::size_t v = 0; v < m_codePoints.size() && count < limit;) {
        if (first != kAnyOne) {
            v = static_cast<std::size_t>(
                std::find(m_codePoints.begin() + static_cast<std::ptrdiff_t>(v), m_codePoints.end(),
                          first) -
                m_codePoints.begin());
            if (v == m_codePoints.size()) break;
        }
        if (!matcher.MatchFrom(0, v)) {
            ++v;
            continue;
        }
        ++count;
        v = matcher.At().back() + parts.back().size();
    }
    return count;
}

bool MayMatchIn(std::string_view text, std::string_view keyword) {
    for (std::size_t pos = 0; pos < keyword.size();) {
        const std::size_t start = pos;
        if (Indexed(NextCodePoint(keyword, pos)) &&
            FindBytes(text, keyword.substr(start, pos - start)) == std::string_view::npos) {
            return false;
        }
    }
    return true;
}

std::size_t IndexedCharacterAt(std::string_view text, std::size_t pos) {
    const std::size_t start = pos;
    return Indexed(NextCodePoint(text, pos)) ? pos - start : 0;
}

bool IsOneIndexedCharacter(std::string_view keyword) {
    std::size_t pos = 0;
    return !keyword.empty() && Indexed(NextCodePoint(keyword, pos)) && pos == keyword.size();
}

bool HasCrossMatch(std::string_view text, const std::vector<CellSpan>& spans,
                   std::string_view keyword) {
    const std::vector<Part> parts = SplitParts(keyword);
    if (parts.empty()) return false;
    const std::vector<Unit> units = UnitsOf(text, spans);
    Matcher matcher(units, parts);
    for (std::size_t v = 0; v < units.size(); ++v) {
        if (matcher.MatchFrom(0, v)) return true;
    }
    return false;
}

std::vector<CrossMatch> FindCrossMatches(std::string_view text, const std::vector<CellSpan>& spans,
                                         std::string_view keyword) {
    std::vector<CrossMatch> matches;
    const std::vector<Part> parts = SplitParts(keyword);
    if (parts.empty()) return matches;
    const std::vector<Unit> units = UnitsOf(text, spans);
    Matcher matcher(units, parts);
    for (std::size_t v = 0; v < units.size();) {
        if (!matcher.MatchFrom(0, v)) {
            ++v;
            continue;
        }
        CrossMatch match;
        for (std::size_t k = 0; k < parts.size(); ++k) {
            const std::size_t first = matcher.At()[k];
            const std::size_t last = first + parts[k].size() - 1;
            match.parts.emplace_back(units[first].begin, units[last].End());
        }
        v = matcher.At().back() + parts.back().size();
        matches.push_back(std::move(match));
    }
    return matches;
}

void EmitCrossMarked(std::string_view text, const std::vector<CellSpan>& spans,
                     const std::vector<CrossMatch>& matches, std::string& out,
                     std::int32_t& anchorCounter) {
    std::size_t emit = 0;
    for (const CrossMatch& match : matches) {
        if (match.parts.empty()) continue;
        if (anchorCounter >= kMaxPageAnchors) break;  // the rest stays unmarked
        out.append(text.substr(emit, match.parts.front().first - emit));
        AppendAnchor(out, anchorCounter++);
        for (std::size_t k = 0; k < match.parts.size(); ++k) {
            const auto [begin, end] = match.parts[k];
            if (k > 0) {
                const std::size_t gap = match.parts[k - 1].second;
                out.append(text.substr(gap, begin - gap));
            }
            AppendMarked(text, spans, begin, end, out);
        }
        emit = match.parts.back().second;
    }
    out.append(text.substr(emit));
}

}  // namespace pages
