#include "engine/termmatcher.h"

#include <algorithm>

#include "engine/indexcode.h"

namespace engine {

bool TermMatcher::NextEntry(Cursor& c) {
    if (c.page == c.lastPage) return false;
    c.in.SkipRestOfEntry(c.remaining > 0 ? static_cast<std::uint32_t>(c.remaining) : 0);
    std::uint32_t delta = 0;
    std::uint32_t length = 0;
    c.in.ReadEntryHeader(delta, length);
    // Entries ascend strictly and end at the code's last page; anything else
    // is damage and ends the postings here.
    if (c.in.Damaged() || delta == 0 || delta > c.lastPage - c.page) {
        m_damaged = true;
        return false;
    }
    c.page += delta;
    c.remaining = static_cast<std::int32_t>(length);
    ++c.entry;
    return true;
}

bool TermMatcher::AdvanceTo(Cursor& c, std::uint32_t target) {
    // Checkpoints pay off only for jumps that may pass one; short ones walk.
    if (c.skips != nullptr && target - c.page >= m_jumpPages && c.checkpoint < c.skips->size()) {
        const auto begin = c.skips->begin() + static_cast<std::ptrdiff_t>(c.checkpoint);
        auto it =
            std::upper_bound(begin, c.skips->end(), target,
                             [](std::uint32_t t, const SkipCheckpoint& s) { return t < s.page; });
        c.checkpoint = static_cast<std::size_t>(it - c.skips->begin());
        if (it != begin) {
            --it;
            if (it->entry > c.entry) {
                c.in.Restore(it->mark);
                c.page = it->previousPage;
                c.entry = it->entry - 1;
                c.remaining = 0;
            }
        }
    }
    while (c.page < target) {
        if (!NextEntry(c)) return false;
    }
    return true;
}

bool TermMatcher::Run(const TermPlan& plan, const PostingsTables& tables, bool countHits,
                      std::vector<std::uint32_t>& pages, std::vector<std::uint32_t>& counts) {
    m_damaged = false;
    const int n = plan.cursorCount;
    if (n == 0) return false;
    for (int i = 0; i < n; ++i) {
        const int code = plan.code[i];
        // A variant group beyond the tables has no postings either.
        if (code < 0 || code >= kCodeCount || tables.firstBlock[code] == kNoPostings) return false;
    }
    for (int i = 0; i < n; ++i) {
        Cursor& c = m_cursors[i];
        const int code = plan.code[i];
        c.lastPage = tables.lastPage[code];
        c.entry = 0;
        c.checkpoint = 0;
        m_jumpPages = tables.skips == nullptr ? 0 : tables.skips->Spacing();
        c.skips = tables.skips == nullptr
                      ? nullptr
                      : &tables.skips->For(code, tables.firstBlock[code], c.lastPage, tables.view);
        c.entries = tables.skips == nullptr ? 0 : tables.skips->EntryCount(code);
        c.in.Open(tables.view, tables.firstBlock[code]);
        std::uint32_t delta = 0;
        std::uint32_t length = 0;
        c.in.ReadEntryHeader(delta, length);
        if (c.in.Damaged() || delta > c.lastPage) {
            m_damaged = true;
            return true;
        }
        c.page = delta;
        c.remaining = static_cast<std::int32_t>(length);
    }

    // Visit the cursors rarest first: the rarest decides which pages the
    // others have to look at, and they jump there.
    int order[kMaxCursors];
    for (int i = 0; i < n; ++i) order[i] = i;
    std::stable_sort(order, order + n,
                     [this](int a, int b) { return m_cursors[a].entries < m_cursors[b].entries; });
    std::uint32_t target = 0;
    for (int i = 0; i < n; ++i) target = std::max(target, m_cursors[i].page);
    int agreed = 0;
    int k = 0;
    for (;;) {
        Cursor& c = m_cursors[order[k]];
        if (c.page < target && !AdvanceTo(c, target)) return true;
        if (c.page > target) {
            target = c.page;
            agreed = 1;
        } else {
            ++agreed;
        }
        if (agreed < n) {
            k = k + 1 == n ? 0 : k + 1;
            continue;
        }
        // Every cursor stands on page target.
        std::uint32_t hits = 0;
        if (n > 1) {
            hits = MatchPage(plan, countHits);
        } else if (countHits) {
            hits = CountPositions(m_cursors[0]);
        } else if (m_cursors[0].remaining > 0) {
            hits = 1;  // every entry holds at least one position
        } else {
            m_damaged = true;
        }
        if (hits > 0) {
            pages.push_back(target);
            if (countHits) counts.push_back(hits);
        }
        if (m_damaged || target == 0xFFFFFFFF) return true;
        ++target;
        agreed = 0;
        k = 0;
    }
}

std::uint32_t TermMatcher::CountPositions(Cursor& c) {
    // Every entry holds at least one position.
    if (c.remaining <= 0) {
        m_damaged = true;
        return 0;
    }
    const std::uint32_t count = c.in.CountRestOfEntry(c.remaining);
    if (c.in.Damaged()) {
        m_damaged = true;
        return 0;
    }
    return count;
}

std::uint32_t TermMatcher::MatchPage(const TermPlan& plan, bool countHits) {
    const int n = plan.cursorCount;
    const int groups = plan.groupCount;
    const int* groupFirst = plan.groupFirst;
    const std::int64_t last = plan.length - 1;
    for (int i = 0; i < n; ++i) {
        Cursor& c = m_cursors[i];
        m_v[i] = static_cast<std::int64_t>(c.in.ReadPosition(c.remaining)) + (last - plan.t[i]);
        if (c.in.Damaged()) {
            m_damaged = true;
            return 0;
        }
    }

    if (groups == 1) return n == 2 ? MatchPair(countHits) : MatchPhrase(n, countHits);
    if (groups == 2 && n == 2) return MatchStarPair(countHits);

    std::uint32_t hits = 0;
    for (;;) {
        std::int64_t target = 0;
        int start = -1;
        // Segment check: the cursors of a segment stand on one occurrence.
        std::int64_t greatest = m_v[0];
        for (int g = 0; g < groups && start < 0; ++g) {
            const std::int64_t first = m_v[groupFirst[g]];
            bool equal = true;
            for (int i = groupFirst[g]; i < groupFirst[g + 1]; ++i) {
                if (m_v[i] != first) equal = false;
                if (m_v[i] > greatest) greatest = m_v[i];
            }
            if (!equal) {
                target = greatest;
                start = groupFirst[g];
            }
        }
        // Order and gap checks between the segments an asterisk separates.
        for (int g = 0; g + 1 < groups && start < 0; ++g) {
            const std::int64_t u = m_v[groupFirst[g + 1] - 1];
            const std::int64_t w = m_v[groupFirst[g + 1]];
            if (w < u) {
                target = u;
                start = groupFirst[g];
            } else if (w - u > kMaxStarReach) {
                // Only the earlier segment is too far behind; the later
                // segments may still fit a later occurrence of it.
                target = w - kMaxStarReach;
                start = groupFirst[g];
            }
        }
        if (start < 0) {
            ++hits;
            if (!countHits) return hits;
            target = m_v[0] + 1;
            start = 0;
        }
        for (int i = start; i < n; ++i) {
            if (m_v[i] >= target) continue;
            Cursor& c = m_cursors[i];
            if (c.remaining <= 0) return hits;
            m_v[i] += c.in.ReadPosition(c.remaining);
            if (c.in.Damaged()) {
                m_damaged = true;
                return hits;
            }
        }
    }
}

std::uint32_t TermMatcher::MatchPhrase(int n, bool countHits) {
    // One segment: a hit is where every cursor has the same aligned value.
    // Every cursor behind the greatest value moves up to it at once; this
    // gives the hits of the one-step iteration, with fewer rounds.
    std::uint32_t hits = 0;
    std::int64_t target = m_v[0];
    for (;;) {
        bool equal = true;
        for (int i = 0; i < n; ++i) {
            Cursor& c = m_cursors[i];
            std::int64_t v = m_v[i];
            while (v < target) {
                if (c.remaining <= 0) return hits;
                v += c.in.ReadPosition(c.remaining);
                if (c.in.Damaged()) [[unlikely]] {
                    m_damaged = true;
                    return hits;
                }
            }
            m_v[i] = v;
            if (v != target) {
                equal = false;
                target = v;
            }
        }
        if (equal) {
            ++hits;
            if (!countHits) return hits;
            ++target;
        }
    }
}

std::uint32_t TermMatcher::MatchPair(bool countHits) {
    // MatchPhrase for two cursors, with their state in registers.
    PostingsCursor& first = m_cursors[0].in;
    PostingsCursor& second = m_cursors[1].in;
    std::int32_t firstLeft = m_cursors[0].remaining;
    std::int32_t secondLeft = m_cursors[1].remaining;
    std::int64_t u = m_v[0];
    std::int64_t w = m_v[1];
    std::uint32_t hits = 0;
    for (;;) {
        if (u < w) {
            if (firstLeft <= 0) break;
            u += first.ReadPosition(firstLeft);
            if (first.Damaged()) [[unlikely]]
                break;
        } else if (w < u) {
            if (secondLeft <= 0) break;
            w += second.ReadPosition(secondLeft);
            if (second.Damaged()) [[unlikely]]
                break;
        } else {
            ++hits;
            if (!countHits || firstLeft <= 0) break;
            u += first.ReadPosition(firstLeft);
            if (first.Damaged() || secondLeft <= 0) [[unlikely]]
                break;
            w += second.ReadPosition(secondLeft);
            if (second.Damaged()) [[unlikely]]
                break;
        }
    }
    m_cursors[0].remaining = firstLeft;
    m_cursors[1].remaining = secondLeft;
    if (first.Damaged() || second.Damaged()) m_damaged = true;
    return hits;
}

std::uint32_t TermMatcher::MatchStarPair(bool countHits) {
    // The general iteration for one cursor before the asterisk (u) and one
    // after it (w), with their state in registers.
    PostingsCursor& first = m_cursors[0].in;
    PostingsCursor& second = m_cursors[1].in;
    std::int32_t firstLeft = m_cursors[0].remaining;
    std::int32_t secondLeft = m_cursors[1].remaining;
    std::int64_t u = m_v[0];
    std::int64_t w = m_v[1];
    std::uint32_t hits = 0;
    for (;;) {
        if (w < u) {
            if (secondLeft <= 0) break;
            w += second.ReadPosition(secondLeft);
            if (second.Damaged()) [[unlikely]]
                break;
        } else if (w - u > kMaxStarReach) {
            if (firstLeft <= 0) break;
            u += first.ReadPosition(firstLeft);
            if (first.Damaged()) [[unlikely]]
                break;
        } else {
            ++hits;
            if (!countHits || firstLeft <= 0) break;
            const bool secondToo = w == u;
            u += first.ReadPosition(firstLeft);
            if (first.Damaged()) [[unlikely]]
                break;
            if (secondToo) {
                if (secondLeft <= 0) break;
                w += second.ReadPosition(secondLeft);
                if (second.Damaged()) [[unlikely]]
                    break;
            }
        }
    }
    m_cursors[0].remaining = firstLeft;
    m_cursors[1].remaining = secondLeft;
    if (first.Damaged() || second.Damaged()) m_damaged = true;
    return hits;
}

}  // namespace engine
