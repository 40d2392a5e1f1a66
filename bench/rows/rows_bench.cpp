// Result rows of a category scope with thousands of volumes and more than
// 100,000 hit pages: the indexed lookup against the plain scan in order, on
// a synthetic catalogue and (with ORVALE_BENCH_DATA=<corpus folder>) on a
// real corpus, for the most frequent of a set of common characters scoped
// to the largest category (ORVALE_BENCH_CHAR=<character> picks another).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "engine/index.h"
#include "panel/catalogue.h"
#include "panel/resultrows.h"

namespace {

// One category of `titles` titles of `volumesPerTitle` volumes, laid out as
// the corpus builder writes them, and a hit on every page but each seventh.
struct SyntheticCorpus {
    panel::Catalogue catalogue;
    std::vector<std::uint32_t> hitRecords;
    std::vector<std::uint32_t> hitPlaces;
    int volumes = 0;

    SyntheticCorpus(int kTitles, int kVolumesPerTitle, int kPagesPerVolume)
        : volumes(kTitles * kVolumesPerTitle) {
        std::string bytes;
        const auto add = [&](const std::string& name, int level, int docID, int docNo) {
            const auto record = panel::CatalogueRecord::Make(name, level, docID, docNo, 1);
            bytes.append(reinterpret_cast<const char*>(record.bytes.data()), record.bytes.size());
        };
        const int titlePages = kVolumesPerTitle * kPagesPerVolume;
        add("大類", 1, 1, kTitles * titlePages);
        for (int t = 0; t < kTitles; ++t) {
            const int titleFirst = 1 + t * titlePages;
            add("書名" + std::to_string(t), 2, titleFirst, titlePages);
            for (int v = 0; v < kVolumesPerTitle; ++v) {
                add("巻" + std::to_string(v + 1), 3, titleFirst + v * kPagesPerVolume,
                    kPagesPerVolume);
            }
        }
        catalogue.LoadRecords(bytes);
        for (std::uint32_t r = 0; r < static_cast<std::uint32_t>(kTitles * titlePages); ++r) {
            if (r % 7 == 6) continue;
            hitRecords.push_back(r);
            hitPlaces.push_back(1 + r % 3);
        }
    }
};

// 120,000 pages; and 2,000,000 pages in 9,001 records, about the largest
// catalogue the format holds, for the most frequent character's 1.7 million
// rows.
const SyntheticCorpus& Synthetic(bool large) {
    static const SyntheticCorpus corpus(400, 10, 30);
    static const SyntheticCorpus largeCorpus(1000, 8, 250);
    return large ? largeCorpus : corpus;
}

void BM_SyntheticCategoryRows(benchmark::State& state) {
    const SyntheticCorpus& corpus = Synthetic(state.range(1) != 0);
    const auto lookup = static_cast<panel::RowLookup>(state.range(0));
    const panel::ContentsNodeTag* scope = corpus.catalogue.ScopeNode(1);
    std::vector<panel::SearchNodeTag> rows;
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            panel::BuildRows(scope, corpus.hitRecords, corpus.hitPlaces, rows, lookup));
    }
    state.counters["hits"] = static_cast<double>(corpus.hitRecords.size());
    state.counters["rows"] = static_cast<double>(rows.size());
    state.counters["volumes"] = corpus.volumes;
}
BENCHMARK(BM_SyntheticCategoryRows)
    ->ArgNames({"linear", "large"})
    ->Args({static_cast<int>(panel::RowLookup::Indexed), 0})
    ->Args({static_cast<int>(panel::RowLookup::Linear), 0})
    ->Args({static_cast<int>(panel::RowLookup::Indexed), 1})
    ->Unit(benchmark::kMillisecond);

// The real corpus: loaded once, searched once for the chosen character.
struct RealCorpus {
    bool ready = false;
    std::string character;
    engine::CIndex index;
    panel::Catalogue catalogue;
    const panel::ContentsNodeTag* scope = nullptr;
    std::vector<std::uint32_t> hitRecords;
    std::vector<std::uint32_t> hitPlaces;

