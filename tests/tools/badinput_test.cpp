// orvale-build on bad input and on an existing OUTDIR: a clear message that
// names the line, exit status 2, and no corpus or temporary folder left.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/tools/corpusfiles.h"
#include "tests/tools/program.h"

namespace toolstest {
namespace {

const std::string kGood =
    R"({"category": "c", "title": "t", "volume": "v", "pages": [{"runs": ["甲"]}]})";

std::string Line(const std::string& fields) { return "{" + fields + "}"; }

struct BadCase {
    const char* what;
    std::string source;
    int line;
    const char* message;  // part of the expected message
};

std::vector<BadCase> BadCases() {
    const std::string names = R"("category": "c", "title": "t", "volume": "v", )";
    const std::string onePage = R"("pages": [{"runs": ["甲"]}])";
    std::vector<BadCase> cases = {
        {"malformed JSON", kGood + "\n" + R"({"category": "c", )" + "\n", 2, "malformed JSON"},
        {"not an object", "[1, 2]\n", 1, "one JSON object"},
        {"missing volume", kGood + "\n\n" + Line(R"("category": "c", "title": "t", )" + onePage), 3,
         "missing field \"volume\""},
        {"missing runs", Line(names + R"("pages": [{"title": "x"}])"), 1, "missing field \"runs\""},
        {"name too long",
         Line(R"("category": ")" + Repeat("詩", 100) + R"(", "title": "t", "volume": "v", )" +
              onePage),
         1, "at most 99"},
        {"name of 50 supplementary characters",
         Line(R"("category": ")" + Repeat("𠀀", 50) + R"(", "title": "t", "volume": "v", )" +
              onePage),
         1, "at most 99"},
        {"first_page too large", Line(names + R"("first_page": 65536, )" + onePage), 1,
         "first_page"},
        {"first_page negative", Line(names + R"("first_page": -1, )" + onePage), 1, "first_page"},
        {"first_page a string", Line(names + R"("first_page": "1", )" + onePage), 1, "first_page"},
        {"no pages", Line(names + R"("pages": [])"), 1, "at least one page"},
        {"run of a wrong type", Line(names + R"("pages": [{"runs": ["甲", 5]}])"), 1, "run 2"},
        {"note not a string", Line(names + R"("pages": [{"runs": [{"note": 1}]}])"), 1, "\"note\""},
        {"name holding U+0000",
         Line(R"("category": "a\u0000b", "title": "t", "volume": "v", )" + onePage), 1, "U+0000"},
        // Control characters would break the catalogue listing's lines.
        {"name holding a line feed",
         kGood + "\n" +
             Line(R"("category": "甲\nname=偽", "title": "t", "volume": "v", )" + onePage),
         2, "\"category\" holds the control character U+000A"},
        {"name holding a tab",
         Line(R"("category": "c", "title": "a\tb", "volume": "v", )" + onePage), 1,
         "\"title\" holds the control character U+0009"},
        {"name holding DEL",
         Line(R"("category": "c", "title": "t", "volume": "\u007f", )" + onePage), 1, "U+007F"},
        {"name holding a C1 control",
         Line(R"("category": "\u0085", "title": "t", "volume": "v", )" + onePage), 1, "U+0085"},
        // Numbers beyond what the JSON reader holds name themselves.
        {"first_page 1e400", Line(names + R"("first_page": 1e400, )" + onePage), 1,
         "out of range: number overflow parsing '1e400'"},
        {"a number 1e999 in an unknown field",
         kGood + "\n\n" + Line(names + R"("extra": -1e999, )" + onePage), 3, "'-1e999'"},
        {"positions of one character beyond an entry",
         kGood + "\n" + Line(names + R"("pages": [{"runs": [")" + Repeat("甲", 70000) + R"("]}])"),
         2, "65,535"},
    };
    // 3,334 volumes of distinct categories make 10,002 catalogue records.
    std::string many;
    for (int i = 0; i < 3334; ++i) {
        many += R"({"category": "c)" + std::to_string(i) + R"(", "title": "t", "volume": "v", )" +
                onePage + "}\n";
    }
    cases.push_back({"catalogue beyond 9,999 records", many, 3334, "9,999"});
    return cases;
}

TEST(BuilderBadInput, NamesTheLineExitsTwoAndLeavesNothing) {
    for (const BadCase& c : BadCases()) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        WriteFile(dir / "source.jsonl", c.source);
        const RunResult run =
            RunProgram(BuildExe(), {(dir / "source.jsonl").string(), (dir / "out").string()});
        EXPECT_EQ(run.status, 2);
        EXPECT_NE(run.err.find("source.jsonl:" + std::to_string(c.line) + ":"), std::string::npos)
            << run.err;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        std::vector<std::string> left;
        for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
            left.push_back(entry.path().filename().string());
        }
        EXPECT_EQ(left, std::vector<std::string>{"source.jsonl"});
    }
}

