// The concordance and distribution outputs of orvale-cli: after a search has
// run, every hit in context (search --kwic) or the pages and hits per
// category and title (stats), both limited to the search scope as the result
// rows are. Each writes to the given streams and returns the exit status.
#pragma once

#include <cstdint>
#include <ostream>
#include <span>
#include <string>

#include "engine/concordance.h"
#include "engine/index.h"
#include "panel/catalogue.h"

namespace cli {

struct KwicOptions {
    int width = engine::kDefaultKwicWidth;
    engine::KwicSort sort = engine::KwicSort::Position;
    int textLayer = 0;  // 0 whole text, 1 main text, 2 annotations
    bool variants = true;
    bool json = false;
};

// One line per hit of keywords on the hit pages of index inside the entry
// of entrySlot: category, title, volume, page, record, left, hit, right,
// tab-separated (tabs and line ends inside fields print as spaces), or with
// json {"pages": N, "hits": M, "lines": [...]}. The summary line goes to
// err. 2 with a message when the slot holds no catalogue entry.
int PrintKwic(engine::CIndex& index, const panel::Catalogue& catalogue, int entrySlot,
              std::u16string_view keywords, const KwicOptions& options, std::ostream& out,
              std::ostream& err);

// Pages and hits per category, then per title (category, title), as
// tab-separated lines "category|title|total <TAB> category <TAB> title <TAB>
// pages <TAB> hits", or with json {"pages", "hits", "categories", "titles"}.
int PrintStats(const panel::Catalogue& catalogue, int entrySlot,
               std::span<const std::uint32_t> hitPages, std::span<const std::uint32_t> hitCounts,
               bool json, std::ostream& out, std::ostream& err);

// Loads the catalogue of dataDir and prints, for the search that ran on
// index, the stats (stats set) or the concordance, on stdout and stderr.
int PrintSearchOutput(engine::CIndex& index, const std::string& dataDir, int entrySlot,
                      std::u16string_view keywords, const KwicOptions& options, bool stats);

}  // namespace cli
