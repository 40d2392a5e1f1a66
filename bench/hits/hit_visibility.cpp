// Hit visibility: for each kind of query (one character, phrase, '?', '*',
// AND, OR, variants on, each text layer) runs a few queries over the whole
// corpus, opens random result rows the way the reader does (the search's
// keywords, text layer and variant setting) and counts the anchors of each
// composed page. Prints per kind the share of pages with at least one anchor
// and the share whose anchors equal the row's hit count. Pages without an
// anchor are listed on stderr as "kind<TAB>query<TAB>record<TAB>hits".
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "engine/codeconverter.h"
#include "engine/index.h"
#include "panel/catalogue.h"
#include "panel/resultrows.h"

namespace {

struct Kind {
    const char* name;
    std::vector<std::u16string> queries;
    bool any = false;  // OR instead of AND
    bool variants = false;
    int layer = 0;  // 0 全文, 1 正文, 2 注釈 (the index scope goes with it)
};

struct Row {
    std::size_t query;
    std::uint32_t record;
    std::int32_t hits;
};

std::string Utf8(std::u16string_view text) {
    std::string out;
    engine::Utf16ToUtf8(text, out, true);
    return out;
}

const std::vector<Kind>& Kinds() {
    static const std::vector<Kind> kinds = {
        {"one character", {u"月", u"風", u"山", u"酒", u"鶴"}},
        {"phrase", {u"明月", u"白雲", u"春風", u"故鄉", u"不知何處"}},
        {"?", {u"明?月", u"白?山", u"春?風", u"一?一"}},
        {"*", {u"春*風", u"明*月", u"山*水", u"花*酒"}},
        {"AND", {u"明月 故鄉", u"春風 花", u"白雲 山"}},
        {"OR", {u"明月 白雲", u"江 湖", u"鶴 猿"}, true},
        {"variants on", {u"国", u"万里", u"云", u"明月", u"春*风"}, false, true},
        {"layer 全文", {u"明月", u"春*風", u"白?"}, false, false, 0},
        {"layer 正文", {u"明月", u"春*風", u"之"}, false, false, 1},
        {"layer 注釈", {u"明月", u"春*風", u"之"}, false, false, 2},
    };
    return kinds;
}

int ScopeOfLayer(int layer) {
    if (layer == 1) return engine::Content;
    if (layer == 2) return engine::Desc;
    return engine::Full;
}

}  // namespace

int main(int argc, char** argv) {
    std::string data;
    std::size_t rowsPerKind = 200;
    unsigned seed = 1;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--data") == 0) data = argv[i + 1];
        if (std::strcmp(argv[i], "--rows") == 0)
            rowsPerKind = std::strtoul(argv[i + 1], nullptr, 10);
        if (std::strcmp(argv[i], "--seed") == 0)
            seed = static_cast<unsigned>(std::atoi(argv[i + 1]));
    }
    if (data.empty()) {
        std::fprintf(stderr, "usage: bench_hit_visibility --data FOLDER [--rows N] [--seed S]\n");
        return 2;
    }
    panel::Catalogue catalogue;
    if (!catalogue.LoadCatalogue(data, "").opened) {
        std::fprintf(stderr, "cannot open the catalogue of %s\n", data.c_str());
        return 1;
    }
    const panel::ContentsNodeTag* whole = catalogue.ScopeNode(panel::kWholeCorpusSlot);
    std::mt19937 random(seed);
    std::printf(
        "| kind | queries | rows listed | rows opened | pages with an anchor | anchors = hits "
        "| anchors / hits |\n|---|---|---|---|---|---|---|\n");
    for (const Kind& kind : Kinds()) {
        engine::CIndex index;
        if (!index.Load(data, "Index", ScopeOfLayer(kind.layer))) {
            std::fprintf(stderr, "cannot load the index of %s\n", data.c_str());
            return 1;
        }
        std::vector<Row> rows;
        std::vector<std::u16string> searched;
        std::string names;
        for (const std::u16string& query : kind.queries) {
            std::u16string q = query;
            if (kind.any) {
                index.SearchOr(q, true, kind.variants);
            } else {
                index.SearchAnd(q, true, kind.variants);
            }
            if (index.LastStatus() != engine::SearchStatus::Ok) continue;
            std::vector<panel::SearchNodeTag> listed;
            panel::BuildRows(whole, index.GetHitPages(), index.GetHitCounts(), listed);
            for (const panel::SearchNodeTag& row : listed) {
                rows.push_back(
                    {searched.size(), static_cast<std::uint32_t>(row.recordIndex), row.hits});
            }
            searched.push_back(q);
            names += (names.empty() ? "" : ", ") + Utf8(query);
        }
        std::shuffle(rows.begin(), rows.end(), random);
        const std::size_t opened = std::min(rowsPerKind, rows.size());
        std::size_t marked = 0;
        std::size_t equal = 0;
        std::int64_t anchorSum = 0;
        std::int64_t hitSum = 0;
        for (std::size_t i = 0; i < opened; ++i) {
            const Row& row = rows[i];
            std::string html;
            const std::int32_t anchors = index.ComposeHitPage(row.record, html, searched[row.query],
                                                              kind.layer, kind.variants);
            marked += anchors > 0 ? 1 : 0;
            equal += anchors == row.hits ? 1 : 0;
            anchorSum += anchors;
            hitSum += row.hits;
            if (anchors == 0) {
                std::fprintf(stderr, "%s\t%s\t%u\t%d\n", kind.name,
                             Utf8(searched[row.query]).c_str(), row.record, row.hits);
            }
        }
        const double n = opened ? static_cast<double>(opened) : 1.0;
        std::printf("| %s | %s | %zu | %zu | %.1f %% | %.1f %% | %lld / %lld |\n", kind.name,
                    names.c_str(), rows.size(), opened, 100.0 * static_cast<double>(marked) / n,
                    100.0 * static_cast<double>(equal) / n, static_cast<long long>(anchorSum),
                    static_cast<long long>(hitSum));
        std::fflush(stdout);
    }
    return 0;
}
