// orvale-cli and orvale-build by the conventions of shell tools: a failed
// write to stdout is never a success, a closed pipe ends the output quietly,
// every refused input is exit 2 with a message naming it, the builder's
// identity manifest ties the files of one build together, and hit counts
// saturate.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/tools/corpusfiles.h"
#include "tests/tools/program.h"

namespace toolstest {
namespace {

// Record 0 = page 0 (-0 in the source) holding 山 60,000 times; record 1 =
// page 1 (山水).
std::string Source() {
    return R"({"category": "詩", "title": "山", "volume": "一", "first_page": -0, "pages": [)"
           R"({"runs": [")" +
           Repeat("山", 60000) + R"("]}, {"runs": ["山水"]}]})" + "\n";
}

class ShellConventions : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        s_dir = new TempDir;
        WriteFile(*s_dir / "source.jsonl", Source());
        const RunResult run = RunProgram(
            BuildExe(), {(*s_dir / "source.jsonl").string(), (*s_dir / "corpus").string()});
        ASSERT_EQ(run.status, 0) << run.err;
    }
    static void TearDownTestSuite() { delete s_dir; }

    static std::string Data() { return (*s_dir / "corpus").string(); }
    static RunResult Run(std::vector<std::string> args) {
        args.insert(args.begin(), {"--data", Data()});
        return RunProgram(CliExe(), args);
    }
    // Runs orvale-cli through bash with a redirection or pipe of its stdout.
    static RunResult RunShell(const std::string& script, std::vector<std::string> args) {
        args.insert(args.begin(), {"-c", script, "bash", CliExe(), "--data", Data()});
        return RunProgram("/bin/bash", args);
    }
    static TempDir* s_dir;
};

TempDir* ShellConventions::s_dir = nullptr;

const std::vector<std::vector<std::string>> kEveryOutput = {
    {"search", "山水"}, {"search", "--raw", "山"},         {"search", "--json", "山"},
    {"page", "1"},      {"page", "1", "--keywords", "水"}, {"find-page", "0", "1"},
    {"catalogue"},
};

TEST_F(ShellConventions, AFailedWriteIsReportedWithANonZeroStatus) {
    for (const auto& args : kEveryOutput) {
        SCOPED_TRACE(args.front() + " " + args.back());
        const RunResult run = RunShell(R"("$@" >/dev/full)", args);
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.err.find("orvale-cli: cannot write the output"), std::string::npos)
            << run.err;
    }
}

TEST_F(ShellConventions, AClosedPipeEndsTheOutputQuietly) {
    // The reader closes its end at once, even where the shell ignores
    // SIGPIPE: the program stops without a word.
    for (const auto& args : kEveryOutput) {
        SCOPED_TRACE(args.front() + " " + args.back());
        const RunResult run = RunShell(R"(trap '' PIPE; "$@" | { exec 0<&-; sleep 0.3; })", args);
        EXPECT_EQ(run.err.find("cannot write"), std::string::npos) << run.err;
    }
}

TEST_F(ShellConventions, RefusedInputsExitTwoNamingTheInput) {
    struct Case {
        std::vector<std::string> args;
        const char* message;
    };
    const Case cases[] = {
        {{"page", ""}, "RECORD must be a number from 0 to 4294967295, not ''"},
        {{"page", "99999999999"}, "not '99999999999'"},
        {{"page", "+1"}, "not '+1'"},
        {{"page", "1e3"}, "not '1e3'"},
        {{"find-page", "0", ""}, "PAGE_NO must be a number"},
        {{"find-page", "x", "1"}, "FIRST_RECORD must be a number"},
        {{"page", "0", "--keywords", ""}, "--keywords ''"},
        {{"page", "0", "--keywords", "amp"}, "--keywords 'amp'"},
        {{"search", "--raw", ""}, "検索語がない"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        const RunResult run = Run(c.args);
        EXPECT_EQ(run.status, 2);
        EXPECT_TRUE(run.out.empty());
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    }
    const RunResult noData = RunProgram(CliExe(), {"--data", "", "page", "0"});
    EXPECT_EQ(noData.status, 2);
    EXPECT_NE(noData.err.find("--data names no folder"), std::string::npos) << noData.err;
    const RunResult help = RunProgram(CliExe(), {"--help"});
    EXPECT_NE(help.out.find("3 the corpus is damaged"), std::string::npos) << help.out;
}

TEST_F(ShellConventions, MinusZeroIsPageZero) {
    EXPECT_EQ(Run({"find-page", "0", "0"}).out, "0\n");
}

// 60,000 places of 山 on one page, named 40,000 times: the count stops at
// the largest signed 32-bit number instead of wrapping to a negative one.
TEST_F(ShellConventions, HitCountsSaturate) {
    std::vector<std::string> args = {"search", "--raw", "--no-variants"};
    args.insert(args.end(), 40000, "山");
    const RunResult raw = Run(args);
    ASSERT_EQ(raw.status, 0) << raw.err.substr(0, 200);
    EXPECT_EQ(raw.out, "0\t2147483647\n1\t40000\n");
}

// The builder writes a manifest; a reader refuses a folder whose files come
// from two builds, and a folder without a manifest still loads.
TEST_F(ShellConventions, FilesOfTwoBuildsAreRefused) {
    TempDir dir;
    WriteFile(dir / "other.jsonl",
              R"({"category": "c", "title": "t", "volume": "v", "pages": [{"runs": ["水"]}]})"
              "\n");
    ASSERT_EQ(
        RunProgram(BuildExe(), {(dir / "other.jsonl").string(), (dir / "other").string()}).status,
        0);
    const std::string manifest = ReadFile(dir / "other" / "corpus.id");
    EXPECT_TRUE(manifest.starts_with("orvale-corpus 1\nstamp ")) << manifest;
    EXPECT_NE(manifest.find("file Index-idx.m "), std::string::npos) << manifest;

    for (const char* file : {"Index-idx.h", "Index-idx.m", "Index-fl.h", "Index-fl.cnt"}) {
        SCOPED_TRACE(file);
        TempDir mixed;
        std::filesystem::copy(*s_dir / "corpus", mixed / "corpus");
        std::filesystem::copy_file(dir / "other" / file, mixed / "corpus" / file,
                                   std::filesystem::copy_options::overwrite_existing);
        const std::string data = (mixed / "corpus").string();
        const RunResult refused = RunProgram(CliExe(), {"--data", data, "search", "--raw", "山"});
        EXPECT_EQ(refused.status, 1);
        EXPECT_EQ(refused.err, "データを開けませんでした。\n");
        std::filesystem::remove(mixed / "corpus" / "corpus.id");
        const RunResult loose = RunProgram(CliExe(), {"--data", data, "find-page", "0", "1"});
        EXPECT_NE(loose.err, "データを開けませんでした。\n");
    }
}

}  // namespace
}  // namespace toolstest
