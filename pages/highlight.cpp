#include "pages/highlight.h"

#include <algorithm>
#include <charconv>

#include "pages/findbytes.h"

namespace pages {

namespace {

constexpr std::size_t kNotFound = std::string_view::npos;
constexpr std::size_t kGapBytes = 3;

// The tags of a run: from a '<' met outside a tag up to the next '>' (or the
// end of the run), the same way the page parser cuts them.
class TagSpans {
  public:
    explicit TagSpans(std::string_view text) {
        for (std::size_t open = text.find('<'); open != kNotFound;) {
            const std::size_t close = text.find('>', open);
            const std::size_t end = close == kNotFound ? text.size() : close + 1;
            m_spans.push_back(Span{open, end});
            open = text.find('<', end);
        }
    }

    // Whether the bytes [position, position + length) lie outside every tag.
    bool OutsideTags(std::size_t position, std::size_t length) const {
        const auto next =
            std::upper_bound(m_spans.begin(), m_spans.end(), position,
                             [](std::size_t value, const Span& span) { return value < span.end; });
        return next == m_spans.end() || next->begin >= position + length;
    }

  private:
    struct Span {
        std::size_t begin;
        std::size_t end;
    };
    std::vector<Span> m_spans;
};

// Finds a needle (outside tags, when tags are given) from ever-increasing
// positions. The last answer is kept: it stays the first occurrence as long
// as the next start does not pass it, so repeated attempts on a long run do
// not search the same bytes again.
class ForwardFinder {
  public:
    ForwardFinder(std::string_view text, std::string_view needle, const TagSpans* tags)
        : m_text(text), m_needle(needle), m_tags(tags) {}

    std::size_t From(std::size_t start) {
        if (!m_valid || start < m_from || (m_found != kNotFound && start > m_found)) {
            m_found = FindBytes(m_text, m_needle, start);
            while (m_found != kNotFound && m_tags != nullptr &&
                   !m_tags->OutsideTags(m_found, m_needle.size())) {
                m_found = FindBytes(m_text, m_needle, m_found + 1);
            }
            m_valid = true;
        }
        m_from = start;
        return m_found;
    }

  private:
    std::string_view m_text;
    std::string_view m_needle;
    const TagSpans* m_tags;
    bool m_valid = false;
    std::size_t m_from = 0;
    std::size_t m_found = kNotFound;
};

}  // namespace

void AppendAnchor(std::string& text, std::int32_t number) {
    char digits[16];
    const auto result = std::to_chars(digits, digits + sizeof digits, number);
    const auto width = static_cast<std::size_t>(result.ptr - digits);
    text += "<a name=\"";
    if (number >= 0 && width < 4) text.append(4 - width, '0');
    text.append(digits, width);
    text += "\"></a>";
}

void SplitTerm(std::string_view keyword, std::vector<Seg>& segs) {
    segs.clear();
    std::size_t start = 0;
    while (start <= keyword.size()) {
        std::size_t star = keyword.find('*', start);
        if (star == kNotFound) star = keyword.size();
        const std::string_view piece = keyword.substr(start, star - start);
        if (!piece.empty()) {
            segs.push_back(Seg{start == 0 ? kSegFirst : kSegAfterStar, {}, 0});
            std::int32_t gap = 1;
            for (std::size_t pos = 0; pos < piece.size();) {
                std::size_t mark = piece.find('?', pos);
                if (mark == kNotFound) mark = piece.size();
                if (mark > pos) {
                    segs.back().text.append(piece.substr(pos, mark - pos));
                    segs.back().count = gap;
                    segs.push_back(Seg{kSegAfterGap, {}, 0});
                    gap = 1;
                } else {
                    ++gap;
                }
                pos = mark + 1;
            }
            // The empty piece just opened, or the piece's own Seg when it held only '?'.
            segs.pop_back();
        }
        start = star + 1;
    }
}

namespace {

// Walks the attempts of one keyword over one run. Each attempt starts at the
// search position and ends at its first failed piece, leaving the position
// where that piece left it; after a complete match it lies behind the match.
class RunMatcher {
  public:
    RunMatcher(std::string_view run, const std::vector<Seg>& segs)
        : m_run(run),
          m_segs(segs),
          m_tags(run),
          m_paragraphs(run, kParagraphBarrier, nullptr),
          m_headings(run, kHeadingBarrier, nullptr) {
        m_finders.reserve(segs.size());
        for (const Seg& s : segs) m_finders.emplace_back(run, s.text, &m_tags);
        m_found.reserve(segs.size());
    }
    RunMatcher(const RunMatcher&) = delete;
    RunMatcher& operator=(const RunMatcher&) = delete;

