// orvale-cli on a small corpus built by orvale-build: outputs and exit
// statuses of every command.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/index.h"
#include "tests/tools/corpusfiles.h"
#include "tests/tools/program.h"

namespace toolstest {
namespace {

// Records: 0 = page 11 (甲乙甲, note 乙), 1 = page 12 (丙甲), 2 = page 1 of
// the next volume (丁乙). Variant group: 甲 and 丁.
const char* const kSource =
    R"({"category": "詩", "title": "唐詩", "volume": "巻一", "first_page": 11, "pages": [)"
    R"({"runs": ["甲乙甲", {"note": "乙"}]}, {"runs": ["丙甲"]}]})"
    "\n"
    R"({"category": "詩", "title": "唐詩", "volume": "巻二", "pages": [{"runs": ["丁乙"]}]})"
    "\n";

class Cli : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        s_dir = new TempDir;
        WriteFile(*s_dir / "source.jsonl", kSource);
        WriteFile(*s_dir / "variants.txt", "7532,4E01\n");
        const RunResult run = RunProgram(
            BuildExe(), {(*s_dir / "source.jsonl").string(), (*s_dir / "corpus").string(),
                         "--variants", (*s_dir / "variants.txt").string()});
        ASSERT_EQ(run.status, 0) << run.err;
    }
    static void TearDownTestSuite() { delete s_dir; }

    static RunResult Run(std::vector<std::string> args) {
        args.insert(args.begin(), {"--data", (*s_dir / "corpus").string()});
        return RunProgram(CliExe(), args);
    }
    static TempDir* s_dir;
};

TempDir* Cli::s_dir = nullptr;

TEST_F(Cli, SearchRawPrintsTheEnginesHitList) {
    struct Case {
        std::vector<std::string> args;
        const char* out;
    };
    const Case cases[] = {
        {{"search", "--raw", "甲"}, "0\t2\n1\t1\n2\t1\n"},  // 丁 is a variant of 甲
        {{"search", "--raw", "--no-variants", "甲"}, "0\t2\n1\t1\n"},
        {{"search", "--raw", "甲乙"}, "0\t2\n2\t1\n"},  // 乙 of the note follows
        {{"search", "--raw", "--no-variants", "甲", "乙"}, "0\t4\n"},
        {{"search", "--raw", "--or", "--no-variants", "丁", "甲"}, "2\t1\n0\t2\n1\t1\n"},
        {{"search", "--raw", "--scope", "notes", "乙"}, "0\t1\n"},
        {{"search", "--raw", "--scope", "main", "乙"}, "0\t1\n2\t1\n"},
        {{"search", "--raw", "--no-variants", "甲?甲"}, "0\t1\n"},
        {{"search", "--raw", "鳥"}, ""},
    };
    for (const Case& c : cases) {
        const RunResult run = Run(c.args);
        SCOPED_TRACE(c.args.back());
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out, c.out);
    }
}

TEST_F(Cli, RefusedAndMalformedRequestsExitTwo) {
    const std::vector<std::vector<std::string>> cases = {
        {"search", "--raw", "abc"},
        {"search", "--raw", "甲", "1"},
        {"search", "--raw"},
        {"search", "--raw", "--json", "甲"},
        {"search", "--scope", "all", "甲"},
        {"search", "--raw", std::string("\xFF")},
        {"search", "--raw", std::string(400, '?') + "甲"},
        {"page"},
        {"page", "x"},
        {"page", "0", "--layer", "1"},
        {"page", "0", "--keywords", "甲", "--layer", "3"},
        {"find-page", "0"},
        {"frobnicate"},
        {},
    };
    for (const auto& args : cases) {
        const RunResult run = Run(args);
        SCOPED_TRACE(args.empty() ? "(none)" : args.back());
        EXPECT_EQ(run.status, 2);
        EXPECT_TRUE(run.out.empty());
        EXPECT_FALSE(run.err.empty());
        EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << "one line: " << run.err;
    }
}

