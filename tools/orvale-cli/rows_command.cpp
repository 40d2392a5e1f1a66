#include "tools/orvale-cli/rows_command.h"

#include <iostream>
#include <nlohmann/json.hpp>
#include <vector>

#include "panel/resultrows.h"

namespace cli {

std::string TabField(std::string text) {
    for (char& c : text) {
        if (c == '\t' || c == '\n' || c == '\r') c = ' ';
    }
    return text;
}

int PrintCatalogueTo(const std::string& dataDir, std::ostream& out, std::ostream& err) {
    engine::CorpusFolder folder;
    folder.Open(dataDir);
    return PrintCatalogueTo(folder, dataDir, out, err);
}

int PrintCatalogueTo(const engine::CorpusFolder& folder, const std::string& dataDir,
                     std::ostream& out, std::ostream& err) {
    panel::Catalogue catalogue;
    const panel::CatalogueLoadResult loaded = catalogue.LoadCatalogue(folder, "");
    if (!loaded.opened) {
        err << panel::kCatalogueMissingMessage << " (cannot open " << dataDir << "/"
            << panel::kCatalogueFileName << ")\n";
        return 1;
    }
    if (!loaded.diagnostic.empty()) err << loaded.diagnostic << "\n";
    out << catalogue.ListingText();
    out.flush();
    return 0;
}

int PrintCatalogue(const engine::CorpusFolder& folder, const std::string& dataDir) {
    return PrintCatalogueTo(folder, dataDir, std::cout, std::cerr);
}

int PrintRows(const panel::Catalogue& catalogue, int entrySlot,
              std::span<const std::uint32_t> hitPages, std::span<const std::uint32_t> hitCounts,
              bool json, std::ostream& out, std::ostream& err) {
    const panel::ContentsNodeTag* scope = catalogue.ScopeNode(entrySlot);
    if (!scope) {
        err << kNoScopeMessage << "\n";
        return 2;
    }
    std::vector<panel::SearchNodeTag> rows;
    const std::int64_t places = panel::BuildRows(scope, hitPages, hitCounts, rows);

    if (json) {
        nlohmann::ordered_json list = nlohmann::ordered_json::array();
        for (const panel::SearchNodeTag& row : rows) {
            list.push_back({{"category", row.category},
                            {"title", row.title},
                            {"volume", row.volume},
                            {"page", row.page},
                            {"record", row.recordIndex},
                            {"hits", row.hits}});
        }
        const nlohmann::ordered_json document = {
            {"pages", rows.size()}, {"places", places}, {"rows", std::move(list)}};
        out << document.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace)
            << "\n";
    } else {
        std::string text;
        for (const panel::SearchNodeTag& row : rows) {
            text += TabField(row.category) + '\t' + TabField(row.title) + '\t' +
                    TabField(row.volume) + '\t' + std::to_string(row.page) + '\t' +
                    std::to_string(row.recordIndex) + '\t' + std::to_string(row.hits) + '\n';
        }
        out << text;
    }
    out.flush();
    err << panel::ResultSummaryText(static_cast<std::int64_t>(rows.size()), places) << "\n";
    return 0;
}

int PrintSearchRowsTo(const std::string& dataDir, int entrySlot,
                      std::span<const std::uint32_t> hitPages,
                      std::span<const std::uint32_t> hitCounts, bool json, std::ostream& out,
                      std::ostream& err) {
    engine::CorpusFolder folder;
    folder.Open(dataDir);
    return PrintSearchRowsTo(folder, dataDir, entrySlot, hitPages, hitCounts, json, out, err);
}

int PrintSearchRowsTo(const engine::CorpusFolder& folder, const std::string& dataDir, int entrySlot,
                      std::span<const std::uint32_t> hitPages,
                      std::span<const std::uint32_t> hitCounts, bool json, std::ostream& out,
                      std::ostream& err) {
    panel::Catalogue catalogue;
    const panel::CatalogueLoadResult loaded = catalogue.LoadCatalogue(folder, "");
    return PrintLoadedRows(catalogue, loaded, dataDir, entrySlot, hitPages, hitCounts, json, out,
                           err);
}

namespace {

// A missing kvt.dir or ignored records, told on err.
void ReportCatalogueLoad(const panel::CatalogueLoadResult& loaded, const std::string& dataDir,
                         std::ostream& err) {
    if (!loaded.opened) {
        err << panel::kCatalogueMissingMessage << " (cannot open " << dataDir << "/"
            << panel::kCatalogueFileName << ")\n";
    } else if (!loaded.diagnostic.empty()) {
        err << loaded.diagnostic << "\n";
    }
}

}  // namespace

int PrintLoadedRows(const panel::Catalogue& catalogue, const panel::CatalogueLoadResult& loaded,
                    const std::string& dataDir, int entrySlot,
                    std::span<const std::uint32_t> hitPages,
                    std::span<const std::uint32_t> hitCounts, bool json, std::ostream& out,
                    std::ostream& err) {
    ReportCatalogueLoad(loaded, dataDir, err);
    return PrintRows(catalogue, entrySlot, hitPages, hitCounts, json, out, err);
}

void LoadCatalogueQuietly(const std::string& dataDir, panel::Catalogue& catalogue,
                          std::ostream& err) {
    engine::CorpusFolder folder;
    folder.Open(dataDir);
    ReportCatalogueLoad(catalogue.LoadCatalogue(folder, ""), dataDir, err);
}

}  // namespace cli
