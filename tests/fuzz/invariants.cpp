#include "tests/fuzz/invariants.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace fuzz {

void Require(bool what, const char* message) {
    if (what) return;
    std::fprintf(stderr, "fuzz invariant broken: %s\n", message);
    std::abort();
}

void CheckHitList(const engine::CIndex& index, bool ascending) {
    if (index.LastStatus() != engine::SearchStatus::Ok) return;
    const auto& pages = index.GetHitPages();
    const auto& counts = index.GetHitCounts();
    Require(static_cast<std::size_t>(index.HitPageCount()) == pages.size(),
            "hit page count differs from the hit pages");
    Require(counts.empty() || counts.size() == pages.size(), "hit counts differ from the pages");
    if (ascending) {
        Require(std::is_sorted(pages.begin(), pages.end()), "AND pages not ascending");
        Require(std::adjacent_find(pages.begin(), pages.end()) == pages.end(), "page listed twice");
    } else {
        std::vector<std::uint32_t> sorted = pages;
        std::sort(sorted.begin(), sorted.end());
        Require(std::adjacent_find(sorted.begin(), sorted.end()) == sorted.end(),
                "page listed twice");
    }
}

}  // namespace fuzz
