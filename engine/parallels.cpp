#include "engine/parallels.h"

#include <algorithm>
#include <bit>
#include <map>
#include <unordered_map>

#include "engine/indexcode.h"

namespace engine {
namespace {

// Where a window stands on a page: window w starts at page position start.
struct Hit {
    std::uint32_t page = 0;
    std::uint32_t window = 0;
    std::uint32_t start = 0;
};

// The absolute positions of one page entry.
void DecodePositions(const PostingsView& view, const EntryPlace& place,
                     std::vector<std::uint32_t>& out) {
    out.clear();
    std::uint32_t position = 0;
    if (place.location % kPostingsBlockSize + place.length <= kPostingsBlockSize) {
        const std::uint8_t* p = view.bytes + place.location;
        const std::uint8_t* const end = p + place.length;
        while (p < end) {
            position += DecodePacked(p);
            p += PackedLength(*p);
            out.push_back(position);
        }
        return;
    }
    // The entry crosses a block end: read it through the chain.
    PostingsCursor cursor;
    cursor.OpenAt(view, place.location / kPostingsBlockSize, place.location % kPostingsBlockSize);
    std::int32_t remaining = place.length;
    while (remaining > 0 && !cursor.Damaged()) {
        position += cursor.ReadPosition(remaining);
        out.push_back(position);
    }
}

// Finds the places of one window on every page and appends them to hits.
class WindowMatcher {
  public:
    WindowMatcher(const PostingsView& view, std::int64_t excludeRecord)
        : m_view(view), m_exclude(excludeRecord) {}

    void Run(const EntryTable* const* tables, int n, std::uint32_t window, std::vector<Hit>& hits) {
        int lead = 0;
        for (int k = 1; k < n; ++k) {
            if (tables[k]->pages.size() < tables[lead]->pages.size()) lead = k;
        }
        std::uint32_t at[kMaxParallelRun] = {};
        if (std::all_of(tables, tables + n, [](const EntryTable* t) { return !t->bits.empty(); })) {
            RunDense(tables, n, window, hits);
            return;
        }
        const EntryTable& leadTable = *tables[lead];
        const std::uint32_t leadSize = static_cast<std::uint32_t>(leadTable.pages.size());
        std::uint32_t e = 0;
        while (e < leadSize) {
            const std::uint32_t page = leadTable.pages[e];
            at[lead] = e;
            std::uint32_t next = page;  // a later page a sparse table holds
            bool all = page != m_exclude;
            for (int k = 0; k < n && all; ++k) {
                if (k == lead) continue;
                const EntryTable& table = *tables[k];
                if (!table.bits.empty()) {
                    const std::int64_t entry = table.EntryOf(page);
                    all = entry >= 0;
                    at[k] = static_cast<std::uint32_t>(entry);
                    continue;
                }
                at[k] = SeekPage(table.pages.data(), static_cast<std::uint32_t>(table.pages.size()),
                                 at[k], page);
                if (at[k] == table.pages.size()) return;  // no later page holds them all
                if (table.pages[at[k]] != page) {
                    next = table.pages[at[k]];
                    all = false;
                }
            }
            if (!all) {
                e = next > page ? SeekPage(leadTable.pages.data(), leadSize, e + 1, next) : e + 1;
                continue;
            }
            ++e;
            if (ResiduesMeet(tables, n, at)) MatchPage(tables, n, at, lead, page, window, hits);
        }
    }

  private:
    // Characters k places into the window stand n - 1 - k places before its
    // end: turned by that, the residues of their positions must meet.
    static bool ResiduesMeet(const EntryTable* const* tables, int n, const std::uint32_t* at) {
        std::uint64_t common = ~std::uint64_t{0};
        for (int k = 0; k < n; ++k)
            common &= std::rotl(tables[k]->places[at[k]].residues, n - 1 - k);
        return common != 0;
    }

    // Every character has a page bitmap: their pages in common come 64 at a
    // time from the words of the bitmaps.
    void RunDense(const EntryTable* const* tables, int n, std::uint32_t window,
                  std::vector<Hit>& hits) {
        std::size_t words = tables[0]->bits.size();
        for (int k = 1; k < n; ++k) words = std::min(words, tables[k]->bits.size());
        std::uint32_t at[kMaxParallelRun] = {};
        for (std::size_t w = 0; w < words; ++w) {
            std::uint64_t common = tables[0]->bits[w];
            for (int k = 1; k < n; ++k) common &= tables[k]->bits[w];
            if (m_exclude >= 0 && static_cast<std::uint64_t>(m_exclude) / 64 == w)
                common &= ~(std::uint64_t{1} << (m_exclude % 64));
            while (common != 0) {
                const int bit = std::countr_zero(common);
                common &= common - 1;
                const std::uint64_t below = (std::uint64_t{1} << bit) - 1;
                for (int k = 0; k < n; ++k)
                    at[k] = tables[k]->ranks[w] + CountBits(tables[k]->bits[w] & below);
                if (!ResiduesMeet(tables, n, at)) continue;
                MatchPage(tables, n, at, 0, static_cast<std::uint32_t>(w * 64 + bit), window, hits);
            }
        }
    }