    RealCorpus() {
        const char* dir = std::getenv("ORVALE_BENCH_DATA");
        if (!dir || !*dir) return;
        if (!index.Load(dir, "Index", engine::Full)) {
            std::cerr << "bench_rows: cannot load the index in " << dir << "\n";
            return;
        }
        if (!catalogue.LoadCatalogue(dir, "").opened) {
            std::cerr << "bench_rows: no kvt.dir in " << dir << "\n";
            return;
        }
        for (const auto& category : catalogue.RootNode().children) {
            if (!scope || static_cast<std::uint32_t>(category->docNo) >
                              static_cast<std::uint32_t>(scope->docNo)) {
                scope = category.get();
            }
        }
        if (!scope) return;
        const char* chosen = std::getenv("ORVALE_BENCH_CHAR");
        const std::vector<std::u16string> candidates =
            chosen && *chosen ? std::vector<std::u16string>{panel::Utf8ToUtf16(chosen)}
                              : std::vector<std::u16string>{u"不", u"人", u"一", u"之", u"無",
                                                            u"山", u"風", u"日", u"有", u"來",
                                                            u"天", u"中", u"月", u"花", u"心"};
        std::size_t best = 0;
        for (const std::u16string& candidate : candidates) {
            std::u16string query = candidate;
            index.SearchAnd(query, true, false);
            if (index.GetHitPages().size() >= best) {
                best = index.GetHitPages().size();
                character.clear();
                panel::AppendUtf16AsUtf8(candidate, character);
                hitRecords = index.GetHitPages();
                hitPlaces = index.GetHitCounts();
            }
        }
        ready = !hitRecords.empty();
    }
};

RealCorpus& Real() {
    static RealCorpus corpus;
    return corpus;
}

void BM_CorpusCategoryRows(benchmark::State& state) {
    RealCorpus& corpus = Real();
    if (!corpus.ready) {
        state.SkipWithError("set ORVALE_BENCH_DATA to a corpus folder");
        return;
    }
    const auto lookup = static_cast<panel::RowLookup>(state.range(0));
    std::vector<panel::SearchNodeTag> rows;
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            panel::BuildRows(corpus.scope, corpus.hitRecords, corpus.hitPlaces, rows, lookup));
    }
    state.SetLabel(corpus.character + " in " + corpus.scope->name);
    state.counters["hits"] = static_cast<double>(corpus.hitRecords.size());
    state.counters["rows"] = static_cast<double>(rows.size());
}
BENCHMARK(BM_CorpusCategoryRows)
    ->ArgName("linear")
    ->Arg(static_cast<int>(panel::RowLookup::Indexed))
    ->Arg(static_cast<int>(panel::RowLookup::Linear))
    ->Unit(benchmark::kMillisecond);

// The whole road after a click on 検索: search, copy of the hit arrays, rows.
void BM_CorpusSearchAndRows(benchmark::State& state) {
    RealCorpus& corpus = Real();
    if (!corpus.ready) {
        state.SkipWithError("set ORVALE_BENCH_DATA to a corpus folder");
        return;
    }
    const std::u16string keyword = panel::Utf8ToUtf16(corpus.character);
    std::vector<panel::SearchNodeTag> rows;
    for (auto _ : state) {
        std::u16string query = keyword;
        corpus.index.SearchAnd(query, true, true);
        const std::vector<std::uint32_t> records = corpus.index.GetHitPages();
        const std::vector<std::uint32_t> places = corpus.index.GetHitCounts();
        benchmark::DoNotOptimize(panel::BuildRows(corpus.scope, records, places, rows));
    }
    state.SetLabel(corpus.character + " in " + corpus.scope->name + ", variants on");
    state.counters["rows"] = static_cast<double>(rows.size());
}
BENCHMARK(BM_CorpusSearchAndRows)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
