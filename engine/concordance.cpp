#include "engine/concordance.h"

#include <algorithm>

#include "engine/codeconverter.h"
#include "engine/indexcode.h"
#include "engine/varianttable.h"

namespace engine {
namespace {

bool IsSeparator(char16_t u) { return u == u' ' || u == u'\u3000'; }

// Code points of a UTF-16 term, a surrogate pair as one.
std::u32string CodePointsOf(std::u16string_view text) {
    std::u32string out(text.size(), U'\0');
    const char16_t* source = text.data();
    char32_t* target = out.data();
    Utf16ToCodePoints(source, source + text.size(), target, target + out.size(), true);
    out.resize(static_cast<std::size_t>(target - out.data()));
    return out;
}

// Compares two strings by their indexed characters only, in the given
// direction; 0 when equal.
int CompareIndexed(std::u32string_view a, std::u32string_view b, bool backwards) {
    std::size_t i = 0;
    std::size_t j = 0;
    const auto at = [backwards](std::u32string_view s, std::size_t k) {
        return backwards ? s[s.size() - 1 - k] : s[k];
    };
    while (true) {
        while (i < a.size() && !pages::IsIndexedCharacter(at(a, i))) ++i;
        while (j < b.size() && !pages::IsIndexedCharacter(at(b, j))) ++j;
        if (i == a.size() || j == b.size()) {
            if (i == a.size() && j == b.size()) return 0;
            return i == a.size() ? -1 : 1;
        }
        const char32_t x = at(a, i++);
        const char32_t y = at(b, j++);
        if (x != y) return x < y ? -1 : 1;
    }
}

bool PositionBefore(const KwicLine& a, const KwicLine& b) {
    if (a.record != b.record) return a.record < b.record;
    if (a.position != b.position) return a.position < b.position;
    return a.hit.size() < b.hit.size();
}

}  // namespace

KwicQuery::KwicQuery(std::u16string_view keywords, bool useVariants, const VariantTable& variants) {
    std::vector<std::u16string_view> seen;
    std::size_t start = 0;
    TermPlan plan;
    for (std::size_t i = 0; i <= keywords.size(); ++i) {
        if (i < keywords.size() && !IsSeparator(keywords[i])) continue;
        const std::u16string_view text = keywords.substr(start, i - start);
        start = i + 1;
        if (text.empty() || std::find(seen.begin(), seen.end(), text) != seen.end()) continue;
        seen.push_back(text);
        if (BuildTermPlan(text, useVariants, variants, plan) != PlanStatus::Ok ||
            plan.cursorCount == 0)
            continue;
        Term term;
        term.length = plan.length;
        for (int c = 0; c < plan.cursorCount; ++c) {
            Cursor cursor{plan.code[c], plan.t[c], {}};
            const int group = plan.code[c] - kVariantCodeBase;
            if (useVariants && group >= 0 &&
                static_cast<std::size_t>(group) < variants.GroupCount()) {
                for (const std::uint32_t member : variants.Members(static_cast<std::size_t>(group)))
                    cursor.members.push_back(member);
            }
            term.cursors.push_back(std::move(cursor));
        }
        term.groupFirst.assign(plan.groupFirst, plan.groupFirst + plan.groupCount + 1);
        m_terms.push_back(std::move(term));
        if (!useVariants) continue;
        for (const char32_t cp : CodePointsOf(text)) {
            int code = -1;
            if (!variants.MapVariant(cp, code)) continue;
            const bool listed =
                std::any_of(m_variantForms.begin(), m_variantForms.end(),
                            [cp](const VariantForms& forms) { return forms.character == cp; });
            if (listed) continue;
            VariantForms forms{cp, {}};
            const auto group = static_cast<std::size_t>(code - kVariantCodeBase);
            if (group < variants.GroupCount()) {
                for (const std::uint32_t member : variants.Members(group)) {
                    if (std::find(forms.forms.begin(), forms.forms.end(), member) ==
                        forms.forms.end())
                        forms.forms.push_back(member);
                }
            }
            m_variantForms.push_back(std::move(forms));
        }
    }
}

void KwicQuery::FindHits(const pages::LayerText& text, std::vector<HitSpan>& hits) const {
    hits.clear();
    for (const Term& term : m_terms) MatchTerm(term, text, hits);
    std::sort(hits.begin(), hits.end(), [](const HitSpan& a, const HitSpan& b) {
        return a.first != b.first ? a.first < b.first : a.last < b.last;
    });
}

void KwicQuery::MatchTerm(const Term& term, const pages::LayerText& text,
                          std::vector<HitSpan>& hits) const {
    // The positions of each cursor's character on this layer, then the
    // alignment the search applies to postings: v = p + (L - 1 - t).
    const std::size_t n = term.cursors.size();
    std::vector<std::vector<std::uint32_t>> positions(n);
    for (std::uint32_t p = 0; p < text.at.size(); ++p) {
        const char32_t cp = text.chars[text.at[p]];
        const int own = IndexCodeOf(cp);
        for (std::size_t c = 0; c < n; ++c) {
            const Cursor& cursor = term.cursors[c];
            const bool match = cursor.members.empty()
                                   ? own == cursor.code
                                   : std::find(cursor.members.begin(), cursor.members.end(), cp) !=
                                         cursor.members.end();
            if (match) positions[c].push_back(p);
        }
    }
    for (const auto& list : positions) {
        if (list.empty()) return;
    }
    std::vector<std::size_t> next(n, 0);
    std::vector<std::int64_t> v(n);
    const auto aligned = [&term](std::size_t c, std::uint32_t p) {
        return std::int64_t{p} + (term.length - 1 - term.cursors[c].t);
    };
    for (std::size_t c = 0; c < n; ++c) v[c] = aligned(c, positions[c][0]);
    std::vector<std::size_t> groupOf(n);
    for (std::size_t g = 0; g + 1 < term.groupFirst.size(); ++g) {
        for (int c = term.groupFirst[g]; c < term.groupFirst[g + 1]; ++c)
            groupOf[static_cast<std::size_t>(c)] = g;
    }
    const auto maxUpTo = [&v](std::size_t last) {
        return *std::max_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(last) + 1);
    };
    while (true) {
        std::int64_t target = 0;
        std::size_t start = 0;
        bool failed = false;
        for (std::size_t g = 0; g + 1 < term.groupFirst.size() && !failed; ++g) {
            const auto first = static_cast<std::size_t>(term.groupFirst[g]);
            const auto end = static_cast<std::size_t>(term.groupFirst[g + 1]);
            for (std::size_t c = first + 1; c < end; ++c) {
                if (v[c] != v[first]) {
                    failed = true;
                    target = maxUpTo(end - 1);
                    start = first;
                    break;
                }
            }
        }
        for (std::size_t c = 0; c + 1 < n && !failed; ++c) {
            if (groupOf[c] == groupOf[c + 1]) continue;
            if (v[c + 1] < v[c]) {
                failed = true;
                target = maxUpTo(c);
                start = static_cast<std::size_t>(term.groupFirst[groupOf[c]]);
            } else if (v[c + 1] - v[c] > kMaxStarReach) {
                failed = true;
                target = maxUpTo(n - 1);
                start = 0;
            }
        }
        if (!failed) {
            const auto place = [&](std::size_t c) {
                return static_cast<std::uint32_t>(v[c] - (term.length - 1 - term.cursors[c].t));
            };
            hits.push_back(HitSpan{place(0), place(n - 1)});
            target = v[0] + 1;
            start = 0;
        }
        for (std::size_t c = start; c < n; ++c) {
            if (v[c] >= target) continue;
            if (++next[c] >= positions[c].size()) return;
            v[c] = aligned(c, positions[c][next[c]]);
        }
    }
}

