#include "engine/termmatcher.h"

#include <algorithm>
#include <bit>

#include "engine/indexcode.h"

namespace engine {

namespace {

// Asks for the cache line of p ahead of its use; only a hint.
inline void Prefetch(const void* p) {
#if defined(__GNUC__)
    __builtin_prefetch(p);
#else
    (void)p;
#endif
}

// The next packed number at p. The entry tables checked that no number runs
// past its entry, so only the number's own bytes are read.
inline std::int64_t Take(const std::uint8_t*& p) {
    const std::uint32_t value = DecodePacked(p);
    p += PackedLength(*p);
    return value;
}

}  // namespace

bool TermMatcher::Run(const TermPlan& plan, const PostingsTables& tables, bool countHits,
                      const std::vector<std::uint32_t>* within, std::vector<std::uint32_t>& pages,
                      std::vector<std::uint32_t>& counts) {
    m_damaged = false;
    m_withinAt.clear();
    const int n = plan.cursorCount;
    if (n == 0 || tables.entries == nullptr) return false;
    for (int i = 0; i < n; ++i) {
        const int code = plan.code[i];
        // A variant group beyond the tables has no postings either.
        if (code < 0 || code >= kCodeCount || tables.firstBlock[code] == kNoPostings) return false;
    }
    // The lists that limit the run before any table is read: within and the
    // pairs' page lists. A code met for the first time is then read only on
    // the pages of the shortest, when that is short.
    int lanes = n;
    if (within != nullptr) {
        m_lanes[lanes++] = {within->data(), static_cast<std::uint32_t>(within->size()), 0, nullptr};
    }
    lanes = AddPairLanes(plan, *tables.entries, lanes);
    const Lane* limit = nullptr;
    for (int i = n; i < lanes; ++i) {
        if (limit == nullptr || m_lanes[i].size < limit->size) limit = &m_lanes[i];
    }

    bool damaged = false;
    for (int i = 0; i < n; ++i) {
        const int code = plan.code[i];
        const EntryTable* table = tables.entries->Kept(code);
        for (int j = 0; j < i && table == nullptr; ++j) {
            if (plan.code[j] == code) table = m_cursors[j].table;
        }
        const std::uint32_t pageCount = tables.pageCount != nullptr ? tables.pageCount[code] : 0;
        const bool shortLimit =
            limit != nullptr && (limit->size <= kMaxPartialPages ||
                                 std::uint64_t{limit->size} * kPartialShare <= pageCount);
        if (table == nullptr && shortLimit && tables.entries->FirstAsk(code)) {
            BuildPartialEntryTable(tables.view, tables.firstBlock[code], tables.lastPage[code],
                                   {limit->pages, limit->size}, m_partial[i]);
            table = &m_partial[i];
        }
        if (table == nullptr) {
            table = &tables.entries->For(code, tables.firstBlock[code], tables.lastPage[code],
                                         tables.view, pageCount);
        }
        damaged = damaged || table->damaged;
        m_cursors[i].table = table;
        m_lanes[i] = {table->pages.data(), static_cast<std::uint32_t>(table->pages.size()), 0,
                      table->bits.empty() ? nullptr : table};
    }
    // Pages beyond a break in a code's postings are missing from the result.
    m_damaged = damaged;

    // One character and no limit: the table holds the answer.
    if (n == 1 && within == nullptr) {
        const EntryTable& table = *m_cursors[0].table;
        ReserveLarge(pages, table.pages.size());
        pages.insert(pages.end(), table.pages.begin(), table.pages.end());
        if (countHits) {
            ReserveLarge(counts, table.places.size());
            const std::size_t base = counts.size();
            counts.resize(base + table.places.size());
            for (std::size_t k = 0; k < table.places.size(); ++k)
                counts[base + k] = table.places[k].count;
        }
        return true;
    }

    if (n == 1 && !m_cursors[0].table->bits.empty()) {
        RunDenseWithin(*m_cursors[0].table, countHits, *within, pages, counts);
        return true;
    }

    // The shortest lane leads: only its pages can hold the term. The others
    // are asked rarest first, a lane with a page bitmap in constant time,
    // any other by searching forward in its pages.
    int order[kMaxCursors + 1 + kMaxPairLanes];
    for (int i = 0; i < lanes; ++i) order[i] = i;
    std::stable_sort(order, order + lanes,
                     [this](int a, int b) { return m_lanes[a].size < m_lanes[b].size; });
    Lane& lead = m_lanes[order[0]];
    // The term is on at most the lead's pages.
    ReserveLarge(pages, lead.size);
    if (countHits) ReserveLarge(counts, lead.size);
    // Cursors of one segment stand a fixed distance apart, so the residues of
    // their positions, each turned to the segment's end, must share a bit.
    bool filter = false;
    for (int g = 0; g < plan.groupCount; ++g)
        filter = filter || plan.groupFirst[g + 1] - plan.groupFirst[g] > 1;
    for (int i = 0; i < n; ++i) m_turn[i] = (plan.length - 1 - plan.t[i]) & 63;
    const auto mayHold = [&]() {
        for (int g = 0; g < plan.groupCount; ++g) {
            std::uint64_t common = ~std::uint64_t{0};
            for (int i = plan.groupFirst[g]; i < plan.groupFirst[g + 1]; ++i) {
                const std::uint64_t residues = m_cursors[i].table->places[m_lanes[i].at].residues;
                common &= std::rotl(residues, m_turn[i]);
            }
            if (common == 0) return false;
        }
        return true;
    };
    // Every lane stands on the page of lead.at: match and keep it.
    const auto matchHere = [&](std::uint32_t page) {
        std::uint32_t hits = 1;
        if (n > 1) {
            if (filter && !mayHold()) return;
            OpenPositions(n, tables.view);
            hits = MatchPage(plan, countHits);
        } else if (countHits) {
            hits = m_cursors[0].table->places[m_lanes[0].at].count;
        }
        if (hits > 0) {
            pages.push_back(page);
            if (countHits) counts.push_back(hits);
            if (within != nullptr) m_withinAt.push_back(m_lanes[n].at);
        }
    };

    if (std::all_of(order + 1, order + lanes, [this](int i) { return m_lanes[i].dense; })) {
        // Only bitmaps to ask: first pick the lead's pages that every bitmap
        // holds, without branching on the answers, then match those.
        const std::uint32_t candidates = CollectCandidates(lead, order + 1, lanes - 1);
        for (std::uint32_t k = 0; k < std::min(candidates, kPrefetchAhead); ++k)
            PrefetchEntries(lead, m_candidates[k], n);
        for (std::uint32_t k = 0; k < candidates; ++k) {
            if (k + kPrefetchAhead < candidates)
                PrefetchEntries(lead, m_candidates[k + kPrefetchAhead], n);
            lead.at = m_candidates[k];
            const std::uint32_t page = lead.pages[lead.at];
            for (int j = 1; j < lanes; ++j) {
                Lane& lane = m_lanes[order[j]];
                lane.at = static_cast<std::uint32_t>(lane.dense->EntryOf(page));
            }
            matchHere(page);
        }
        return true;
    }

    std::uint32_t at = 0;
    while (at < lead.size) {
        if (at + kPrefetchAhead < lead.size) PrefetchEntries(lead, at + kPrefetchAhead, n);
        const std::uint32_t page = lead.pages[at];
        std::uint32_t next = page;  // a later page some lane holds, to jump to
        bool all = true;
        for (int j = 1; j < lanes && all; ++j) {
            Lane& lane = m_lanes[order[j]];
            if (lane.dense != nullptr) {
                const std::int64_t entry = lane.dense->EntryOf(page);
                if (entry < 0) all = false;
                lane.at = static_cast<std::uint32_t>(entry);
                continue;
            }
            lane.at = SeekPage(lane.pages, lane.size, lane.at, page);
            if (lane.at == lane.size) {
                at = lead.size;  // no later page can hold the term
                all = false;
                break;
            }
            if (lane.pages[lane.at] != page) {
                next = lane.pages[lane.at];
                all = false;
            }
        }
        if (!all) {
            if (at < lead.size)
                at = next > page ? SeekPage(lead.pages, lead.size, at + 1, next) : at + 1;
            continue;
        }
        lead.at = at;
        matchHere(page);
        ++at;
    }
    return true;
}

void TermMatcher::PrefetchEntries(const Lane& lead, std::uint32_t leadAt, int n) const {
    const std::uint32_t page = lead.pages[leadAt];
    for (int i = 0; i < n; ++i) {
        const Lane& lane = m_lanes[i];
        const EntryTable& table = *m_cursors[i].table;
        if (&lane == &lead) {
            Prefetch(&table.places[leadAt]);
        } else if (lane.dense != nullptr && page / 64 < table.bits.size()) {
            const std::uint32_t entry = table.EntryIndex(page);
            if (entry < table.places.size()) Prefetch(&table.places[entry]);
        }
    }
}

int TermMatcher::AddPairLanes(const TermPlan& plan, EntryTables& entries, int lanes) {
    // Neighbours within one segment only: across an asterisk they need not
    // touch.
    int added = 0;
    for (int g = 0; g < plan.groupCount; ++g) {
        for (int i = plan.groupFirst[g]; i + 1 < plan.groupFirst[g + 1]; ++i) {
            if (added == kMaxPairLanes) return lanes;
            if (plan.t[i + 1] != plan.t[i] + 1) continue;
            const std::span<const std::uint32_t> pages =
                entries.PairPages(plan.code[i], plan.code[i + 1]);
            if (pages.empty()) continue;
            m_lanes[lanes++] = {pages.data(), static_cast<std::uint32_t>(pages.size()), 0, nullptr};
            ++added;
        }
    }
    return lanes;
}

std::uint32_t TermMatcher::CollectCandidates(const Lane& lead, const int* others, int count) {
    if (m_candidates.size() < lead.size) m_candidates.resize(lead.size);
    std::uint32_t kept = 0;
    for (std::uint32_t k = 0; k < lead.size; ++k) {
        const std::uint32_t page = lead.pages[k];
        bool all = true;
        for (int j = 0; j < count; ++j) all &= m_lanes[others[j]].dense->Holds(page);
        m_candidates[kept] = k;
        kept += all;
    }
    return kept;
}

void TermMatcher::RunDenseWithin(const EntryTable& table, bool countHits,
                                 const std::vector<std::uint32_t>& within,
                                 std::vector<std::uint32_t>& pages,
                                 std::vector<std::uint32_t>& counts) {
    // Every page of within is looked up in the bitmap and written out; only
    // the found ones are kept, by advancing the output, without a branch.
    const std::size_t base = pages.size();
    const std::uint32_t end = static_cast<std::uint32_t>(table.bits.size() * 64);
    const std::size_t limit = static_cast<std::size_t>(
        std::lower_bound(within.begin(), within.end(), end) - within.begin());
    ReserveLarge(pages, limit);
    pages.resize(base + limit);
    if (countHits) {
        ReserveLarge(counts, limit);
        counts.resize(base + limit);
    }
    m_withinAt.resize(limit);
    std::size_t kept = 0;
    for (std::size_t k = 0; k < limit; ++k) {
        const std::uint32_t page = within[k];
        const std::uint32_t entry = table.EntryIndex(page);
        const bool found = table.Holds(page);
        pages[base + kept] = page;
        // A page not found may name the entry past the last; read entry 0
        // instead, the value is discarded.
        if (countHits) counts[base + kept] = table.places[found ? entry : 0].count;
        m_withinAt[kept] = static_cast<std::uint32_t>(k);
        kept += found;
    }
    pages.resize(base + kept);
    if (countHits) counts.resize(base + kept);
    m_withinAt.resize(kept);
}

void TermMatcher::OpenPositions(int n, const PostingsView& view) {
    // Positions almost always lie in one block and are read in place; those
    // that cross into the next are gathered into the scratch buffer, sized
    // first so that it does not move while cursors point into it.
    std::size_t scratch = 0;
    for (int i = 0; i < n; ++i) {
        Cursor& c = m_cursors[i];
        const EntryPlace& place = c.table->places[m_lanes[i].at];
        c.p = view.bytes + place.location;
        c.end = c.p + place.length;
        if (place.location % kPostingsBlockSize + place.length > kPostingsBlockSize) {
            c.p = nullptr;
            scratch += place.length;
        }
    }
    if (scratch == 0) return;
    // A number is read whole without looking at the entry's end: the spare
    // bytes keep a malformed last number inside the buffer.
    if (m_scratch.size() < scratch + 4) m_scratch.resize(scratch + 4);
    std::uint8_t* gathered = m_scratch.data();
    for (int i = 0; i < n; ++i) {
        Cursor& c = m_cursors[i];
        if (c.p != nullptr) continue;
        const EntryPlace& place = c.table->places[m_lanes[i].at];
        PostingsCursor in;
        in.OpenAt(view, place.location / kPostingsBlockSize, place.location % kPostingsBlockSize);
        for (std::uint32_t k = 0; k < place.length; ++k) gathered[k] = in.ReadByte();
        c.p = gathered;
        c.end = gathered + place.length;
        gathered += place.length;
    }
}

std::uint32_t TermMatcher::MatchPage(const TermPlan& plan, bool countHits) {
    const int n = plan.cursorCount;
    const int groups = plan.groupCount;
    const int* groupFirst = plan.groupFirst;
    const std::int64_t last = plan.length - 1;
    for (int i = 0; i < n; ++i) m_v[i] = Take(m_cursors[i].p) + (last - plan.t[i]);
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
            if (c.p == c.end) return hits;
            m_v[i] += Take(c.p);
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
                if (c.p == c.end) return hits;
                v += Take(c.p);
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
    const std::uint8_t* first = m_cursors[0].p;
    const std::uint8_t* const firstEnd = m_cursors[0].end;
    const std::uint8_t* second = m_cursors[1].p;
    const std::uint8_t* const secondEnd = m_cursors[1].end;
    std::int64_t u = m_v[0];
    std::int64_t w = m_v[1];
    std::uint32_t hits = 0;
    for (;;) {
        if (u < w) {
            if (first == firstEnd) break;
            u += Take(first);
        } else if (w < u) {
            if (second == secondEnd) break;
            w += Take(second);
        } else {
            ++hits;
            if (!countHits || first == firstEnd || second == secondEnd) break;
            u += Take(first);
            w += Take(second);
        }
    }
    return hits;
}

std::uint32_t TermMatcher::MatchStarPair(bool countHits) {
    // The general iteration for one cursor before the asterisk (u) and one
    // after it (w), with their state in registers.
    const std::uint8_t* first = m_cursors[0].p;
    const std::uint8_t* const firstEnd = m_cursors[0].end;
    const std::uint8_t* second = m_cursors[1].p;
    const std::uint8_t* const secondEnd = m_cursors[1].end;
    std::int64_t u = m_v[0];
    std::int64_t w = m_v[1];
    std::uint32_t hits = 0;
    for (;;) {
        if (w < u) {
            if (second == secondEnd) break;
            w += Take(second);
        } else if (w - u > kMaxStarReach) {
            if (first == firstEnd) break;
            u += Take(first);
        } else {
            ++hits;
            if (!countHits || first == firstEnd) break;
            const bool secondToo = w == u;
            u += Take(first);
            if (secondToo) {
                if (second == secondEnd) break;
                w += Take(second);
            }
        }
    }
    return hits;
}

}  // namespace engine
