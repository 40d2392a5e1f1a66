// ours_query: times our engine in-process on a query mix, for the comparison
// with the peer engines (run_peers.py).
//
//   ours_query DATA_DIR QUERIES.tsv [--runs N] [--pages FILE] [--no-fresh]
//   ours_query DATA_DIR --startup
//
// QUERIES.tsv: one query a line, "ID<TAB>AND|OR<TAB>keywords" (UTF-8, terms
// separated by spaces). Every query runs with hit counting on and variants
// off on the whole-text index. For each query one line goes to stdout:
//   ID  first_ms  warm_median_ms  pages  hits  chain_bytes  floor_ms
// first_ms: the query's first run in a fresh process (a forked child that
// loads the index, checks its accelerator as the reader window does at start,
// and runs only that query: no per-character tables built yet; the page cache is whatever the
// machine holds; -1 with --no-fresh, which skips them, e.g. under a profiler). warm_median_ms: the
// median of N runs after one warm-up in this process. first_cpu_ms: the
// CPU time of that first run, which a machine shared with other
// jobs inflates less than the wall time; first_faults (after it): the page
// faults of that first run, mapped file pages and fresh heap pages alike. chain_bytes: the bytes
// of the postings streams of the query's characters (one stream per
// character of every term), floor_ms: the median time to sum that many bytes
// from memory (caches evicted first), the least any reader of those streams must spend.
// --pages writes "ID<TAB>sorted record indexes" for the agreement check.
// --startup times Load of the whole-text index and the catalogue load and
// prints the resident memory afterwards.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iostream>
#include <numeric>
#include <sstream>
#include <string>
#include <vector>

#include "engine/index.h"
#include "engine/indexcode.h"
#include "panel/catalogue.h"

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double Median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

std::u32string DecodeUtf8(const std::string& s) {
    std::u32string out;
    for (std::size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        int n = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : 4;
        char32_t cp = n == 1 ? b : n == 2 ? (b & 0x1F) : n == 3 ? (b & 0x0F) : (b & 0x07);
        for (int k = 1; k < n && i + k < s.size(); ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
        out.push_back(cp);
        i += static_cast<std::size_t>(n);
    }
    return out;
}

std::u16string ToUtf16(const std::u32string& s) {
    std::u16string out;
    for (char32_t cp : s) {
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
    }
    return out;
}

struct Query {
    std::string id;
    bool orMode = false;
    std::u16string keywords;
    std::vector<int> codes;  // one per indexed character of every term
};

bool ReadQueries(const std::string& path, std::vector<Query>& queries) {
    std::ifstream in(path);
    if (!in) return false;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        const auto tab1 = line.find('\t');
        const auto tab2 = line.find('\t', tab1 + 1);
        if (tab1 == std::string::npos || tab2 == std::string::npos) return false;
        Query q;
        q.id = line.substr(0, tab1);
        q.orMode = line.substr(tab1 + 1, tab2 - tab1 - 1) == "OR";
        const std::u32string text = DecodeUtf8(line.substr(tab2 + 1));
        q.keywords = ToUtf16(text);
        for (char32_t cp : text)
            if (cp != U'*' && cp != U'?' && cp != U'\uFF1F' && engine::IndexCodeOf(cp) >= 0)
                q.codes.push_back(engine::IndexCodeOf(cp));
        queries.push_back(std::move(q));
    }
    return true;
}

int Run(engine::CIndex& index, const Query& q) {
    std::u16string keywords = q.keywords;
    return q.orMode ? index.SearchOr(keywords, true, false)
                    : index.SearchAnd(keywords, true, false);
}

