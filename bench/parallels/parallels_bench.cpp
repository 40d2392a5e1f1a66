// Times the parallels search in-process on a real corpus:
//   bench_parallels CORPUS [--passages K] [--seed S] [--min N]
// For K random pages holding at least 300 indexed characters, their first
// 300 characters as a passage; for K random pages of 400 to 600 indexed
// characters, the whole page. Each passage runs twice: the first run builds
// the entry tables it lacks, the second finds them built. Prints the median,
// 90th percentile and maximum of the search alone and of the whole report
// (with the shared text read from every result page), and the peak memory
// above what the loaded index held, with the private part sampled during
// an untimed third run of each search.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "engine/parallelsearch.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// A field of /proc/self/status in kB.
long StatusKb(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string prefix = std::string(field) + ":";
    while (std::getline(status, line)) {
        if (line.rfind(prefix, 0) == 0) return std::atol(line.c_str() + prefix.size());
    }
    return 0;
}

void Report(const char* what, std::vector<double> ms) {
    if (ms.empty()) return;
    std::sort(ms.begin(), ms.end());
    const auto at = [&](double q) { return ms[static_cast<std::size_t>(q * (ms.size() - 1))]; };
    std::printf("%-44s n=%3zu  median %8.2f ms  p90 %8.2f ms  max %8.2f ms\n", what, ms.size(),
                at(0.5), at(0.9), ms.back());
}

struct Passage {
    engine::ParallelPassage passage;
    std::uint32_t record = 0;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_parallels CORPUS [--passages K] [--seed S] [--min N]\n");
        return 2;
    }
    int count = 20;
    unsigned seed = 7;
    int minRun = engine::kDefaultParallelRun;
    for (int i = 2; i + 1 < argc; i += 2) {
        const std::string flag = argv[i];
        if (flag == "--passages") count = std::atoi(argv[i + 1]);
        if (flag == "--seed") seed = static_cast<unsigned>(std::atol(argv[i + 1]));
        if (flag == "--min") minRun = std::atoi(argv[i + 1]);
    }
    engine::CIndex index;
    if (!index.Load(argv[1], "Index", engine::Full)) {
        std::fprintf(stderr, "cannot load %s\n", argv[1]);
        return 1;
    }
    const std::uint32_t records = index.PageStore().RecordCount();

    // Pick the passages before anything is timed.
    std::mt19937 random(seed);
    std::vector<Passage> excerpts;
    std::vector<Passage> wholePages;
    for (int tries = 0; tries < 200000 && (static_cast<int>(excerpts.size()) < count ||
                                           static_cast<int>(wholePages.size()) < count);
         ++tries) {
        const std::uint32_t record = random() % records;
        std::vector<pages::PageChar> chars;
        if (!engine::ReadPageCharacters(index, record, chars)) continue;
        std::size_t indexed = 0;
        std::size_t cut = chars.size();
        for (std::size_t k = 0; k < chars.size(); ++k) {
            if (chars[k].position < 0) continue;
            if (++indexed == 300) cut = k + 1;
        }
        if (indexed >= 300 && static_cast<int>(excerpts.size()) < count) {
            std::u16string text;
            for (std::size_t k = 0; k < cut; ++k) {
                const char32_t cp = chars[k].cp;
                if (cp < 0x10000) {
                    text += static_cast<char16_t>(cp);
                } else {
                    text += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
                    text += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
                }
            }
            Passage p{engine::PassageFromText(index, text, true), record};
            p.passage.record = record;
            excerpts.push_back(std::move(p));
        }
        if (indexed >= 400 && indexed <= 600 && static_cast<int>(wholePages.size()) < count) {
            Passage p;
            p.record = record;
            if (engine::PassageFromRecord(index, record, true, p.passage))
                wholePages.push_back(std::move(p));
        }
    }
    const long baseKb = StatusKb("VmRSS");
    const long baseAnonKb = StatusKb("RssAnon");
    std::printf("corpus %s: %u records; %zu excerpts of 300, %zu whole pages of 400-600; N=%d\n",
                argv[1], records, excerpts.size(), wholePages.size(), minRun);

    long anonKb = baseAnonKb;
    long peakAnonKb = baseAnonKb;
    long searchGrowthKb = 0;
    long reportGrowthKb = 0;
    const auto run = [&](const std::vector<Passage>& passages, const char* name) {
        std::vector<double> firstSearch, warmSearch, warmReport;
        std::size_t pagesFound = 0;
        std::size_t formulas = 0;
        for (const Passage& p : passages) {
            engine::ParallelsRequest request;
            request.codes = p.passage.codes;
            request.minRun = minRun;
            request.excludeRecord = p.record;
            engine::ParallelsResult result;
            for (int round = 0; round < 2; ++round) {
                const auto start = Clock::now();
                engine::FindParallels(index.Tables(), request, result);
                (round == 0 ? firstSearch : warmSearch).push_back(Ms(Clock::now() - start));
            }
            // An untimed third run samples the private memory while it works.
            request.progress = [&](std::uint32_t done, std::uint32_t) {
                if (done % 8 == 0) peakAnonKb = std::max(peakAnonKb, StatusKb("RssAnon"));
                return true;
            };
            engine::FindParallels(index.Tables(), request, result);
            peakAnonKb = std::max(peakAnonKb, StatusKb("RssAnon"));
            pagesFound += result.pages.size();
            formulas += result.formulas.size();
            searchGrowthKb += StatusKb("RssAnon") - anonKb;
            anonKb = StatusKb("RssAnon");
            engine::ParallelOptions options;
            options.minRun = minRun;
            const auto start = Clock::now();
            const engine::ParallelReport report =
                engine::RunParallelSearch(index, p.passage, options);
            warmReport.push_back(Ms(Clock::now() - start));
            reportGrowthKb += StatusKb("RssAnon") - anonKb;
            anonKb = StatusKb("RssAnon");
        }
        std::printf("%s: %.1f result pages and %.1f formulas per passage\n", name,
                    passages.empty() ? 0.0 : double(pagesFound) / passages.size(),
                    passages.empty() ? 0.0 : double(formulas) / passages.size());
        Report((std::string(name) + ", search, first run").c_str(), firstSearch);
        Report((std::string(name) + ", search, tables built").c_str(), warmSearch);
        Report((std::string(name) + ", report with texts, tables built").c_str(), warmReport);
    };
    run(excerpts, "300-character passage");
    run(wholePages, "whole page of 400-600");
    std::printf("memory: peak %.1f MB above the loaded index (%.1f MB), now %.1f MB above\n",
                (StatusKb("VmHWM") - baseKb) / 1024.0, baseKb / 1024.0,
                (StatusKb("VmRSS") - baseKb) / 1024.0);
    std::printf(
        "memory: %.1f MB of it private (entry tables, results; the rest is the mapped "
        "postings file)\n",
        (StatusKb("RssAnon") - baseAnonKb) / 1024.0);
    std::printf("memory: private peak %.1f MB above the loaded index (sampled during searches)\n",
                (peakAnonKb - baseAnonKb) / 1024.0);
    std::printf("memory: private growth during searches %.1f MB, during reports %.1f MB\n",
                searchGrowthKb / 1024.0, reportGrowthKb / 1024.0);
    return 0;
}
