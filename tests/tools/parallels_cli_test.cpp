// orvale-cli parallels on a small corpus built by orvale-build: shared runs
// across a paragraph break, an annotation boundary and punctuation, variant
// forms, ranking, the output forms and the refusals.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/tools/program.h"

namespace toolstest {
namespace {

// Record 0 is the passage page. 1 shares 處處聞啼鳥 across a note, 2 shares
// 不覺曉處處 across a paragraph break, 3 only 花落知多 (four), 4 shares
// 夜來風雨聲花落 (the passage has 。 between), 5 春眠不覺曉 with 覺 written 觉.
const char* const kSource =
    R"({"category": "詩", "title": "唐詩", "volume": "巻一", "first_page": 1, "pages": [)"
    R"({"runs": ["春眠不覺曉。處處聞啼鳥。\n夜來風雨聲。花落知多少"]},)"
    R"({"runs": ["甲處處聞", {"note": "啼鳥"}, "乙"]},)"
    R"({"runs": ["丙不覺\n曉。處處丁"]},)"
    R"({"runs": ["花落知多甲"]}]})"
    "\n"
    R"({"category": "詞", "title": "宋詞", "volume": "巻二", "pages": [)"
    R"({"runs": ["子夜來風雨聲花落丑"]}, {"runs": ["春眠不觉曉"]}]})"
    "\n";

class ParallelsCli : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        s_dir = new TempDir;
        WriteFile(*s_dir / "source.jsonl", kSource);
        WriteFile(*s_dir / "variants.txt", "89BA,89C9\n");
        const RunResult run = RunProgram(
            BuildExe(), {(*s_dir / "source.jsonl").string(), (*s_dir / "corpus").string(),
                         "--variants", (*s_dir / "variants.txt").string()});
        ASSERT_EQ(run.status, 0) << run.err;
    }
    static void TearDownTestSuite() { delete s_dir; }

    static RunResult Run(std::vector<std::string> args) {
        args.insert(args.begin(), {"--data", (*s_dir / "corpus").string(), "parallels"});
        return RunProgram(CliExe(), args);
    }
    static TempDir* s_dir;
};

TempDir* ParallelsCli::s_dir = nullptr;

TEST_F(ParallelsCli, RanksThePagesSharingRuns) {
    struct Case {
        std::vector<std::string> args;
        std::string out;
    };
    const Case cases[] = {
        {{"--record", "0"},
         "詞\t宋詞\t巻二\t1\t4\t7\t1\t夜來風雨聲花落\n"
         "詩\t唐詩\t巻一\t2\t1\t5\t1\t處處聞啼鳥\n"
         "詩\t唐詩\t巻一\t3\t2\t5\t1\t不覺／曉。處處\n"
         "詞\t宋詞\t巻二\t2\t5\t5\t1\t春眠不觉曉\n"},
        {{"--record", "0", "--no-variants"},
         "詞\t宋詞\t巻二\t1\t4\t7\t1\t夜來風雨聲花落\n"
         "詩\t唐詩\t巻一\t2\t1\t5\t1\t處處聞啼鳥\n"
         "詩\t唐詩\t巻一\t3\t2\t5\t1\t不覺／曉。處處\n"},
        {{"--record", "0", "--min", "7"}, "詞\t宋詞\t巻二\t1\t4\t7\t1\t夜來風雨聲花落\n"},
        // A text is compared with every page, its own source page included.
        {{"--text", "知多少。花落知多", "--min", "4"},
         "詩\t唐詩\t巻一\t1\t0\t4\t1\t花落知多\n"
         "詩\t唐詩\t巻一\t4\t3\t4\t1\t花落知多\n"},
        {{"--text", "甲乙丙丁戊己"}, ""},
    };
    for (const Case& c : cases) {
        const RunResult run = Run(c.args);
        EXPECT_EQ(run.status, 0) << c.args[1] << run.err;
        EXPECT_EQ(run.out, c.out) << c.args[1];
    }
}

TEST_F(ParallelsCli, JsonCarriesTheContext) {
    const RunResult run = Run({"--record", "0", "--min", "7", "--json"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find(R"("pages":1)"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find(R"("record":4,"longest":7,"runs":1)"), std::string::npos) << run.out;
    EXPECT_NE(
        run.out.find(R"("page_text":{"before":"子","shared":"夜來風雨聲花落","after":"丑"})"),
        std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find(R"("passage_text":{"before":"處處聞啼鳥。／",)"), std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find(R"("formulas":[])"), std::string::npos) << run.out;
}

TEST_F(ParallelsCli, RefusesWhatCannotBeAnswered) {
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string err;  // part of the message
    };
    const Case cases[] = {
        {{"--text", "春眠不覺"}, 2, "字数が少なすぎます"},
        {{"--text", "春。眠、不abc覺"}, 2, "字数が少なすぎます"},
        {{"--record", "0", "--min", "2"}, 2, "--min"},
        {{"--record", "0", "--min", "21"}, 2, "--min"},
        {{"--record", "9"}, 1, "page record 9"},
        {{"--record", "0", "--text", "春眠不覺曉"}, 2, "excludes"},
        {{"--json"}, 2, "--record or --text"},
    };
    for (const Case& c : cases) {
        const RunResult run = Run(c.args);
        EXPECT_EQ(run.status, c.status) << c.args[0] << " " << run.err;
        EXPECT_NE(run.err.find(c.err), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "");
    }
}

}  // namespace
}  // namespace toolstest