// The length of one code's postings stream: its page entries up to the one
// of the code's last page, read over the block chain.
std::uint64_t StreamBytes(const engine::PostingsTables& t, int code) {
    const std::uint32_t first = t.firstBlock[code];
    if (first == engine::kNoPostings) return 0;
    const auto& v = t.view;
    std::uint32_t block = first;
    std::uint32_t offset = 0;
    std::uint64_t total = 0;
    std::uint64_t steps = 0;
    auto byte = [&]() -> std::uint8_t {
        if (offset == engine::kBlockSize) {
            block = block < v.blockCount ? v.nextBlock[block] : v.blockCount;
            offset = 0;
        }
        const std::uint64_t at = std::uint64_t{block} * engine::kBlockSize + offset++;
        ++total;
        return at < v.size ? v.bytes[at] : 0;
    };
    std::uint32_t page = 0;
    const std::uint32_t last = t.lastPage[code];
    while (steps++ < v.size) {
        const std::uint8_t b0 = byte();
        std::uint32_t delta = b0;
        if (b0 >= 0xC0)
            delta = ((b0 & 0x3Fu) << 16) | (std::uint32_t{byte()} << 8) | byte();
        else if (b0 >= 0x80)
            delta = ((b0 & 0x3Fu) << 8) | byte();
        page += delta;
        std::uint32_t length = byte();
        length |= std::uint32_t{byte()} << 8;
        total += length;
        offset += length;
        while (offset > engine::kBlockSize) {
            block = block < v.blockCount ? v.nextBlock[block] : v.blockCount;
            offset -= engine::kBlockSize;
        }
        if (page >= last) break;
    }
    return total;
}

// Median time to sum `bytes` bytes of buf, 8 bytes at a time, each run after
// reading an eviction buffer larger than the caches: the bytes come from
// memory, as the postings of a query that was not just run would.
double FloorMs(const std::vector<std::uint64_t>& buf, const std::vector<std::uint64_t>& evict,
               std::uint64_t bytes) {
    const std::size_t words = std::min<std::size_t>(buf.size(), (bytes + 7) / 8);
    std::vector<double> times;
    volatile std::uint64_t sink = 0;
    for (int r = 0; r < 5; ++r) {
        std::uint64_t e = 0;
        for (std::size_t i = 0; i < evict.size(); i += 8) e += evict[i];
        sink = sink + e;
        const auto start = Clock::now();
        std::uint64_t s0 = 0, s1 = 0, s2 = 0, s3 = 0;
        std::size_t i = 0;
        for (; i + 4 <= words; i += 4) {
            s0 += buf[i];
            s1 += buf[i + 1];
            s2 += buf[i + 2];
            s3 += buf[i + 3];
        }
        for (; i < words; ++i) s0 += buf[i];
        sink = sink + s0 + s1 + s2 + s3;
        times.push_back(MsSince(start));
    }
    return Median(times);
}

double CpuMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

long PageFaults() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt + usage.ru_majflt;
}

long ResidentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    return -1;
}