TEST(BuilderBadInput, AnEmptySourceIsRefused) {
    TempDir dir;
    WriteFile(dir / "source.jsonl", "\n  \n");
    const RunResult run =
        RunProgram(BuildExe(), {(dir / "source.jsonl").string(), (dir / "out").string()});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("no volume"), std::string::npos) << run.err;
    EXPECT_FALSE(std::filesystem::exists(dir / "out"));
}

TEST(BuilderBadInput, MissingFilesAndArgumentsHaveTheirOwnStatus) {
    TempDir dir;
    WriteFile(dir / "source.jsonl", kGood + "\n");
    const std::string source = (dir / "source.jsonl").string();
    const std::string out = (dir / "out").string();
    struct Case {
        std::vector<std::string> args;
        int status;
    };
    const Case cases[] = {
        {{(dir / "absent.jsonl").string(), out}, 1},
        {{source, out, "--variants", (dir / "absent.txt").string()}, 1},
        {{source}, 2},
        {{source, out, "--unknown"}, 2},
    };
    for (const Case& c : cases) {
        const RunResult run = RunProgram(BuildExe(), c.args);
        EXPECT_EQ(run.status, c.status) << c.args.back();
        EXPECT_FALSE(run.err.empty());
        EXPECT_FALSE(std::filesystem::exists(out));
    }
    const RunResult help = RunProgram(BuildExe(), {"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("OUTDIR"), std::string::npos);
}

TEST(BuilderOutput, ReplacesAnOldCorpusButNoOtherFolder) {
    TempDir dir;
    WriteFile(dir / "one.jsonl", kGood + "\n");
    WriteFile(dir / "two.jsonl", kGood + "\n" + kGood + "\n");
    const std::string out = (dir / "out").string();
    ASSERT_EQ(RunProgram(BuildExe(), {(dir / "one.jsonl").string(), out}).status, 0);
    EXPECT_EQ(ReadPageStore(dir / "out").headerValue, 1);
    WriteFile(dir / "out" / "kvt.txt", "listing\n");

    // A failed build leaves the old corpus as it was.
    WriteFile(dir / "bad.jsonl", "{\n");
    EXPECT_EQ(RunProgram(BuildExe(), {(dir / "bad.jsonl").string(), out}).status, 2);
    EXPECT_EQ(ReadPageStore(dir / "out").headerValue, 1);

    ASSERT_EQ(RunProgram(BuildExe(), {(dir / "two.jsonl").string(), out + "/"}).status, 0);
    EXPECT_EQ(ReadPageStore(dir / "out").headerValue, 2);
    EXPECT_FALSE(std::filesystem::exists(dir / "out" / "kvt.txt"));

    // A folder holding anything else is never replaced.
    WriteFile(dir / "out" / "notes.md", "mine\n");
    const RunResult refused = RunProgram(BuildExe(), {(dir / "one.jsonl").string(), out});
    EXPECT_EQ(refused.status, 2);
    EXPECT_NE(refused.err.find("notes.md"), std::string::npos) << refused.err;
    EXPECT_EQ(ReadPageStore(dir / "out").headerValue, 2);
    EXPECT_EQ(ReadFile(dir / "out" / "notes.md"), "mine\n");

    WriteFile(dir / "file", "x");
    EXPECT_EQ(
        RunProgram(BuildExe(), {(dir / "one.jsonl").string(), (dir / "file").string()}).status, 2);
    EXPECT_EQ(ReadFile(dir / "file"), "x");
}

}  // namespace
}  // namespace toolstest
