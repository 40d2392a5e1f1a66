// Readers during rebuilds: a builder alternates two sources into one corpus
// folder while readers search it with orvale-cli; every answer must be the
// answer of one of the two corpora, never a mix. A reader may find no corpus
// for a moment (the open-failure message); that is counted, not an error.
//
// Runs for ORVALE_REBUILD_SECONDS seconds (default 30); ctest label "long".
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "tests/tools/program.h"

namespace toolstest {
namespace {

using Clock = std::chrono::steady_clock;

// Two corpora that answer 山 differently in pages, counts and titles, and
// whose files differ in length.
const char* const kSourceA = R"({"category": "甲類", "title": "甲書", "volume": "甲巻", "pages": [)"
                             R"({"runs": ["山山水"]}, {"runs": ["水"]}, {"runs": ["山"]}]})"
                             "\n";
const char* const kSourceB =
    R"({"category": "乙類", "title": "乙書", "volume": "乙巻", "first_page": 5, "pages": [)"
    R"({"runs": ["水水"]}, {"runs": ["山水山水山"]}]})"
    "\n"
    R"({"category": "乙類", "title": "丙書", "volume": "丙巻", "pages": [{"runs": ["川山"]}]})"
    "\n";

int Seconds() {
    const char* text = std::getenv("ORVALE_REBUILD_SECONDS");
    const int seconds = text ? std::atoi(text) : 30;
    return seconds > 0 ? seconds : 30;
}

struct Answers {
    std::vector<std::string> args;
    std::string a;
    std::string b;
};

// A reader whose folder is replaced after it opened the index files, but
// before it reached the optional accelerator file, searches without the
// accelerator and says so: the same hits, one line more on stderr.
std::string WithoutAcceleratorNotice(std::string err) {
    const std::size_t at = err.find("-idx.acc");
    if (at == std::string::npos) return err;
    const std::size_t start = err.rfind('\n', at);
    const std::size_t end = err.find('\n', at);
    const std::size_t from = start == std::string::npos ? 0 : start + 1;
    err.erase(from, end == std::string::npos ? std::string::npos : end - from + 1);
    return err;
}

TEST(RebuildConcurrency, ReadersNeverMixTwoCorpora) {
    TempDir dir;
    WriteFile(dir / "a.jsonl", kSourceA);
    WriteFile(dir / "b.jsonl", kSourceB);
    const std::string folder = (dir / "corpus").string();
    const auto build = [&](const char* source) {
        return RunProgram(BuildExe(), {(dir / source).string(), folder});
    };
    std::vector<Answers> queries = {{{"search", "--raw", "山"}, "", ""},
                                    {{"search", "--json", "山"}, "", ""},
                                    {{"search", "山水"}, "", ""},
                                    {{"page", "1"}, "", ""}};
    for (const char* source : {"a.jsonl", "b.jsonl"}) {
        ASSERT_EQ(build(source).status, 0);
        for (Answers& query : queries) {
            std::vector<std::string> args = {"--data", folder};
            args.insert(args.end(), query.args.begin(), query.args.end());
            const RunResult run = RunProgram(CliExe(), args);
            ASSERT_EQ(run.status, 0) << run.err;
            (source[0] == 'a' ? query.a : query.b) = run.out + run.err;
        }
    }
    for (const Answers& query : queries) ASSERT_NE(query.a, query.b) << query.args.back();

    const auto deadline = Clock::now() + std::chrono::seconds(Seconds());
    std::atomic<int> builds{0}, answers{0}, mixed{0}, noCorpus{0}, other{0};
    std::thread builder([&] {
        for (int i = 0; Clock::now() < deadline; ++i) {
            if (build(i % 2 == 0 ? "a.jsonl" : "b.jsonl").status == 0) ++builds;
        }
    });
    std::vector<std::thread> readers;
    for (int r = 0; r < 3; ++r) {
        readers.emplace_back([&, r] {
            for (std::size_t i = r; Clock::now() < deadline; ++i) {
                const Answers& query = queries[i % queries.size()];
                std::vector<std::string> args = {"--data", folder};
                args.insert(args.end(), query.args.begin(), query.args.end());
                const RunResult run = RunProgram(CliExe(), args);
                const std::string answer = run.out + WithoutAcceleratorNotice(run.err);
                if (run.status == 0) {
                    ++answers;
                    if (answer != query.a && answer != query.b) {
                        ++mixed;
                        ADD_FAILURE() << "mixed answer to " << query.args.back() << ":\n" << answer;
                    }
                } else if (run.status == 1 && run.err == "データを開けませんでした。\n") {
                    ++noCorpus;
                } else {
                    ++other;
                    ADD_FAILURE() << "status " << run.status << ": " << run.err;
                }
            }
        });
    }
    builder.join();
    for (std::thread& reader : readers) reader.join();
    std::printf("%d builds, %d answers, %d mixed, %d without a corpus, %d other\n", builds.load(),
                answers.load(), mixed.load(), noCorpus.load(), other.load());
    EXPECT_EQ(mixed, 0);
    EXPECT_EQ(other, 0);
    EXPECT_GT(builds, 1);
    EXPECT_GT(answers, 0);
}

}  // namespace
}  // namespace toolstest
