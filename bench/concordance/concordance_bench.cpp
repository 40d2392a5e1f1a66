// Concordance timings on a real corpus, in-process:
//   bench_concordance CORPUS [CHARACTER]
// 1. contexts (first hit, 12 characters either side) of the 100 rows of one
//    result page of 子曰;
// 2. a concordance of the first 10,000 hits of CHARACTER (default 不), built
//    and sorted by left context;
// 3. the whole concordance of CHARACTER: the search and the first screen
//    (the first 50 lines), then every line, then sorted by left context,
//    with the peak resident size;
// 4. its distribution by category and title, from the hit list.
// Each timing is the median of several runs (one for the whole concordance).
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/concordance.h"
#include "engine/index.h"
#include "panel/catalogue.h"
#include "panel/distribution.h"
#include "panel/resultrows.h"
#include "tools/orvale-build/utf8.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point from) {
    return std::chrono::duration<double, std::milli>(Clock::now() - from).count();
}

template <typename F>
double Median(int runs, F f) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        f();
        times.push_back(Ms(start));
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// User and system CPU time of the process so far: on a shared machine the
// wall clock also counts the time other jobs held the cores.
double CpuMs() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

long PeakResidentMb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

std::u16string Utf16(const std::string& utf8) {
    std::u16string out;
    build::Utf8ToUtf16(utf8, out);
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_concordance CORPUS [CHARACTER]\n");
        return 2;
    }
    const std::string dataDir = argv[1];
    const std::u16string character = Utf16(argc > 2 ? argv[2] : "不");
    engine::CIndex index;
    panel::Catalogue catalogue;
    if (!index.Load(dataDir, "Index", engine::Full) ||
        !catalogue.LoadCatalogue(dataDir, "").opened) {
        std::fprintf(stderr, "cannot open %s\n", dataDir.c_str());
        return 1;
    }
    std::vector<panel::SearchNodeTag> rows;

    // 1. One result page of 100 rows.
    std::u16string query = u"子曰";
    index.SearchAnd(query, true, true);
    panel::BuildRows(catalogue.ScopeNode(1), index.GetHitPages(), index.GetHitCounts(), rows);
    rows.resize(std::min<std::size_t>(rows.size(), 100));
    const engine::KwicQuery pageQuery(u"子曰", true, index.VariantGroups());
    std::size_t found = 0;
    const double pageMs = Median(21, [&] {
        std::vector<engine::KwicLine> lines;
        pages::LayerText text;
        std::vector<engine::HitSpan> hits;
        found = 0;
        for (const auto& row : rows) {
            lines.clear();
            engine::AppendPageLines(index.PageStore(), static_cast<std::uint32_t>(row.recordIndex),
                                    pageQuery, 0, 12, lines, text, hits);
            found += lines.empty() ? 0 : 1;
        }
    });
    std::printf("contexts of one result page (%zu rows of 子曰, %zu with a hit): %.2f ms\n",
                rows.size(), found, pageMs);

    // 2. 10,000 hits, built and sorted.
    query = character;
    index.SearchAnd(query, true, true);
    const std::vector<std::uint32_t> hitPages = index.GetHitPages();
    const std::vector<std::uint32_t> hitCounts = index.GetHitCounts();
    const engine::KwicQuery charQuery(character, true, index.VariantGroups());
    std::vector<std::uint32_t> firstPages;
    for (std::size_t i = 0, hits = 0; i < hitPages.size() && hits < 10000; ++i) {
        firstPages.push_back(hitPages[i]);
        hits += hitCounts[i];
    }
    std::size_t tenThousand = 0;
    const double tenMs = Median(7, [&] {
        std::vector<engine::KwicLine> lines;
        engine::ConcordanceRun run(firstPages, charQuery, 0, 12);
        while (run.Step(index.PageStore(), 256, lines)) {
        }
        engine::SortKwicLines(lines, engine::KwicSort::Left);
        tenThousand = lines.size();
    });
    std::printf("concordance of %zu hits (%zu pages), built and sorted by left context: %.1f ms\n",
                tenThousand, firstPages.size(), tenMs);

    // 3. The whole concordance.
    const auto start = Clock::now();
    const double cpuStart = CpuMs();
    query = character;
    index.SearchAnd(query, true, true);
    const double searchMs = Ms(start);
    std::vector<engine::KwicLine> lines;
    engine::ConcordanceRun run(index.GetHitPages(), charQuery, 0, 12);
    while (lines.size() < 50 && run.Step(index.PageStore(), 8, lines)) {
    }
    const double firstMs = Ms(start);
    while (run.Step(index.PageStore(), 256, lines)) {
    }
    const double allMs = Ms(start);
    const double allCpuMs = CpuMs() - cpuStart;
    engine::SortKwicLines(lines, engine::KwicSort::Left);
    const double sortedMs = Ms(start);
    std::printf(
        "whole concordance: %zu hits on %zu pages; search %.1f ms, first screen %.1f ms, "
        "complete %.0f ms (CPU %.0f ms), sorted by left context %.0f ms; peak resident %ld MB\n",
        lines.size(), run.PageCount(), searchMs, firstMs, allMs, allCpuMs, sortedMs,
        PeakResidentMb());

    // 4. Distribution of the same search.
    panel::Distribution distribution;
    // The whole corpus: the rows of every category together.
    const auto allRows = [&] {
        rows.clear();
        std::vector<panel::SearchNodeTag> part;
        for (const auto& category : catalogue.RootNode().children) {
            panel::BuildRows(category.get(), index.GetHitPages(), index.GetHitCounts(), part);
            rows.insert(rows.end(), part.begin(), part.end());
        }
    };
    const double rowsMs = Median(7, [&] {
        allRows();
        distribution = panel::BuildDistribution(rows);
    });
    const double distributionMs = Median(7, [&] { distribution = panel::BuildDistribution(rows); });
    std::printf(
        "distribution: %lld pages, %lld hits, %zu categories, %zu titles: %.1f ms from the rows "
        "(%.1f ms with the rows)\n",
        static_cast<long long>(distribution.pages), static_cast<long long>(distribution.hits),
        distribution.categories.size(), distribution.titles.size(), distributionMs, rowsMs);
    return 0;
}
