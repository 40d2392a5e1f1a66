// Fuzz target: the catalogue file. The input is the content of a kvt.dir;
// the catalogue is loaded, listed, and every slot's scope gets result rows
// for hit pages at the edges of its records' ranges.
#include <cstdint>
#include <string>
#include <vector>

#include "panel/catalogue.h"
#include "panel/resultrows.h"
#include "tests/fuzz/fuzztargets.h"
#include "tests/fuzz/invariants.h"

namespace fuzz {

int FuzzCatalogue(const std::uint8_t* data, std::size_t size) {
    static panel::Catalogue catalogue;
    const panel::CatalogueLoadResult result =
        catalogue.LoadRecords(std::string_view(reinterpret_cast<const char*>(data), size));
    Require(result.records == catalogue.RecordCount() - 1, "record count differs");
    Require(result.records <= panel::kCatalogueSlotCount - 1, "more records than slots");
    const std::string listing = catalogue.ListingText();

    std::vector<std::uint32_t> hits = {0, 1, 0xFFFFFFFFu, 0x7FFFFFFFu};
    for (int slot = 1; slot < catalogue.RecordCount() && slot <= 64; ++slot) {
        const panel::CatalogueRecord& record = catalogue.NodeItem(slot);
        const auto first = static_cast<std::uint32_t>(record.DocID()) - 1;
        const auto end = first + static_cast<std::uint32_t>(record.DocNo());
        hits.insert(hits.end(), {first, end - 1, end});
    }
    std::vector<std::uint32_t> places(hits.size(), 1);
    places.pop_back();  // fewer counts than pages must be answered too
    std::vector<panel::SearchNodeTag> rows;
    std::vector<panel::SearchNodeTag> linearRows;
    for (int slot = 0; slot <= catalogue.RecordCount() && slot <= 64; ++slot) {
        const panel::ContentsNodeTag* scope = catalogue.ScopeNode(slot);
        const std::int64_t sum = panel::BuildRows(scope, hits, places, rows);
        panel::BuildRows(scope, hits, places, linearRows, panel::RowLookup::Linear);
        Require(rows.size() == linearRows.size(), "indexed and linear rows differ");
        for (std::size_t i = 0; i < rows.size(); ++i) {
            Require(rows[i].recordIndex == linearRows[i].recordIndex &&
                        rows[i].page == linearRows[i].page &&
                        rows[i].volume == linearRows[i].volume,
                    "indexed and linear rows differ");
        }
        Require(sum >= 0, "negative hit sum");
        catalogue.TreePath(slot);
        catalogue.TreeParentSlot(slot);
        catalogue.NodeOfSlot(slot);
    }
    return 0;
}

}  // namespace fuzz
