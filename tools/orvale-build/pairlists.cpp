#include "tools/orvale-build/pairlists.h"

#include <algorithm>
#include <queue>
#include <unordered_map>
#include <utility>

namespace build {
namespace {

struct Reader {
    engine::PostingsCursor cursor;
    std::uint32_t page = 0;
    std::uint32_t length = 0;
    bool done = false;

    void Next(bool first) {
        std::uint32_t delta = 0;
        cursor.ReadEntryHeader(delta, length);
        done = cursor.Damaged() || length == 0;
        page = first ? delta : page + delta;
    }
};

}  // namespace

std::vector<PairList> CollectPairs(const engine::PostingsView& view,
                                   const std::vector<PairStream>& streams, std::uint32_t narrowing,
                                   std::uint64_t budget) {
    std::vector<Reader> readers(streams.size());
    using Due = std::pair<std::uint32_t, std::uint32_t>;  // page, stream
    std::priority_queue<Due, std::vector<Due>, std::greater<>> due;
    for (std::uint32_t s = 0; s < streams.size(); ++s) {
        readers[s].cursor.Open(view, streams[s].firstBlock);
        readers[s].Next(true);
        if (!readers[s].done) due.emplace(readers[s].page, s);
    }
    std::unordered_map<std::uint64_t, std::vector<std::uint32_t>> lists;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> at;  // position, code
    while (!due.empty()) {
        const std::uint32_t page = due.top().first;
        at.clear();
        while (!due.empty() && due.top().first == page) {
            const std::uint32_t s = due.top().second;
            due.pop();
            Reader& r = readers[s];
            std::int32_t remaining = static_cast<std::int32_t>(r.length);
            std::uint32_t position = 0;
            while (remaining > 0 && !r.cursor.Damaged()) {
                position += r.cursor.ReadPosition(remaining);
                for (std::uint32_t code : streams[s].codes) at.emplace_back(position, code);
            }
            if (r.cursor.Damaged() || r.page >= streams[s].lastPage) continue;
            r.Next(false);
            if (!r.done) due.emplace(r.page, s);
        }
        std::sort(at.begin(), at.end());
        // For every character, those one position further on.
        std::size_t next = 0;
        for (std::size_t i = 0; i < at.size(); ++i) {
            const std::uint32_t want = at[i].first + 1;
            while (next < at.size() && at[next].first < want) ++next;
            for (std::size_t j = next; j < at.size() && at[j].first == want; ++j) {
                std::vector<std::uint32_t>& pages =
                    lists[(std::uint64_t{at[i].second} << 32) | at[j].second];
                if (pages.empty() || pages.back() != page) pages.push_back(page);
            }
        }
    }
    std::unordered_map<std::uint32_t, std::uint32_t> pagesOf;
    for (const PairStream& s : streams) {
        for (std::uint32_t code : s.codes) pagesOf[code] = s.pageCount;
    }
    std::vector<PairList> kept;
    for (auto& [key, pages] : lists) {
        const auto first = static_cast<std::uint32_t>(key >> 32);
        const auto second = static_cast<std::uint32_t>(key);
        const std::uint64_t rarer = std::min(pagesOf[first], pagesOf[second]);
        if (std::uint64_t{pages.size()} * narrowing > rarer) continue;
        kept.push_back({first, second, std::move(pages)});
    }
    std::sort(kept.begin(), kept.end(), [](const PairList& a, const PairList& b) {
        return a.pages.size() != b.pages.size() ? a.pages.size() < b.pages.size()
               : a.first != b.first             ? a.first < b.first
                                                : a.second < b.second;
    });
    std::uint64_t used = 0;
    std::size_t n = 0;
    for (; n < kept.size(); ++n) {
        const std::uint64_t bytes = (kept[n].pages.size() * 4 + 7) / 8 * 8 + 32;
        if (used + bytes > budget) break;
        used += bytes;
    }
    kept.resize(n);
    return kept;
}

}  // namespace build
