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

    // Keywords a search refuses are refused here too.
    for (const char* refused : {"", " ", "\u3000\u3000", "amp", "甲 a"}) {
        const RunResult empty = Run({"page", "0", "--keywords", refused});
        EXPECT_EQ(empty.status, 2) << refused;
        EXPECT_EQ(empty.out, "");
        EXPECT_NE(empty.err.find("--keywords '" + std::string(refused) + "'"), std::string::npos)
            << empty.err;
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
    // The manifest names the file's true length: the corpus does not open.
    const RunResult refused = RunProgram(CliExe(), {"--data", data, "page", "1"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err, "データを開けませんでした。\n");
    // Without the manifest (another writer's corpus) the damage shows at the
    // page: its own status and the damaged files named.
    std::filesystem::remove(dir / "corpus" / "corpus.id");
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"page", "2"}, {"page", "2", "--keywords", "丁"}}) {
        std::vector<std::string> full = {"--data", data};
        full.insert(full.end(), args.begin(), args.end());
        const RunResult run = RunProgram(CliExe(), full);
        EXPECT_EQ(run.status, 3);
        EXPECT_TRUE(run.out.empty());
        EXPECT_NE(run.err.find("cannot be read"), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("Index-fl.cnt"), std::string::npos) << run.err;
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

TEST_F(Cli, KwicPrintsEveryHitInContextInTheChosenOrder) {
    const std::string a = "詩\t唐詩\t巻一\t11\t0\t\t甲\t乙\n";    // page start
    const std::string b = "詩\t唐詩\t巻一\t11\t0\t乙\t甲\t乙\n";  // 乙 of the note follows
    const std::string c = "詩\t唐詩\t巻一\t12\t1\t丙\t甲\t\n";    // page end
    struct Case {
        std::vector<std::string> args;
        std::string out;
    };
    // 丙 (U+4E19) sorts before 乙 (U+4E59).
    const Case cases[] = {
        {{"search", "--kwic", "--width", "1", "--no-variants", "甲"}, a + b + c},
        {{"search", "--kwic", "--width", "1", "--sort", "left", "--no-variants", "甲"}, a + c + b},
        {{"search", "--kwic", "--width", "1", "--sort", "right", "--no-variants", "甲"}, c + a + b},
        {{"search", "--kwic", "--width", "0", "--scope", "notes", "乙"},
         "詩\t唐詩\t巻一\t11\t0\t\t乙\t\n"},
        {{"search", "--kwic", "鳥"}, ""},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.args.back());
        const RunResult run = Run(k.args);
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out, k.out);
    }
    const RunResult json = Run({"search", "--kwic", "--json", "--no-variants", "丙甲"});
    EXPECT_EQ(json.status, 0) << json.err;
    EXPECT_EQ(json.out,
              R"({"pages":1,"hits":1,"lines":[{"category":"詩","title":"唐詩","volume":"巻一",)"
              R"("page":12,"record":1,"left":"","hit":"丙甲","right":""}]})"
              "\n");
    EXPECT_EQ(Run({"search", "--kwic", "--raw", "甲"}).status, 2);
    EXPECT_EQ(Run({"search", "--width", "3", "甲"}).status, 2);
    EXPECT_EQ(Run({"search", "--kwic", "--sort", "up", "甲"}).status, 2);
}

TEST_F(Cli, StatsTotalsEqualTheSearchTotals) {
    const std::vector<std::vector<std::string>> queries = {{"甲"},
                                                           {"--no-variants", "甲"},
                                                           {"乙"},
                                                           {"--or", "丙", "丁"},
                                                           {"甲乙"},
                                                           {"鳥"},
                                                           {"--scope", "notes", "乙"},
                                                           {"--entry", "4", "乙"}};
    for (const auto& query : queries) {
        SCOPED_TRACE(query.back());
        std::vector<std::string> search = {"search"};
        search.insert(search.end(), query.begin(), query.end());
        std::vector<std::string> stats = {"stats"};
        stats.insert(stats.end(), query.begin(), query.end());
        const RunResult rows = Run(search);
        const RunResult table = Run(stats);
        ASSERT_EQ(table.status, 0) << table.err;
        EXPECT_EQ(table.err, rows.err);  // the same summary line
        std::int64_t pages = 0;
        std::int64_t hits = 0;
        for (std::size_t at = 0; at < rows.out.size();) {
            const std::size_t end = rows.out.find('\n', at);
            const std::string line = rows.out.substr(at, end - at);
            ++pages;
            hits += std::stoll(line.substr(line.rfind('\t') + 1));
            at = end + 1;
        }
        const std::string total =
            "total\t\t\t" + std::to_string(pages) + "\t" + std::to_string(hits) + "\n";
        ASSERT_GE(table.out.size(), total.size());
        EXPECT_EQ(table.out.substr(table.out.size() - total.size()), total) << table.out;
    }
    const RunResult json = Run({"stats", "--json", "--no-variants", "甲"});
    EXPECT_EQ(json.out,
              R"({"pages":2,"hits":3,"categories":[{"category":"詩","pages":2,"hits":3}],)"
              R"("titles":[{"category":"詩","title":"唐詩","pages":2,"hits":3}]})"
              "\n");
}

// Without --entry a search covers the whole corpus, here two categories;
// --entry N keeps to slot N, and --entry 0 (no entry) is refused.
TEST(CliEntry, WithoutEntryTheWholeCorpusIsSearched) {
    TempDir dir;
    WriteFile(dir / "s.jsonl",
              std::string(R"({"category": "甲部", "title": "t", "volume": "v", )") +
                  R"("pages": [{"runs": ["明月"]}]})" + "\n" +
                  R"({"category": "乙部", "title": "u", "volume": "w", )" +
                  R"("pages": [{"runs": ["明月明月"]}]})" + "\n");
    ASSERT_EQ(RunProgram(BuildExe(), {(dir / "s.jsonl").string(), (dir / "c").string()}).status, 0);
    struct Case {
        std::vector<std::string> entry;
        int status;
        std::string out;
    };
    const Case cases[] = {
        {{}, 0, "甲部\tt\tv\t1\t0\t1\n乙部\tu\tw\t1\t1\t2\n"},
        {{"--entry", "1"}, 0, "甲部\tt\tv\t1\t0\t1\n"},
        {{"--entry", "4"}, 0, "乙部\tu\tw\t1\t1\t2\n"},
        {{"--entry", "0"}, 2, ""},
        {{"--entry", "10000"}, 2, ""},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"--data", (dir / "c").string(), "search"};
        args.insert(args.end(), c.entry.begin(), c.entry.end());
        args.push_back("明月");
        const RunResult run = RunProgram(CliExe(), args);
        EXPECT_EQ(run.status, c.status) << c.entry.size() << run.err;
        EXPECT_EQ(run.out, c.out) << c.entry.size();
    }
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
