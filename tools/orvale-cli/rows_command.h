// The catalogue and result-row commands of orvale-cli: the kvt.txt listing of
// a corpus folder, and the result rows of a search that has run, named and
// sorted as the reader's result list shows them.
//
// PrintRows and PrintCatalogueTo do the work on streams so that tests can
// call them; the other two are the command entry points on stdout/stderr.
// Each returns the process exit status.
#pragma once

#include <cstdint>
#include <iostream>
#include <ostream>
#include <span>
#include <string>

#include "engine/index.h"
#include "panel/catalogue.h"

namespace cli {

// Shown when the scope slot holds no catalogue entry.
inline constexpr const char* kNoScopeMessage = "検索範囲をまた指定していません。";

// A name as one tab-separated field: tabs and line ends become spaces.
std::string TabField(std::string text);

// Writes to out exactly what kvt.txt would hold for <dataDir>/kvt.dir.
// Returns 0; 1 with a message on err when kvt.dir cannot be opened. A note
// about ignored records goes to err without changing the status.
int PrintCatalogueTo(const std::string& dataDir, std::ostream& out, std::ostream& err);
// The same reading kvt.dir through an open corpus folder; dataDir names it in
// messages.
int PrintCatalogueTo(const engine::CorpusFolder& folder, const std::string& dataDir,
                     std::ostream& out, std::ostream& err);
int PrintCatalogue(const engine::CorpusFolder& folder, const std::string& dataDir);

// Builds the rows of the hit pages inside the entry in entrySlot of the
// loaded catalogue and prints them: one line per row, tab-separated
// (category, title, volume, page, record index, hit places), or with json
// {"pages": N, "places": M, "rows": [...]}; the summary
// "全部で %d 頁で、%d 箇所でした。" goes to err. Returns 0; 2 with
// kNoScopeMessage when the slot holds no catalogue entry (or no tree node
// matches it). Tabs and line ends inside names print as spaces in the
// tab-separated form.
int PrintRows(const panel::Catalogue& catalogue, int entrySlot,
              std::span<const std::uint32_t> hitPages, std::span<const std::uint32_t> hitCounts,
              bool json, std::ostream& out, std::ostream& err);

// Loads <dataDir>/kvt.dir (writing no listing) and prints the rows of the
// hit list as PrintRows does. A missing kvt.dir is reported on err and
// leaves no scope: 2.
int PrintSearchRowsTo(const std::string& dataDir, int entrySlot,
                      std::span<const std::uint32_t> hitPages,
                      std::span<const std::uint32_t> hitCounts, bool json, std::ostream& out,
                      std::ostream& err);

// Loads <dataDir>/kvt.dir without writing a listing; a missing file (the
// catalogue stays empty) or ignored records are told on err.
void LoadCatalogueQuietly(const std::string& dataDir, panel::Catalogue& catalogue,
                          std::ostream& err);

int PrintSearchRowsTo(const engine::CorpusFolder& folder, const std::string& dataDir, int entrySlot,
                      std::span<const std::uint32_t> hitPages,
                      std::span<const std::uint32_t> hitCounts, bool json, std::ostream& out,
                      std::ostream& err);

// PrintRows after the catalogue has been loaded (loaded is its result): a
// missing kvt.dir is reported on err as PrintSearchRowsTo does.
int PrintLoadedRows(const panel::Catalogue& catalogue, const panel::CatalogueLoadResult& loaded,
                    const std::string& dataDir, int entrySlot,
                    std::span<const std::uint32_t> hitPages,
                    std::span<const std::uint32_t> hitCounts, bool json, std::ostream& out,
                    std::ostream& err);

// After a search has run on index: PrintLoadedRows with its hit list, on
// stdout and stderr. Inline, so that rows_command.cpp needs no engine library.
inline int PrintSearchRows(engine::CIndex& index, const panel::Catalogue& catalogue,
                           const panel::CatalogueLoadResult& loaded, const std::string& dataDir,
                           int entrySlot, bool json) {
    return PrintLoadedRows(catalogue, loaded, dataDir, entrySlot, index.GetHitPages(),
                           index.GetHitCounts(), json, std::cout, std::cerr);
}

}  // namespace cli