    void MatchPage(const EntryTable* const* tables, int n, const std::uint32_t* at, int lead,
                   std::uint32_t page, std::uint32_t window, std::vector<Hit>& hits) {
        DecodePositions(m_view, tables[lead]->places[at[lead]], m_starts);
        std::size_t kept = 0;
        for (std::uint32_t p : m_starts) {
            if (p >= static_cast<std::uint32_t>(lead)) m_starts[kept++] = p - lead;
        }
        m_starts.resize(kept);
        for (int k = 0; k < n && !m_starts.empty(); ++k) {
            if (k == lead) continue;
            DecodePositions(m_view, tables[k]->places[at[k]], m_positions);
            kept = 0;
            std::size_t j = 0;
            for (std::uint32_t start : m_starts) {
                const std::uint32_t want = start + static_cast<std::uint32_t>(k);
                while (j < m_positions.size() && m_positions[j] < want) ++j;
                if (j == m_positions.size()) break;
                if (m_positions[j] == want) m_starts[kept++] = start;
            }
            m_starts.resize(kept);
        }
        for (std::uint32_t start : m_starts) hits.push_back({page, window, start});
    }

    const PostingsView& m_view;
    std::int64_t m_exclude;
    std::vector<std::uint32_t> m_starts;
    std::vector<std::uint32_t> m_positions;
};

// Chains the hits (sorted by page, diagonal, window) into maximal runs.
void ChainRuns(const std::vector<Hit>& hits, std::uint32_t minRun,
               std::vector<ParallelPage>& pages) {
    for (std::size_t k = 0; k < hits.size();) {
        const Hit& first = hits[k];
        std::size_t last = k;
        while (last + 1 < hits.size() && hits[last + 1].page == first.page &&
               hits[last + 1].window == hits[last].window + 1 &&
               hits[last + 1].start == hits[last].start + 1)
            ++last;
        if (pages.empty() || pages.back().record != first.page) {
            pages.emplace_back();
            pages.back().record = first.page;
        }
        pages.back().runs.push_back(
            {first.window, first.start, static_cast<std::uint32_t>(last - k) + minRun});
        k = last + 1;
    }
}

}  // namespace

const char* ParallelsStatusMessage(ParallelsStatus status) {
    switch (status) {
        case ParallelsStatus::Ok:
        case ParallelsStatus::Cancelled:
            return "";
        case ParallelsStatus::BadMinimum:
            return "一致する字数は3から20までの間で指定してください。";
        case ParallelsStatus::TooShort:
            return "選んだ箇所の字数が少なすぎます。一致する字数以上の検索できる字を含めてください"
                   "。";
    }
    return "";
}

void RankParallels(std::vector<ParallelPage>& pages, std::uint32_t formulaPages,
                   ParallelsResult& result) {
    std::map<std::uint64_t, std::uint32_t> pagesOfStretch;
    std::vector<std::uint64_t> keys;
    const auto keyOf = [](const ParallelRun& run) {
        return (std::uint64_t{run.passageStart} << 32) | run.length;
    };
    for (ParallelPage& page : pages) {
        std::sort(page.runs.begin(), page.runs.end(),
                  [](const ParallelRun& a, const ParallelRun& b) {
                      return a.pageStart != b.pageStart ? a.pageStart < b.pageStart
                                                        : a.passageStart < b.passageStart;
                  });
        page.longest = 0;
        page.runCount = 0;
        std::uint64_t end = 0;
        for (const ParallelRun& run : page.runs) {
            page.longest = std::max(page.longest, run.length);
            if (page.runCount == 0 || run.pageStart >= end) ++page.runCount;
            end = std::max<std::uint64_t>(end, std::uint64_t{run.pageStart} + run.length);
        }
        keys.clear();
        for (const ParallelRun& run : page.runs) keys.push_back(keyOf(run));
        std::sort(keys.begin(), keys.end());
        keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
        for (std::uint64_t key : keys) ++pagesOfStretch[key];
    }
    const auto isFormula = [&](const ParallelRun& run) {
        return formulaPages > 0 && pagesOfStretch[keyOf(run)] >= formulaPages;
    };
    for (const auto& [key, count] : pagesOfStretch) {
        if (formulaPages > 0 && count >= formulaPages)
            result.formulas.push_back({static_cast<std::uint32_t>(key >> 32),
                                       static_cast<std::uint32_t>(key & 0xFFFFFFFFu), count});
    }
    std::sort(result.formulas.begin(), result.formulas.end(),
              [](const ParallelFormula& a, const ParallelFormula& b) {
                  if (a.pageCount != b.pageCount) return a.pageCount > b.pageCount;
                  if (a.length != b.length) return a.length > b.length;
                  return a.passageStart < b.passageStart;
              });
    for (ParallelPage& page : pages) {
        if (!std::all_of(page.runs.begin(), page.runs.end(), isFormula))
            result.pages.push_back(std::move(page));
    }
    std::sort(result.pages.begin(), result.pages.end(),
              [](const ParallelPage& a, const ParallelPage& b) {
                  if (a.longest != b.longest) return a.longest > b.longest;
                  if (a.runCount != b.runCount) return a.runCount > b.runCount;
                  return a.record < b.record;
              });
}

ParallelsStatus FindParallels(const PostingsTables& tables, const ParallelsRequest& request,
                              ParallelsResult& result) {
    result.Clear();
    const int n = request.minRun;
    if (n < kMinParallelRun || n > kMaxParallelRun) return ParallelsStatus::BadMinimum;
    const std::vector<int>& codes = request.codes;
    if (codes.size() < static_cast<std::size_t>(n)) return ParallelsStatus::TooShort;
    if (tables.entries == nullptr) return ParallelsStatus::Ok;

    // Equal windows are looked up once: each window names the first window
    // with the same characters.
    const std::uint32_t windows = static_cast<std::uint32_t>(codes.size()) - n + 1;
    std::map<std::vector<int>, std::uint32_t> firstOf;
    std::vector<std::uint32_t> sameAs(windows);
    std::vector<std::uint32_t> unique;
    for (std::uint32_t w = 0; w < windows; ++w) {
        std::vector<int> key(codes.begin() + w, codes.begin() + w + n);
        const auto [it, inserted] = firstOf.emplace(std::move(key), w);
        sameAs[w] = it->second;
        if (inserted) unique.push_back(w);
    }

    // A character's table is fetched when a window first needs it and, once
    // the tables kept pass request.tableBytes, given back after the last
    // window that needs it, so a long passage of common characters does not
    // hold the tables of all of them at once. Older tables make room first.
    tables.entries->TrimTo(request.tableBytes);
    std::unordered_map<int, std::size_t> lastUse;  // the last unique window
    for (std::size_t u = 0; u < unique.size(); ++u) {
        for (int k = 0; k < n; ++k) lastUse[codes[unique[u] + k]] = u;
    }
    std::unordered_map<int, const EntryTable*> tableOf;
    const auto tableFor = [&](int code) {
        const auto [it, inserted] = tableOf.emplace(code, nullptr);
        if (inserted && code >= 0 && code < kCodeCount && tables.firstBlock[code] != kNoPostings) {
            it->second = &tables.entries->For(code, tables.firstBlock[code], tables.lastPage[code],
                                              tables.view);
            result.damaged = result.damaged || it->second->damaged;
        }
        return it->second;
    };

    std::vector<Hit> hits;
    std::vector<std::pair<std::size_t, std::size_t>> hitsOf(windows, {0, 0});
    WindowMatcher matcher(tables.view, request.excludeRecord);
    const EntryTable* windowTables[kMaxParallelRun];
    for (std::size_t u = 0; u < unique.size(); ++u) {
        const std::uint32_t w = unique[u];
        bool all = true;
        for (int k = 0; k < n && all; ++k) {
            windowTables[k] = tableFor(codes[w + k]);
            all = windowTables[k] != nullptr && !windowTables[k]->pages.empty();
        }
        const std::size_t begin = hits.size();
        if (all) matcher.Run(windowTables, n, w, hits);
        hitsOf[w] = {begin, hits.size()};
        for (int k = 0; k < n && tables.entries->KeptBytes() > request.tableBytes; ++k) {
            const int code = codes[w + k];
            if (lastUse[code] != u || tableOf.count(code) == 0) continue;
            tables.entries->Release(code);
            tableOf.erase(code);
        }
        if (request.progress && !request.progress(static_cast<std::uint32_t>(u + 1),
                                                  static_cast<std::uint32_t>(unique.size()))) {
            result.Clear();
            return ParallelsStatus::Cancelled;
        }
    }
    for (std::uint32_t w = 0; w < windows; ++w) {
        if (sameAs[w] == w) continue;
        const auto [begin, end] = hitsOf[sameAs[w]];
        for (std::size_t k = begin; k < end; ++k) hits.push_back({hits[k].page, w, hits[k].start});
    }

    std::sort(hits.begin(), hits.end(), [](const Hit& a, const Hit& b) {
        if (a.page != b.page) return a.page < b.page;
        // The diagonal: page position minus passage index, kept unsigned.
        const std::uint64_t da = std::uint64_t{a.start} + b.window;
        const std::uint64_t db = std::uint64_t{b.start} + a.window;
        if (da != db) return da < db;
        return a.window < b.window;
    });
    std::vector<ParallelPage> pages;
    ChainRuns(hits, static_cast<std::uint32_t>(n), pages);
    std::vector<Hit>().swap(hits);
    // The tables this search used stay; older ones go if over the budget.
    tables.entries->Trim();
    const bool damaged = result.damaged;
    RankParallels(pages, request.formulaPages, result);
    result.damaged = damaged;
    return ParallelsStatus::Ok;
}

}  // namespace engine
