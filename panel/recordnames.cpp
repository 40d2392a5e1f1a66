#include "panel/recordnames.h"

namespace panel {

std::vector<SearchNodeTag> NameRecords(const Catalogue& catalogue,
                                       std::span<const std::uint32_t> records) {
    std::vector<SearchNodeTag> named(records.size());
    for (std::size_t k = 0; k < records.size(); ++k)
        named[k].recordIndex = static_cast<std::int32_t>(records[k]);
    // Each record's place in the list rides through BuildRows as its hits.
    std::vector<std::uint32_t> places(records.size());
    for (std::size_t k = 0; k < records.size(); ++k) places[k] = static_cast<std::uint32_t>(k);
    std::vector<bool> done(records.size(), false);
    std::vector<SearchNodeTag> rows;
    for (const auto& category : catalogue.RootNode().children) {
        BuildRows(category.get(), records, places, rows);
        for (SearchNodeTag& row : rows) {
            const auto k = static_cast<std::size_t>(row.hits);
            if (done[k]) continue;
            done[k] = true;
            row.hits = 0;
            named[k] = std::move(row);
        }
    }
    return named;
}

}  // namespace panel