void MakeKwicLine(const pages::LayerText& text, const HitSpan& hit, int width, KwicLine& line) {
    const std::u32string_view chars(text.chars);
    const auto w = static_cast<std::uint32_t>(std::clamp(width, 0, kMaxKwicWidth));
    const std::uint32_t hitBegin = text.at[hit.first];
    const std::uint32_t hitEnd = text.at[hit.last] + 1;
    const std::uint32_t leftBegin = hit.first >= w ? text.at[hit.first - w] : 0;
    const std::size_t rightEnd =
        hit.last + w < text.at.size() ? text.at[hit.last + w] + std::size_t{1} : chars.size();
    line.position = hit.first;
    line.left.assign(chars.substr(leftBegin, hitBegin - leftBegin));
    line.hit.assign(chars.substr(hitBegin, hitEnd - hitBegin));
    line.right.assign(chars.substr(hitEnd, rightEnd - hitEnd));
}

bool AppendPageLines(const pages::CFileList& store, std::uint32_t record, const KwicQuery& query,
                     int textLayer, int width, std::vector<KwicLine>& lines,
                     pages::LayerText& scratch, std::vector<HitSpan>& hitScratch) {
    thread_local std::string page;
    int parity = 0;
    if (!store.ReadPageAndParity(record, page, parity)) return false;
    pages::ExtractLayerText(page, parity, textLayer, scratch);
    query.FindHits(scratch, hitScratch);
    std::uint32_t ordinal = 0;
    for (const HitSpan& hit : hitScratch) {
        KwicLine& line = lines.emplace_back();
        line.record = record;
        line.ordinal = ordinal++;
        MakeKwicLine(scratch, hit, width, line);
    }
    return true;
}

