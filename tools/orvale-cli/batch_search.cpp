#include "tools/orvale-cli/batch_search.h"

#include <charconv>
#include <cstdio>
#include <iostream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "engine/index.h"
#include "tools/orvale-build/utf8.h"
#ifdef ORVALE_HAVE_ROWS_COMMAND
#include "tools/orvale-cli/rows_command.h"
#endif

namespace cli {
namespace {

std::string JsonString(const std::string& text) {
    return nlohmann::json(text).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace

std::string RawHitLines(const engine::CIndex& index) {
    const auto& pages = index.GetHitPages();
    const auto& counts = index.GetHitCounts();
    const std::size_t n = std::min<std::size_t>(
        static_cast<std::size_t>(std::max(index.HitPageCount(), 0)), pages.size());
    // A line at a time through one small buffer: two temporary strings per
    // line cost more than the search of a common character.
    std::string out;
    out.reserve(n * 12);
    char line[48];
    for (std::size_t i = 0; i < n; ++i) {
        char* end = std::to_chars(line, line + 20, pages[i]).ptr;
        *end++ = '\t';
        end = std::to_chars(end, end + 20, i < counts.size() ? counts[i] : 0).ptr;
        *end++ = '\n';
        out.append(line, static_cast<std::size_t>(end - line));
    }
    return out;
}

void TellAccelerator(engine::CIndex& index) {
    const std::string notice = index.TakeAcceleratorNotice();
    if (!notice.empty()) std::cerr << "orvale-cli: " << notice << std::endl;
}

int EngineScope(SearchScope scope) {
    if (scope == SearchScope::Main) return engine::Content;
    if (scope == SearchScope::Notes) return engine::Desc;
    return engine::Full;
}

int EntrySlotOf(const SearchRequest& request) {
#ifdef ORVALE_HAVE_ROWS_COMMAND
    if (!request.entrySlot) return panel::kWholeCorpusSlot;
    return *request.entrySlot == panel::kWholeCorpusSlot ? 0 : *request.entrySlot;
#else
    return request.entrySlot.value_or(0);
#endif
}

int RunSearchBatch(const std::string& dataDir, const SearchRequest& request, std::istream& in) {
    engine::CIndex index;
    engine::CorpusFolder folder;
    folder.Open(dataDir);
    if (!index.Load(folder, "Index", EngineScope(request.scope))) {
        std::cerr << "データを開けませんでした。" << std::endl;
        return kExitMissing;
    }
    TellAccelerator(index);
#ifdef ORVALE_HAVE_ROWS_COMMAND
    panel::Catalogue catalogue;
    if (!request.raw) {
        const panel::CatalogueLoadResult loaded = catalogue.LoadCatalogue(folder, "");
        if (!loaded.opened) {
            std::cerr << panel::kCatalogueMissingMessage << " (cannot open " << dataDir << "/"
                      << panel::kCatalogueFileName << ")\n";
        } else if (!loaded.diagnostic.empty()) {
            std::cerr << loaded.diagnostic << "\n";
        }
    }
#endif
    int status = kExitOk;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::string out;
        std::string error;
        std::u16string query;
        if (!build::Utf8ToUtf16(line, query)) {
            error = "orvale-cli: the keywords are not valid UTF-8";
        } else {
            if (request.anyKeyword) {
                index.SearchOr(query, true, request.variants);
            } else {
                index.SearchAnd(query, true, request.variants);
            }
            TellAccelerator(index);
            if (index.LastStatus() != engine::SearchStatus::Ok)
                error = engine::SearchStatusMessage(index.LastStatus());
        }
        const bool refused = !error.empty();
        if (!refused) {
#ifdef ORVALE_HAVE_ROWS_COMMAND
            if (!request.raw) {
                std::ostringstream rows;
                if (PrintRows(catalogue, EntrySlotOf(request), index.GetHitPages(),
                              index.GetHitCounts(), request.json, rows, std::cerr) == kExitOk) {
                    out = rows.str();
                } else {
                    error = kNoScopeMessage;  // already on stderr
                    status = kExitRefused;
                }
            } else {
                out = RawHitLines(index);
            }
#else
            out = RawHitLines(index);
#endif
        } else {
            std::cerr << error << std::endl;
            status = kExitRefused;
        }
        if (request.json) {
            // The single search's document is one object on one line; the
            // query goes in front of its fields.
            std::string object = "{\"query\":" + JsonString(line);
            if (!error.empty()) {
                object += ",\"error\":" + JsonString(error) + "}\n";
            } else if (out.size() > 2 && out.front() == '{') {
                object += "," + out.substr(1);
            } else {
                object += "}\n";
            }
            out = std::move(object);
        } else {
            out += '\n';
        }
        if (std::fwrite(out.data(), 1, out.size(), stdout) != out.size() ||
            std::fflush(stdout) != 0)
            return kExitMissing;
    }
    return status;
}

}  // namespace cli