TEST_F(Cli, PageGivesTheStoredBytesOrTheComposedPage) {
    const PageStore store = ReadPageStore(*s_dir / "corpus");
    ASSERT_EQ(store.records.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        const RunResult run = Run({"page", std::to_string(i)});
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.out, store.records[i].page);
    }
    const RunResult composed = Run({"page", "0", "--keywords", "甲 乙"});
    EXPECT_EQ(composed.status, 0);
    EXPECT_EQ(composed.err, "anchors: 4\n");
    EXPECT_TRUE(composed.out.starts_with("<html><head>\t\t<meta http-equiv"));
    EXPECT_NE(composed.out.find("<a name=\"0003\"></a>"), std::string::npos);

    const RunResult notes = Run({"page", "0", "--keywords", "乙", "--layer", "2"});
    EXPECT_EQ(notes.err, "anchors: 1\n");
    const RunResult variants = Run({"page", "2", "--keywords", "甲", "--variants"});
    EXPECT_EQ(variants.err, "anchors: 1\n");

    for (const char* separators : {"", " ", "\u3000\u3000"}) {
        const RunResult empty = Run({"page", "0", "--keywords", separators});
        EXPECT_EQ(empty.status, 0);
        EXPECT_EQ(empty.out, "");
        EXPECT_EQ(empty.err, "anchors: 0\n");
    }
}

TEST_F(Cli, MissingThingsExitOne) {
    struct Case {
        std::vector<std::string> args;
        const char* message;
    };
    const Case cases[] = {
        {{"page", "3"}, "no page record 3"},
        {{"page", "4294967295", "--keywords", "甲"}, "no page record"},
        {{"find-page", "0", "13"}, "no page 13"},
        {{"find-page", "3", "1"}, "no page 1"},
    };
    for (const Case& c : cases) {
        const RunResult run = Run(c.args);
        EXPECT_EQ(run.status, 1);
        EXPECT_TRUE(run.out.empty());
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    }
    const RunResult noCorpus =
        RunProgram(CliExe(), {"--data", (*s_dir / "absent").string(), "search", "--raw", "甲"});
    EXPECT_EQ(noCorpus.status, 1);
    EXPECT_EQ(noCorpus.err, "データを開けませんでした。\n");
}

TEST_F(Cli, ADamagedPageRecordIsAFailedRead) {
    TempDir dir;
    std::filesystem::copy(*s_dir / "corpus", dir / "corpus");
    // Cut the content file inside the last page: its record points past the end.
    const auto content = dir / "corpus" / "Index-fl.cnt";
    std::filesystem::resize_file(content, std::filesystem::file_size(content) - 10);
    const std::string data = (dir / "corpus").string();
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"page", "2"}, {"page", "2", "--keywords", "丁"}}) {
        std::vector<std::string> full = {"--data", data};
        full.insert(full.end(), args.begin(), args.end());
        const RunResult run = RunProgram(CliExe(), full);
        EXPECT_EQ(run.status, 1);
        EXPECT_TRUE(run.out.empty());
        EXPECT_NE(run.err.find("cannot be read"), std::string::npos) << run.err;
    }
    const RunResult intact = RunProgram(CliExe(), {"--data", data, "page", "1"});
    EXPECT_EQ(intact.status, 0);
    EXPECT_EQ(intact.out, ReadPageStore(*s_dir / "corpus").records[1].page);
}

TEST_F(Cli, FindPageSearchesOnFromTheFirstRecord) {
    EXPECT_EQ(Run({"find-page", "0", "12"}).out, "1\n");
    EXPECT_EQ(Run({"find-page", "0", "1"}).out, "2\n");
    EXPECT_EQ(Run({"find-page", "2", "1"}).out, "2\n");
}

