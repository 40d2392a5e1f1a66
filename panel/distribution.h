// Distribution of a search's hits: pages and hit places by category and by
// title, computed from the result rows, so that its totals are the rows'
// totals. Titles are told apart by category and name together; the title
// list is ordered by hits (then pages, then first appearance) and may be cut
// to the first n with the rest summed into one entry.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "panel/resultrows.h"

namespace panel {

struct DistributionEntry {
    std::string category;
    std::string title;  // empty for a category entry and for the rest
    std::int64_t pages = 0;
    std::int64_t hits = 0;
    bool rest = false;  // the titles beyond the first n, summed
};

struct Distribution {
    std::vector<DistributionEntry> categories;  // in order of first appearance
    std::vector<DistributionEntry> titles;      // most hits first
    std::int64_t pages = 0;
    std::int64_t hits = 0;
};

Distribution BuildDistribution(std::span<const SearchNodeTag> rows);

// The first n titles and, when more remain, one entry with the rest summed
// (named kRestLabel).
std::vector<DistributionEntry> TopTitles(const Distribution& distribution, std::size_t n);

inline constexpr const char* kRestLabel = "その他";
inline constexpr std::size_t kChartTitles = 20;

}  // namespace panel
