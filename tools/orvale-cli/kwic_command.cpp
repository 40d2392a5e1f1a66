#include "tools/orvale-cli/kwic_command.h"

#include <algorithm>
#include <iostream>
#include <nlohmann/json.hpp>
#include <vector>

#include "panel/distribution.h"
#include "panel/resultrows.h"
#include "tools/orvale-cli/rows_command.h"

namespace cli {
namespace {

constexpr auto kReplaceInvalid = nlohmann::ordered_json::error_handler_t::replace;

}  // namespace

int PrintKwic(engine::CIndex& index, const panel::Catalogue& catalogue, int entrySlot,
              std::u16string_view keywords, const KwicOptions& options, std::ostream& out,
              std::ostream& err) {
    const panel::ContentsNodeTag* scope = catalogue.ScopeNode(entrySlot);
    if (!scope) {
        err << kNoScopeMessage << "\n";
        return 2;
    }
    std::vector<panel::SearchNodeTag> rows;
    panel::BuildRows(scope, index.GetHitPages(), index.GetHitCounts(), rows);
    std::sort(rows.begin(), rows.end(),
              [](const auto& a, const auto& b) { return a.recordIndex < b.recordIndex; });
    const engine::KwicQuery query(keywords, options.variants, index.VariantGroups());
    std::vector<engine::KwicLine> lines;
    std::vector<std::size_t> rowOfLine;
    pages::LayerText text;
    std::vector<engine::HitSpan> hits;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        engine::AppendPageLines(index.PageStore(), static_cast<std::uint32_t>(rows[r].recordIndex),
                                query, options.textLayer, options.width, lines, text, hits);
        rowOfLine.resize(lines.size(), r);
    }
    std::vector<std::size_t> order(lines.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return engine::KwicBefore(lines[a], lines[b], options.sort);
    });

    if (options.json) {
        nlohmann::ordered_json list = nlohmann::ordered_json::array();
        for (const std::size_t i : order) {
            const panel::SearchNodeTag& row = rows[rowOfLine[i]];
            list.push_back({{"category", row.category},
                            {"title", row.title},
                            {"volume", row.volume},
                            {"page", row.page},
                            {"record", row.recordIndex},
                            {"left", pages::ToUtf8(lines[i].left)},
                            {"hit", pages::ToUtf8(lines[i].hit)},
                            {"right", pages::ToUtf8(lines[i].right)}});
        }
        const nlohmann::ordered_json document = {
            {"pages", rows.size()}, {"hits", lines.size()}, {"lines", std::move(list)}};
        out << document.dump(-1, ' ', false, kReplaceInvalid) << "\n";
    } else {
        std::string outText;
        for (const std::size_t i : order) {
            const panel::SearchNodeTag& row = rows[rowOfLine[i]];
            outText += TabField(row.category) + '\t' + TabField(row.title) + '\t' +
                       TabField(row.volume) + '\t' + std::to_string(row.page) + '\t' +
                       std::to_string(row.recordIndex) + '\t' +
                       TabField(pages::ToUtf8(lines[i].left)) + '\t' +
                       TabField(pages::ToUtf8(lines[i].hit)) + '\t' +
                       TabField(pages::ToUtf8(lines[i].right)) + '\n';
        }
        out << outText;
    }
    out.flush();
    err << panel::ResultSummaryText(static_cast<std::int64_t>(rows.size()),
                                    static_cast<std::int64_t>(lines.size()))
        << "\n";
    return 0;
}

int PrintStats(const panel::Catalogue& catalogue, int entrySlot,
               std::span<const std::uint32_t> hitPages, std::span<const std::uint32_t> hitCounts,
               bool json, std::ostream& out, std::ostream& err) {
    const panel::ContentsNodeTag* scope = catalogue.ScopeNode(entrySlot);
    if (!scope) {
        err << kNoScopeMessage << "\n";
        return 2;
    }
    std::vector<panel::SearchNodeTag> rows;
    panel::BuildRows(scope, hitPages, hitCounts, rows);
    const panel::Distribution d = panel::BuildDistribution(rows);
    if (json) {
        nlohmann::ordered_json categories = nlohmann::ordered_json::array();
        for (const auto& e : d.categories)
            categories.push_back({{"category", e.category}, {"pages", e.pages}, {"hits", e.hits}});
        nlohmann::ordered_json titles = nlohmann::ordered_json::array();
        for (const auto& e : d.titles) {
            titles.push_back({{"category", e.category},
                              {"title", e.title},
                              {"pages", e.pages},
                              {"hits", e.hits}});
        }
        const nlohmann::ordered_json document = {{"pages", d.pages},
                                                 {"hits", d.hits},
                                                 {"categories", std::move(categories)},
                                                 {"titles", std::move(titles)}};
        out << document.dump(-1, ' ', false, kReplaceInvalid) << "\n";
    } else {
        std::string text;
        const auto line = [&text](const char* kind, const std::string& category,
                                  const std::string& title, std::int64_t pages, std::int64_t hits) {
            text += std::string(kind) + '\t' + TabField(category) + '\t' + TabField(title) + '\t' +
                    std::to_string(pages) + '\t' + std::to_string(hits) + '\n';
        };
        for (const auto& e : d.categories) line("category", e.category, "", e.pages, e.hits);
        for (const auto& e : d.titles) line("title", e.category, e.title, e.pages, e.hits);
        line("total", "", "", d.pages, d.hits);
        out << text;
    }
    out.flush();
    err << panel::ResultSummaryText(d.pages, d.hits) << "\n";
    return 0;
}

int PrintSearchOutput(engine::CIndex& index, const std::string& dataDir, int entrySlot,
                      std::u16string_view keywords, const KwicOptions& options, bool stats) {
    panel::Catalogue catalogue;
    LoadCatalogueQuietly(dataDir, catalogue, std::cerr);
    if (stats) {
        return PrintStats(catalogue, entrySlot, index.GetHitPages(), index.GetHitCounts(),
                          options.json, std::cout, std::cerr);
    }
    return PrintKwic(index, catalogue, entrySlot, keywords, options, std::cout, std::cerr);
}

}  // namespace cli