int Startup(const std::string& dataDir) {
    const auto start = Clock::now();
    engine::CIndex index;
    if (!index.Load(dataDir, "Index", engine::Full)) {
        std::cerr << "ours_query: cannot load the corpus in " << dataDir << "\n";
        return 1;
    }
    const double loadMs = MsSince(start);
    const long faults = PageFaults();
    const auto catalogueStart = Clock::now();
    panel::Catalogue catalogue;
    const auto result = catalogue.LoadCatalogue(dataDir, "");
    const double catalogueMs = MsSince(catalogueStart);
    std::printf(
        "load_ms\t%.2f\ncatalogue_ms\t%.2f\ncatalogue_faults\t%ld\ncatalogue_records\t%d\n"
        "total_ms\t%.2f\nrss_kib\t%ld\n",
        loadMs, catalogueMs, PageFaults() - faults, result.records, MsSince(start), ResidentKiB());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::cerr
            << "usage: ours_query DATA_DIR QUERIES.tsv [--runs N] [--pages FILE] [--no-fresh]\n"
               "       ours_query DATA_DIR --startup\n";
        return 2;
    }
    const std::string dataDir = argv[1];
    if (std::string(argv[2]) == "--startup") return Startup(dataDir);
    int runs = 11;
    bool fresh = true;
    std::string pagesPath;
    for (int i = 3; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--no-fresh") fresh = false;
        if (arg == "--runs" && i + 1 < argc) runs = std::max(1, std::atoi(argv[++i]));
        if (arg == "--pages" && i + 1 < argc) pagesPath = argv[++i];
    }
    std::vector<Query> queries;
    if (!ReadQueries(argv[2], queries)) {
        std::cerr << "ours_query: cannot read the queries in " << argv[2] << "\n";
        return 2;
    }

    // First runs, each in a fresh process.
    std::vector<double> firstMs(queries.size(), -1);
    std::vector<double> firstCpuMs(queries.size(), -1);
    std::vector<double> firstFaults(queries.size(), -1);
    for (std::size_t i = 0; fresh && i < queries.size(); ++i) {
        int fds[2];
        if (pipe(fds) != 0) return 1;
        const pid_t child = fork();
        if (child == 0) {
            close(fds[0]);
            engine::CIndex index;
            double ms[3] = {-1, -1, -1};
            if (index.Load(dataDir, "Index", engine::Full)) {
                // As the reader window does at start, before anyone searches.
                index.CheckAcceleratorNow();
                const long faults = PageFaults();
                const double cpu = CpuMs();
                const auto start = Clock::now();
                Run(index, queries[i]);
                ms[0] = MsSince(start);
                ms[1] = CpuMs() - cpu;
                ms[2] = static_cast<double>(PageFaults() - faults);
            }
            if (write(fds[1], ms, sizeof ms) != sizeof ms) _exit(1);
            _exit(0);
        }
        close(fds[1]);
        double ms[3] = {-1, -1, -1};
        if (read(fds[0], ms, sizeof ms) == sizeof ms) {
            firstMs[i] = ms[0];
            firstCpuMs[i] = ms[1];
            firstFaults[i] = ms[2];
        }
        close(fds[0]);
        int status = 0;
        waitpid(child, &status, 0);
    }

    engine::CIndex index;
    if (!index.Load(dataDir, "Index", engine::Full)) {
        std::cerr << "ours_query: cannot load the corpus in " << dataDir << "\n";
        return 1;
    }
    const engine::PostingsTables tables = index.Tables();
    std::vector<std::uint64_t> chainBytes(queries.size(), 0);
    std::uint64_t largest = 0;
    for (std::size_t i = 0; i < queries.size(); ++i) {
        for (int code : queries[i].codes) chainBytes[i] += StreamBytes(tables, code);
        largest = std::max(largest, chainBytes[i]);
    }
    std::vector<std::uint64_t> buffer((largest + 7) / 8 + 1);
    std::iota(buffer.begin(), buffer.end(), std::uint64_t{1});
    std::vector<std::uint64_t> evict(std::size_t{64} << 17, 3);  // 64 MiB

    std::ofstream pagesOut;
    if (!pagesPath.empty()) pagesOut.open(pagesPath);
    std::printf(
        "id\tfirst_ms\twarm_ms\tpages\thits\tchain_bytes\tfloor_ms\tfirst_cpu_ms\tfirst_faults\n");
    for (std::size_t i = 0; i < queries.size(); ++i) {
        const Query& q = queries[i];
        Run(index, q);  // warm-up: builds what the engine keeps between searches
        std::vector<double> times;
        for (int r = 0; r < runs; ++r) {
            const auto start = Clock::now();
            Run(index, q);
            times.push_back(MsSince(start));
        }
        const auto& pages = index.GetHitPages();
        const auto& counts = index.GetHitCounts();
        const std::uint64_t hits = std::accumulate(counts.begin(), counts.end(), std::uint64_t{0});
        std::printf("%s\t%.4f\t%.4f\t%zu\t%llu\t%llu\t%.4f\t%.4f\t%.0f\n", q.id.c_str(), firstMs[i],
                    Median(times), pages.size(), static_cast<unsigned long long>(hits),
                    static_cast<unsigned long long>(chainBytes[i]),
                    FloorMs(buffer, evict, chainBytes[i]), firstCpuMs[i], firstFaults[i]);
        std::fflush(stdout);
        if (pagesOut) {
            std::vector<std::uint32_t> sorted(pages.begin(), pages.end());
            std::sort(sorted.begin(), sorted.end());
            pagesOut << q.id << '\t';
            for (std::size_t k = 0; k < sorted.size(); ++k) pagesOut << (k ? " " : "") << sorted[k];
            pagesOut << '\n';
        }
    }
    std::fprintf(stderr, "resident after the mix: %ld KiB\n", ResidentKiB());
    return 0;
}
