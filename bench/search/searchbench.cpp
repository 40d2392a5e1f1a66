// Search speed over one corpus: single characters (frequent and rare),
// phrases of 2, 4 and 7 characters, a phrase of rare characters, '?' and '*'
// terms, AND / OR of two terms, and the largest queries accepted (limit/: as
// many terms as a query may hold, of frequent characters). The queries are
// picked from the loaded
// index and its pages, so any corpus will do.
//
//   ORVALE_BENCH_DATA=<corpus folder> bench_search
//   ORVALE_BENCH_SYNTHETIC=<characters> bench_search   (a generated corpus)
//   ORVALE_BENCH_TABLE_BUDGET=<bytes> sets the memory the entry tables may keep.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "engine/codeconverter.h"
#include "engine/index.h"
#include "tests/engine/indexfixture.h"

namespace {

using engine::CIndex;

struct CodeStats {
    int code = 0;
    std::uint32_t pages = 0;
    std::uint64_t bytes = 0;  // position bytes: a measure of occurrences
};

char32_t CodePointOf(int code) { return static_cast<char32_t>(code + 0x3400); }

std::u16string Utf16(const std::u32string& text) {
    std::u16string out;
    for (char32_t cp : text) {
        if (cp < 0x10000) {
            out += static_cast<char16_t>(cp);
        } else {
            out += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
        }
    }
    return out;
}

std::string Utf8(const std::u32string& text) {
    std::string out;
    for (char32_t cp : text) engine::AppendUtf8(cp, out);
    return out;
}

// Code points of UTF-8 bytes (malformed bytes are skipped).
std::u32string DecodeUtf8(const std::string& bytes) {
    std::u32string out;
    for (std::size_t i = 0; i < bytes.size();) {
        const unsigned char b = static_cast<unsigned char>(bytes[i]);
        int length = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
        if (length == 0 || i + static_cast<std::size_t>(length) > bytes.size()) {
            ++i;
            continue;
        }
        char32_t cp = length == 1 ? b : b & (0x7F >> length);
        for (int k = 1; k < length; ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(bytes[i + k]) & 0x3F);
        out += cp;
        i += static_cast<std::size_t>(length);
    }
    return out;
}

// Walks every character's postings once, entry by entry.
std::vector<CodeStats> Statistics(const CIndex& index) {
    const engine::PostingsTables tables = index.Tables();
    std::vector<CodeStats> stats;
    for (int code = 0; code < 27648; ++code) {
        if (tables.firstBlock[code] == engine::kNoPostings) continue;
        engine::PostingsCursor cursor;
        cursor.Open(tables.view, tables.firstBlock[code]);
        CodeStats s;
        s.code = code;
        std::uint32_t page = 0;
        for (;;) {
            std::uint32_t delta = 0;
            std::uint32_t length = 0;
            cursor.ReadEntryHeader(delta, length);
            if (cursor.Damaged() || (s.pages > 0 && delta == 0)) break;
            page += delta;
            ++s.pages;
            s.bytes += length;
            if (page >= tables.lastPage[code]) break;
            cursor.SkipRestOfEntry(length);
        }
        stats.push_back(s);
    }
    std::sort(stats.begin(), stats.end(),
              [](const CodeStats& a, const CodeStats& b) { return a.bytes > b.bytes; });
    return stats;
}

// The longest run of indexed characters among the given pages' bytes.
std::u32string SampleRun(CIndex& index, std::uint32_t firstRecord) {
    std::u32string best;
    for (std::uint32_t record = firstRecord; record < firstRecord + 50; ++record) {
        std::string page;
        if (!index.ReadPage(record, page)) break;
        std::u32string run;
        for (char32_t cp : DecodeUtf8(page) + U"<") {
            if (engine::IndexCodeOf(cp) >= 0 && cp != 0xFF1F) {
                run += cp;
                continue;
            }
            if (run.size() > best.size()) best = run;
            run.clear();
        }
        if (best.size() >= 40) break;
    }
    return best;
}

struct Query {
    std::string name;
    std::u16string text;
    bool isAnd = true;
};

std::vector<Query> PickQueries(CIndex& index) {
    const std::vector<CodeStats> stats = Statistics(index);
    std::vector<Query> queries;
    if (stats.size() < 30) return queries;
    std::vector<std::uint32_t> pagesOf(27648, 0);
    for (const CodeStats& s : stats) pagesOf[static_cast<std::size_t>(s.code)] = s.pages;
    auto ch = [&](std::size_t rank) { return std::u32string(1, CodePointOf(stats[rank].code)); };
    const std::u32string f1 = ch(0);
    const std::u32string f2 = ch(1);
    const std::u32string f20 = ch(19);
    // A rare character: the most frequent one found on at most three pages.
    std::u32string rare;
    for (const CodeStats& s : stats) {
        if (s.pages <= 3) {
            rare = std::u32string(1, CodePointOf(s.code));
            break;
        }
    }

    const std::u32string run = SampleRun(index, index.PageStore().RecordCount() / 2);
    if (run.size() < 12) return queries;
    // The three consecutive characters of the sample whose most frequent is rarest.
    std::size_t rareAt = 0;
    std::uint32_t rareWorst = UINT32_MAX;
    for (std::size_t i = 0; i + 3 <= run.size(); ++i) {
        std::uint32_t worst = 0;
        for (std::size_t k = 0; k < 3; ++k) {
            const int code = engine::IndexCodeOf(run[i + k]);
            worst = std::max(worst, code < 27648 ? pagesOf[static_cast<std::size_t>(code)] : 0u);
        }
        if (worst < rareWorst) {
            rareWorst = worst;
            rareAt = i;
        }
    }
    const std::u32string p2 = run.substr(0, 2);
    const std::u32string p4 = run.substr(2, 4);
    const std::u32string p7 = run.substr(4, 7);
    const std::u32string q3 = run.substr(1, 1) + U"?" + run.substr(3, 1);
    const std::u32string s2 = run.substr(5, 1) + U"*" + run.substr(9, 1);

    auto add = [&queries](std::string name, const std::u32string& text, bool isAnd = true) {
        queries.push_back({std::move(name), Utf16(text), isAnd});
    };
    add("char/frequent1", f1);
    add("char/frequent20", f20);
    add("char/rare", rare);
    add("phrase2", p2);
    add("phrase2/frequent", f1 + f2);
    add("phrase4", p4);
    add("phrase7", p7);
    add("phrase3/rare", run.substr(rareAt, 3));
    add("question/sample", q3);
    add("question/frequent", f1 + U"?" + f2);
    add("star/sample", s2);
    add("star/frequent", f1 + U"*" + f2);
    add("and/frequent", f1 + U" " + f2);
    add("and/phrases", p2 + U" " + p4);
    add("or/frequent", f1 + U" " + f2, false);
    add("or/phrases", p2 + U" " + p4, false);
    // The most a query may ask for: kMaxQueryTerms different terms of the
    // most frequent characters, as pairs, '?' and '*' terms.
    std::u32string pairs, questions, stars;
    for (std::size_t i = 0; i < engine::kMaxQueryTerms; ++i) {
        const std::u32string a = ch(i % 8);
        const std::u32string b = ch(8 + i / 8);
        const std::u32string space = i == 0 ? U"" : U" ";
        pairs += space + a + b;
        questions += space + a + U"?" + b;
        stars += space + a + U"*" + b;
    }
    add("limit/or-pairs", pairs, false);
    add("limit/and-pairs", pairs);
    add("limit/or-question", questions, false);
    add("limit/or-star", stars, false);
    return queries;
}

// A Zipf-distributed text over 6,000 characters, pages of about 1,000.
bool WriteSyntheticCorpus(const std::string& dir, std::size_t characters) {
    std::mt19937 random(2024);
    std::vector<double> weights;
    for (int i = 0; i < 6000; ++i) weights.push_back(1.0 / (i + 1));
    std::discrete_distribution<int> zipf(weights.begin(), weights.end());
    std::vector<std::u32string> pages;
    std::vector<std::string> stored;
    for (std::size_t made = 0; made < characters;) {
        std::u32string page;
        const std::size_t length = 600 + random() % 800;
        for (std::size_t k = 0; k < length; ++k)
            page += static_cast<char32_t>(0x4E00 + zipf(random));
        made += length;
        stored.push_back("<p>" + Utf8(page) + "</p>");
        pages.push_back(std::move(page));
    }
    enginetest::IndexWriter writer;
    writer.AddPages(0, pages);
    return enginetest::WriteIndex(dir, "Index", "",
                                  writer.Build(enginetest::BlockOrder::Sequential)) &&
           enginetest::WritePageStore(dir, "Index", stored,
                                      static_cast<std::int32_t>(pages.size()));
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    const char* data = std::getenv("ORVALE_BENCH_DATA");
    const char* synthetic = std::getenv("ORVALE_BENCH_SYNTHETIC");
    enginetest::TempDir generated;
    std::string dir;
    if (data != nullptr && *data != '\0') {
        dir = data;
    } else if (synthetic != nullptr && *synthetic != '\0') {
        dir = generated.Path();
        if (!WriteSyntheticCorpus(dir, std::strtoull(synthetic, nullptr, 10))) {
            std::fprintf(stderr, "bench_search: could not write a corpus into %s\n", dir.c_str());
            return 1;
        }
    } else {
        std::printf(
            "bench_search: skipped: set ORVALE_BENCH_DATA to a corpus folder "
            "(or ORVALE_BENCH_SYNTHETIC to a number of characters)\n");
        return 0;
    }

    static CIndex index;
    if (!index.Load(dir, "Index", engine::Full)) {
        std::fprintf(stderr, "bench_search: cannot open the corpus in %s\n", dir.c_str());
        return 1;
    }
    if (const char* budget = std::getenv("ORVALE_BENCH_TABLE_BUDGET")) {
        index.SetEntryTableBudget(static_cast<std::size_t>(std::strtoull(budget, nullptr, 10)));
    }
    const std::vector<Query> queries = PickQueries(index);
    if (queries.empty()) {
        std::fprintf(stderr, "bench_search: the corpus is too small to pick queries from\n");
        return 1;
    }
    for (const Query& query : queries) {
        for (bool variants : {true, false}) {
            const std::string name = query.name + (variants ? "/variants" : "/plain");
            benchmark::RegisterBenchmark(name.c_str(), [query, variants](benchmark::State& state) {
                std::u16string buffer;
                for (auto _ : state) {
                    buffer = query.text;
                    if (query.isAnd) {
                        index.SearchAnd(buffer, true, variants);
                    } else {
                        index.SearchOr(buffer, true, variants);
                    }
                    benchmark::DoNotOptimize(index.GetHitPages().data());
                }
                std::uint64_t places = 0;
                for (std::uint32_t count : index.GetHitCounts()) places += count;
                state.counters["pages"] = static_cast<double>(index.HitPageCount());
                state.counters["places"] = static_cast<double>(places);
            })->Unit(benchmark::kMillisecond);
        }
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
