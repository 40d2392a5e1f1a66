// The accelerator files from the shell: orvale-build leaves them out or adds
// them to an existing corpus, refuses a folder that is not a corpus, and
// orvale-cli answers the same with or without them, saying once when it runs
// without.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/tools/corpusfiles.h"
#include "tests/tools/program.h"

namespace toolstest {
namespace {

constexpr const char* kWithout = "高速化ファイルなしで検索します";

// 2,000 pages: 甲 and 乙 on every page, side by side on every eighth, so
// both get ready-made tables and the pair a page list.
std::string Source() {
    std::string source;
    for (int volume = 0; volume < 20; ++volume) {
        source += R"({"category": "詩", "title": "唐詩", "volume": "巻)" + std::to_string(volume) +
                  R"(", "pages": [)";
        for (int page = 0; page < 100; ++page) {
            source += page > 0 ? "," : "";
            source +=
                page % 8 == 0 ? R"({"runs": ["甲乙丙丁甲丙"]})" : R"({"runs": ["甲丙乙丁乙"]})";
        }
        source += "]}\n";
    }
    return source;
}

std::vector<std::string> Names(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::size_t Count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = 0; (at = text.find(what, at)) != std::string::npos; at += what.size())
        ++n;
    return n;
}

// orvale-cli with args on the corpus folder.
RunResult Search(const std::string& corpus, std::vector<std::string> args) {
    args.insert(args.begin(), {"--data", corpus});
    return RunProgram(CliExe(), args);
}

TEST(AcceleratorFiles, LeftOutAddedLaterAndSameResults) {
    TempDir dir;
    WriteFile(dir / "source.jsonl", Source());
    const std::string corpus = (dir / "corpus").string();
    const RunResult built =
        RunProgram(BuildExe(), {(dir / "source.jsonl").string(), corpus, "--no-accelerator"});
    ASSERT_EQ(built.status, 0) << built.err;
    for (const std::string& name : Names(corpus)) EXPECT_EQ(name.find(".acc"), std::string::npos);

    const std::vector<std::vector<std::string>> searches = {
        {"search", "--raw", "甲乙"},
        {"search", "--raw", "乙丁甲"},
        {"search", "--raw", "甲"},
        {"search", "--raw", "--scope", "main", "丙乙丁"}};
    std::vector<std::string> plain;
    for (const std::vector<std::string>& args : searches) {
        const RunResult run = Search(corpus, args);
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(Count(run.err, kWithout), 1u) << run.err;
        plain.push_back(run.out);
    }
    EXPECT_FALSE(plain[0].empty());

    const RunResult added = RunProgram(BuildExe(), {"--accelerate", corpus});
    ASSERT_EQ(added.status, 0) << added.err;
    const std::vector<std::string> names = Names(corpus);
    for (const char* file : {"Index-idx.acc", "Index_content-idx.acc", "Index_desc-idx.acc"})
        EXPECT_TRUE(std::count(names.begin(), names.end(), file) == 1) << file;
    for (std::size_t k = 0; k < searches.size(); ++k) {
        const RunResult run = Search(corpus, searches[k]);
        EXPECT_EQ(run.out, plain[k]);
        EXPECT_EQ(Count(run.err, kWithout), 0u) << run.err;
    }

    // A cut or changed file is ignored: the same results, said once.
    const auto acc = std::filesystem::path(corpus) / "Index-idx.acc";
    const std::string intact = ReadFile(acc.string());
    for (const std::string& spoilt :
         {intact.substr(0, intact.size() / 2), intact.substr(0, intact.size() - 8) + "12345678",
          std::string(intact.size(), 'x')}) {
        WriteFile(acc, spoilt);
        const RunResult run = Search(corpus, {"search", "--raw", "甲乙"});
        EXPECT_EQ(run.out, plain[0]);
        EXPECT_EQ(Count(run.err, kWithout), 1u) << run.err;
    }
}

// An accelerator whose sizes match the index but whose header tables do not
// is found out when a search first asks it for something: a search it holds
// nothing for pays for no check and says nothing, one it holds something for
// says once that it runs without, and both answer as without the file.
TEST(AcceleratorFiles, StaleFileOfTheSameSizesIsFoundAtItsFirstUse) {
    TempDir dir;
    WriteFile(dir / "source.jsonl",
              Source() + R"({"category": "詩", "title": "宋詩", "volume": "巻一", "pages": [)"
                         R"({"runs": ["戊甲"]}]})"
                         "\n");
    const std::string corpus = (dir / "corpus").string();
    const RunResult built = RunProgram(BuildExe(), {(dir / "source.jsonl").string(), corpus});
    ASSERT_EQ(built.status, 0) << built.err;
    const std::vector<std::vector<std::string>> searches = {{"search", "--raw", "戊"},
                                                            {"search", "--raw", "甲乙"}};
    std::vector<std::string> expected;
    for (const std::vector<std::string>& args : searches) {
        const RunResult run = Search(corpus, args);
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(Count(run.err, kWithout), 0u) << run.err;
        expected.push_back(run.out);
    }

    // Table B (block counts per code) is informative: zeroing it leaves every
    // result as it was and every size, but not the tables' checksum. The
    // manifest would refuse the changed file, so it goes.
    std::filesystem::remove(std::filesystem::path(corpus) / "corpus.id");
    const auto header = std::filesystem::path(corpus) / "Index-idx.h";
    std::string bytes = ReadFile(header);
    ASSERT_GT(bytes.size(), 600000u);
    const std::string zeros(200000, '\0');
    ASSERT_NE(bytes.substr(400000, 200000), zeros);
    bytes.replace(400000, 200000, zeros);
    WriteFile(header, bytes);

    const std::vector<std::size_t> notices = {0, 1};
    for (std::size_t k = 0; k < searches.size(); ++k) {
        const RunResult run = Search(corpus, searches[k]);
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out, expected[k]);
        EXPECT_EQ(Count(run.err, "別の索引"), notices[k]) << run.err;
        EXPECT_EQ(Count(run.err, kWithout), notices[k]) << run.err;
    }
}

TEST(AcceleratorFiles, AccelerateRefusesAFolderThatIsNotACorpus) {
    TempDir dir;
    std::filesystem::create_directory(dir / "empty");
    std::filesystem::create_directory(dir / "other");
    WriteFile(dir / "other" / "notes.txt", "not a corpus");
    WriteFile(dir / "other" / "Index-idx.h", "too short");
    for (const char* folder : {"empty", "other", "absent"}) {
        const auto path = dir / folder;
        const bool existed = std::filesystem::exists(path);
        const std::vector<std::string> before = existed ? Names(path) : std::vector<std::string>{};
        const RunResult run = RunProgram(BuildExe(), {"--accelerate", path.string()});
        EXPECT_EQ(run.status, 2) << folder;
        EXPECT_NE(run.err.find("is not a corpus folder"), std::string::npos) << run.err;
        EXPECT_EQ(std::filesystem::exists(path), existed) << folder;
        if (existed) {
            EXPECT_EQ(Names(path), before) << folder;
        }
    }
}

}  // namespace
}  // namespace toolstest