    std::size_t Position() const { return m_cur; }
    const std::vector<std::size_t>& Found() const { return m_found; }

    // One attempt from the search position; true when every piece matched.
    bool Attempt() {
        m_found.clear();
        const std::size_t end = m_run.size();
        for (std::size_t i = 0; i < m_segs.size(); ++i) {
            if (!MatchPiece(i, end)) break;
        }
        m_cur = std::min(m_cur, end);
        return m_found.size() == m_segs.size();
    }

  private:
    bool MatchPiece(std::size_t i, std::size_t end) {
        const Seg& s = m_segs[i];
        const std::size_t length = s.text.size();
        if (s.type == kSegFirst) {
            const std::size_t p = m_finders[i].From(m_cur);
            if (p == kNotFound) {
                m_cur = end;
                return false;
            }
            return Record(p, length);
        }
        if (m_cur >= end) return false;
        if (s.type == kSegAfterStar) {
            const std::size_t p = m_finders[i].From(m_cur);
            const std::size_t limit = p == kNotFound ? end : p;
            const std::size_t x1 = m_paragraphs.From(m_cur);
            if (x1 != kNotFound && x1 < limit) {
                m_cur = x1 + kParagraphBarrier.size();
                return false;
            }
            const std::size_t x2 = m_headings.From(m_cur);
            if (x2 != kNotFound && x2 < limit) {
                m_cur = x2 + kHeadingBarrier.size();
                return false;
            }
            if (p == kNotFound) {
                m_cur = end;
                return false;
            }
            return Record(p, length);
        }
        const std::size_t gap = kGapBytes * static_cast<std::size_t>(std::max(0, s.count));
        if (gap >= end - m_cur) return false;
        const std::size_t m = m_cur + gap;
        const std::size_t p = m_finders[i].From(m);
        if (p == kNotFound) {
            m_cur = end;
            return false;
        }
        if (p != m) return false;  // found later: the position stays behind the previous piece
        return Record(m, length);
    }

    bool Record(std::size_t position, std::size_t length) {
        m_found.push_back(position);
        m_cur = position + length;
        return true;
    }

    std::string_view m_run;
    const std::vector<Seg>& m_segs;
    TagSpans m_tags;
    ForwardFinder m_paragraphs;
    ForwardFinder m_headings;
    std::vector<ForwardFinder> m_finders;
    std::vector<std::size_t> m_found;
    std::size_t m_cur = 0;
};

}  // namespace

std::int32_t HighlightRun(std::string_view run, const std::vector<Seg>& segs, std::string& text,
                          std::int32_t& anchorCounter) {
    if (segs.empty()) {
        text.append(run);
        return 0;
    }
    std::int32_t matches = 0;
    RunMatcher matcher(run, segs);
    std::size_t emit = 0;
    while (emit < run.size()) {
        if (!matcher.Attempt()) {
            text.append(run.substr(emit, matcher.Position() - emit));
            emit = matcher.Position();
            continue;
        }
        ++matches;
        if (anchorCounter >= kMaxPageAnchors) {
            text.append(run.substr(emit, matcher.Position() - emit));
            emit = matcher.Position();
            continue;
        }
        const std::vector<std::size_t>& found = matcher.Found();
        text.append(run.substr(emit, found[0] - emit));
        for (std::size_t i = 0; i < segs.size(); ++i) {
            const std::size_t pieceEnd = found[i] + segs[i].text.size();
            AppendAnchor(text, anchorCounter++);
            text.append(kMarkOpener);
            text.append(run.substr(found[i], segs[i].text.size()));
            text.append(kMarkCloser);
            if (i + 1 == segs.size()) break;
            const std::string_view between = run.substr(pieceEnd, found[i + 1] - pieceEnd);
            if (segs[i + 1].type == kSegAfterGap) {
                text.append(kMarkOpener);
                AppendAnchor(text, anchorCounter++);
                text.append(between);
                text.append(kMarkCloser);
            } else {
                text.append(between);
            }
        }
        emit = matcher.Position();
    }
    return matches;
}

bool RunHasMatch(std::string_view run, const std::vector<Seg>& segs) {
    if (segs.empty()) return false;
    RunMatcher matcher(run, segs);
    while (matcher.Position() < run.size()) {
        if (matcher.Attempt()) return true;
    }
    return false;
}

void HighlightRun(std::string_view run, std::string_view keyword, std::string& text,
                  std::int32_t& anchorCounter) {
    std::vector<Seg> segs;
    SplitTerm(keyword, segs);
    HighlightRun(run, segs, text, anchorCounter);
}

}  // namespace pages