ConcordanceRun::ConcordanceRun(std::vector<std::uint32_t> records, KwicQuery query, int textLayer,
                               int width)
    : m_records(std::move(records)),
      m_query(std::move(query)),
      m_textLayer(textLayer),
      m_width(width) {}

bool ConcordanceRun::Step(const pages::CFileList& store, std::size_t maxPages,
                          std::vector<KwicLine>& lines) {
    const std::size_t end = std::min(m_records.size(), m_next + maxPages);
    for (; m_next < end; ++m_next) {
        AppendPageLines(store, m_records[m_next], m_query, m_textLayer, m_width, lines, m_text,
                        m_hits);
    }
    return m_next < m_records.size();
}

std::vector<std::vector<std::uint32_t>> VariantFormCounts(const KwicQuery& query,
                                                          std::span<const KwicLine> lines) {
    const auto& variants = query.Variants();
    std::vector<std::vector<std::uint32_t>> counts(variants.size());
    for (std::size_t v = 0; v < variants.size(); ++v) counts[v].assign(variants[v].forms.size(), 0);
    for (const KwicLine& line : lines) {
        for (std::size_t v = 0; v < variants.size(); ++v) {
            const auto& forms = variants[v].forms;
            for (std::size_t f = 0; f < forms.size(); ++f) {
                if (line.hit.find(forms[f]) != std::u32string::npos) ++counts[v][f];
            }
        }
    }
    return counts;
}

bool KwicBefore(const KwicLine& a, const KwicLine& b, KwicSort sort) {
    int order = 0;
    if (sort == KwicSort::Left) {
        order = CompareIndexed(a.left, b.left, true);
    } else if (sort == KwicSort::Right) {
        order = CompareIndexed(a.right, b.right, false);
        if (order == 0) order = CompareIndexed(a.hit, b.hit, false);
    }
    if (order != 0) return order < 0;
    return PositionBefore(a, b);
}

void SortKwicLines(std::vector<KwicLine>& lines, KwicSort sort) {
    if (sort == KwicSort::Position) {
        std::sort(lines.begin(), lines.end(), PositionBefore);
        return;
    }
    // Most comparisons are decided by the first three indexed characters of
    // the key: they are packed into one number first, and only lines with
    // equal numbers are compared in full.
    std::vector<std::pair<std::uint64_t, std::uint32_t>> order(lines.size());
    for (std::uint32_t i = 0; i < lines.size(); ++i) {
        const std::u32string& text = sort == KwicSort::Left ? lines[i].left : lines[i].right;
        std::uint64_t key = 0;
        int taken = 0;
        const auto take = [&key, &taken](char32_t cp) {
            if (taken == 3 || !pages::IsIndexedCharacter(cp)) return;
            key |= std::uint64_t{cp} << (42 - 21 * taken);
            ++taken;
        };
        if (sort == KwicSort::Left) {
            for (auto it = text.rbegin(); it != text.rend() && taken < 3; ++it) take(*it);
        } else {
            for (auto it = text.begin(); it != text.end() && taken < 3; ++it) take(*it);
        }
        // A key that ended early sorts before every longer one with its
        // prefix: code points are at least 1, so empty places hold 0.
        order[i] = {key, i};
    }
    std::sort(order.begin(), order.end(), [&lines, sort](const auto& a, const auto& b) {
        if (a.first != b.first) return a.first < b.first;
        return KwicBefore(lines[a.second], lines[b.second], sort);
    });
    std::vector<KwicLine> sorted;
    sorted.reserve(lines.size());
    for (const auto& [key, i] : order) sorted.push_back(std::move(lines[i]));
    lines.swap(sorted);
}

std::u32string LeftSortKey(const KwicLine& line) {
    std::u32string key;
    for (auto it = line.left.rbegin(); it != line.left.rend(); ++it) {
        if (pages::IsIndexedCharacter(*it)) key.push_back(*it);
    }
    return key;
}

}  // namespace engine
