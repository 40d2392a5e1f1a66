#include "panel/distribution.h"

#include <algorithm>
#include <map>
#include <utility>

namespace panel {

Distribution BuildDistribution(std::span<const SearchNodeTag> rows) {
    Distribution d;
    std::map<std::string, std::size_t> categoryAt;
    std::map<std::pair<std::string, std::string>, std::size_t> titleAt;
    for (const SearchNodeTag& row : rows) {
        auto [c, newCategory] = categoryAt.try_emplace(row.category, d.categories.size());
        if (newCategory) d.categories.push_back({row.category, {}, 0, 0, false});
        DistributionEntry& category = d.categories[c->second];
        ++category.pages;
        category.hits += row.hits;
        auto [t, newTitle] =
            titleAt.try_emplace(std::make_pair(row.category, row.title), d.titles.size());
        if (newTitle) d.titles.push_back({row.category, row.title, 0, 0, false});
        DistributionEntry& title = d.titles[t->second];
        ++title.pages;
        title.hits += row.hits;
        ++d.pages;
        d.hits += row.hits;
    }
    std::stable_sort(d.titles.begin(), d.titles.end(),
                     [](const DistributionEntry& a, const DistributionEntry& b) {
                         return a.hits != b.hits ? a.hits > b.hits : a.pages > b.pages;
                     });
    return d;
}

std::vector<DistributionEntry> TopTitles(const Distribution& distribution, std::size_t n) {
    const std::vector<DistributionEntry>& titles = distribution.titles;
    if (titles.size() <= n + 1) return titles;
    std::vector<DistributionEntry> top(titles.begin(), titles.begin() + static_cast<long>(n));
    DistributionEntry rest{{}, kRestLabel, 0, 0, true};
    for (std::size_t i = n; i < titles.size(); ++i) {
        rest.pages += titles[i].pages;
        rest.hits += titles[i].hits;
    }
    top.push_back(std::move(rest));
    return top;
}

}  // namespace panel
