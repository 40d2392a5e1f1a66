// Record names: category, title, volume and page number of any list of page
// records, in the list's own order (a ranked result keeps its ranking), read
// from the catalogue tree as the result rows name them.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "panel/catalogue.h"
#include "panel/resultrows.h"

namespace panel {

// One row per record, in order; a record no category holds gets empty names
// and page 0. hits is 0.
std::vector<SearchNodeTag> NameRecords(const Catalogue& catalogue,
                                       std::span<const std::uint32_t> records);

}  // namespace panel