#ifdef ORVALE_HAVE_ROWS_COMMAND
TEST_F(Cli, SearchRowsAndCatalogueCoverTheCatalogue) {
    const RunResult rows = Run({"search", "--no-variants", "甲"});
    EXPECT_EQ(rows.status, 0) << rows.err;
    EXPECT_EQ(rows.out, "詩\t唐詩\t巻一\t11\t0\t2\n詩\t唐詩\t巻一\t12\t1\t1\n");
    EXPECT_EQ(rows.err, "全部で 2 頁で、3 箇所でした。\n");
    const RunResult json = Run({"search", "--json", "--entry", "4", "丁"});
    EXPECT_EQ(json.status, 0) << json.err;
    EXPECT_NE(json.out.find("\"record\":2"), std::string::npos) << json.out;
    const RunResult empty = Run({"search", "--entry", "99", "甲"});
    EXPECT_EQ(empty.status, 2);
    EXPECT_EQ(empty.err, "検索範囲をまた指定していません。\n");

    const RunResult catalogue = Run({"catalogue"});
    EXPECT_EQ(catalogue.status, 0);
    EXPECT_EQ(catalogue.out,
              "name=詩\tdocID=1\tdocNo=3\tcurFileName=11\n"
              "\tname=唐詩\tdocID=1\tdocNo=3\tcurFileName=11\n"
              "\t\tname=巻一\tdocID=1\tdocNo=2\tcurFileName=11\n"
              "\t\tname=巻二\tdocID=3\tdocNo=1\tcurFileName=1\n");
}
#endif

TEST_F(Cli, SearchStdinAnswersEachLineAsASingleSearchWould) {
    // Every line's answer equals that of the single search, then an empty
    // line; a refused line says why on stderr and the batch goes on.
    const std::vector<std::string> lines = {"甲", "甲?甲", "鳥", "abc", "丁 乙"};
    std::string input;
    std::string expected;
    for (const std::string& line : lines) {
        input += line + "\r\n";
        std::vector<std::string> args = {"search", "--raw", "--no-variants"};
        if (line == "丁 乙") {
            args.insert(args.end(), {"丁", "乙"});
        } else {
            args.push_back(line);
        }
        expected += Run(args).out + "\n";
    }
    const RunResult batch = RunProgramWithInput(
        CliExe(),
        {"--data", (*s_dir / "corpus").string(), "search", "--raw", "--no-variants", "--stdin"},
        input);
    EXPECT_EQ(batch.status, 2);  // "abc" was refused
    EXPECT_EQ(batch.out, expected);
    EXPECT_NE(batch.err.find("検索語がないか"), std::string::npos) << batch.err;

    const RunResult both = Run({"search", "--stdin", "甲"});
    EXPECT_EQ(both.status, 2);
    const RunResult neither = Run({"search"});
    EXPECT_EQ(neither.status, 2);
    EXPECT_NE(neither.err.find("--stdin"), std::string::npos) << neither.err;
}

#ifdef ORVALE_HAVE_ROWS_COMMAND
TEST_F(Cli, SearchStdinJsonGivesOneObjectPerLine) {
    const RunResult batch = RunProgramWithInput(
        CliExe(), {"--data", (*s_dir / "corpus").string(), "search", "--json", "--stdin"},
        "丁\n\n甲乙\n");
    EXPECT_EQ(batch.status, 2);  // the empty line is refused
    const std::string single = Run({"search", "--json", "丁"}).out;
    ASSERT_FALSE(single.empty());
    const std::string expected =
        "{\"query\":\"丁\"," + single.substr(1) + "{\"query\":\"\",\"error\":\"" +
        engine::SearchStatusMessage(engine::SearchStatus::Refused) + "\"}\n{\"query\":\"甲乙\"," +
        Run({"search", "--json", "甲乙"}).out.substr(1);
    EXPECT_EQ(batch.out, expected);
    // The rows' summary goes to stderr once per answered line.
    std::size_t summaries = 0;
    for (std::size_t at = 0; (at = batch.err.find("全部で", at)) != std::string::npos; ++at)
        ++summaries;
    EXPECT_EQ(summaries, 2u);
}
#endif

TEST_F(Cli, DataDefaultsToTheProgramsFolder) {
    TempDir dir;
    std::filesystem::copy(*s_dir / "corpus", dir / "corpus");
    std::filesystem::copy_file(CliExe(), dir / "corpus" / "orvale-cli");
    const RunResult run =
        RunProgram((dir / "corpus" / "orvale-cli").string(), {"find-page", "0", "12"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "1\n");
    const RunResult help = RunProgram(CliExe(), {"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("find-page"), std::string::npos);
}

}  // namespace
}  // namespace toolstest
