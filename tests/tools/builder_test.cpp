// Round trip of orvale-build: a small source is built and every file is read
// back with the test's own reader of the documented formats.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/tools/corpusfiles.h"
#include "tests/tools/program.h"

namespace toolstest {
namespace {

// 甲 U+7532, 乙 U+4E59, 丙 U+4E19, 丁 U+4E01; codes are cp - 0x3400.
constexpr std::uint32_t kJia = 0x7532 - 0x3400;
constexpr std::uint32_t kYi = 0x4E59 - 0x3400;
constexpr std::uint32_t kBing = 0x4E19 - 0x3400;
constexpr std::uint32_t kDing = 0x4E01 - 0x3400;

const char* const kSource =
    R"({"category": "詩", "title": "唐詩", "volume": "巻一", "first_page": 11, "pages": [)"
    R"({"title": "春", "runs": ["甲乙。甲\n丙", {"note": "乙甲"}, "a丁&<>"]},)"
    R"({"runs": [{"note": "丙"}]}]})"
    "\n"
    R"({"category": "詩", "title": "唐詩", "volume": "巻二", "pages": [{"runs": ["甲"]}]})"
    "\n\n"
    R"({"category": "詩", "title": "宋詩", "volume": "巻一", "pages": [{"runs": ["乙"]}]})"
    "\n"
    R"({"category": "文", "title": "唐詩", "volume": "巻一", "pages": [{"runs": ["丙"]}]})"
    "\n"
    R"({"category": "詩", "title": "唐詩", "volume": "巻三", "pages": [{"runs": ["丁"]}]})"
    "\n";

// Group 0 {甲, 乙}; group 1 empty (commas only); group 2 {丙} listed twice;
// group 3 {甲, 丁}: 甲 belongs to two groups.
const char* const kVariants = "7532,4E59\r\n,,\n\n4E19,4E19\n7532,4E01\n";

class BuiltCorpus : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        s_dir = new TempDir;
        WriteFile(*s_dir / "source.jsonl", kSource);
        WriteFile(*s_dir / "variants.txt", kVariants);
        s_run = new RunResult(RunProgram(
            BuildExe(), {(*s_dir / "source.jsonl").string(), (*s_dir / "corpus").string(),
                         "--variants", (*s_dir / "variants.txt").string()}));
    }
    static void TearDownTestSuite() {
        delete s_run;
        delete s_dir;
    }
    static std::filesystem::path Corpus() { return *s_dir / "corpus"; }

    static TempDir* s_dir;
    static RunResult* s_run;
};

TempDir* BuiltCorpus::s_dir = nullptr;
RunResult* BuiltCorpus::s_run = nullptr;

TEST_F(BuiltCorpus, WritesTheTenFilesTheAcceleratorsAndNothingElse) {
    ASSERT_EQ(s_run->status, 0) << s_run->err;
    EXPECT_TRUE(s_run->out.empty()) << "progress belongs on stderr";
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(Corpus())) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{
                         "Index-fl.cnt", "Index-fl.h", "Index-idx.acc", "Index-idx.h",
                         "Index-idx.m", "Index_content-idx.acc", "Index_content-idx.h",
                         "Index_content-idx.m", "Index_desc-idx.acc", "Index_desc-idx.h",
                         "Index_desc-idx.m", "corpus.id", "kvt.dir", "yitizi.txt"}));
    EXPECT_EQ(ReadFile(Corpus() / "yitizi.txt"), kVariants);
    // Nothing of the build is left beside the corpus.
    std::size_t siblings = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(s_dir->Path())) {
        ++siblings;
    }
    EXPECT_EQ(siblings, 3u);
}

TEST_F(BuiltCorpus, CatalogueIsDepthFirstAndReturningNamesMakeNewRecords) {
    struct Expected {
        const char16_t* name;
        int level, docID, docNo, curFileName;
    };
    const Expected expected[] = {
        {u"詩", 1, 1, 4, 11},  {u"唐詩", 2, 1, 3, 11}, {u"巻一", 3, 1, 2, 11},
        {u"巻二", 3, 3, 1, 1}, {u"宋詩", 2, 4, 1, 1},  {u"巻一", 3, 4, 1, 1},
        {u"文", 1, 5, 1, 1},   {u"唐詩", 2, 5, 1, 1},  {u"巻一", 3, 5, 1, 1},
        {u"詩", 1, 6, 1, 1},   {u"唐詩", 2, 6, 1, 1},  {u"巻三", 3, 6, 1, 1},
    };
    const auto records = ReadCatalogue(Corpus());
    ASSERT_EQ(records.size(), std::size(expected));
    for (std::size_t i = 0; i < records.size(); ++i) {
        SCOPED_TRACE("slot " + std::to_string(i + 1));
        EXPECT_EQ(records[i].name, expected[i].name);
        EXPECT_EQ(records[i].level, expected[i].level);
        EXPECT_EQ(records[i].docID, expected[i].docID);
        EXPECT_EQ(records[i].docNo, expected[i].docNo);
        EXPECT_EQ(records[i].curFileName, expected[i].curFileName);
    }
}

TEST_F(BuiltCorpus, PageRecordsCarryVolumeAndPageNumber) {
    const PageStore store = ReadPageStore(Corpus());
    EXPECT_EQ(store.headerValue, 6);
    EXPECT_EQ(store.nameWidth, 32);
    const std::vector<std::string> names = {"vol0003\\0011.htm", "vol0003\\0012.htm",
                                            "vol0004\\0001.htm", "vol0006\\0001.htm",
                                            "vol0009\\0001.htm", "vol0012\\0001.htm"};
    ASSERT_EQ(store.records.size(), names.size());
    std::uint32_t end = 0;
    for (std::size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(store.records[i].name, names[i]);
        end += store.records[i].length;
        EXPECT_EQ(store.records[i].endOffset, end) << "pages lie end to end in record order";
    }
    EXPECT_EQ(store.headerBlock.substr(0, 12), "ORVALE-PAGES");
}

// The two cells of a stored page, split where the composer splits them.
std::pair<std::string, std::string> Cells(const std::string& page) {
    const auto first = page.find("<TD");
    const auto second = page.find("<TD", first + 1);
    const auto end = page.find("</TD>", second);
    return {page.substr(first, second - first), page.substr(second, end - second)};
}

TEST_F(BuiltCorpus, StoredPagesPutTheTextInTheCellOfTheirParity) {
    const PageStore store = ReadPageStore(Corpus());
    ASSERT_GE(store.records.size(), 2u);
    const std::string& odd = store.records[0].page;  // page 11
    EXPECT_TRUE(odd.starts_with("<html><head><meta charset=\"UTF-8\"><title>春</title>"));
    EXPECT_TRUE(odd.ends_with("</TD></tr></table></body></html>"));
    const auto [oddMargin, oddText] = Cells(odd);
    EXPECT_NE(oddText.find("甲乙。甲<p>丙<font size=-1 color=\"#993366\">乙甲</font>"
                           "a丁&amp;&lt;&gt;</div>"),
              std::string::npos)
        << oddText;
    EXPECT_NE(oddText.find("width:420px"), std::string::npos);
    EXPECT_NE(oddMargin.find("唐詩<br>巻一<br>11"), std::string::npos) << oddMargin;

    const std::string& even = store.records[1].page;  // page 12, no title of its own
    EXPECT_NE(even.find("<title>唐詩 巻一</title>"), std::string::npos);
    const auto [evenText, evenMargin] = Cells(even);
    EXPECT_NE(evenText.find("<font size=-1 color=\"#993366\">丙</font>"), std::string::npos);
    EXPECT_NE(evenMargin.find("唐詩<br>巻一<br>12"), std::string::npos);
}

TEST_F(BuiltCorpus, PositionsCountOnlyTheIndexedCharactersOfEachScope) {
    using Entries = std::vector<PageEntry>;
    struct Case {
        const char* stem;
        std::uint32_t code;
        Entries entries;
    };
    const Case cases[] = {
        {"Index", kJia, {{0, {0, 2, 5}}, {2, {0}}}},
        {"Index", kYi, {{0, {1, 4}}, {3, {0}}}},
        {"Index", kBing, {{0, {3}}, {1, {0}}, {4, {0}}}},
        {"Index", kDing, {{0, {6}}, {5, {0}}}},
        {"Index_content", kJia, {{0, {0, 2}}, {2, {0}}}},
        {"Index_content", kBing, {{0, {3}}, {4, {0}}}},
        {"Index_content", kDing, {{0, {4}}, {5, {0}}}},
        {"Index_desc", kYi, {{0, {0}}}},
        {"Index_desc", kJia, {{0, {1}}}},
        {"Index_desc", kBing, {{1, {0}}}},
        // Variant groups: every member's positions, merged.
        {"Index", 88065, {{0, {0, 1, 2, 4, 5}}, {2, {0}}, {3, {0}}}},
        {"Index", 88067, {{0, {3}}, {1, {0}}, {4, {0}}}},
        {"Index", 88068, {{0, {0, 2, 5, 6}}, {2, {0}}, {5, {0}}}},
        {"Index_desc", 88065, {{0, {0, 1}}}},
    };
    std::map<std::string, IndexFiles> indexes;
    for (const char* stem : {"Index", "Index_content", "Index_desc"}) {
        indexes[stem] = ReadIndex(Corpus(), stem);
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.stem) + " code " + std::to_string(c.code));
        const IndexFiles& index = indexes[c.stem];
        ASSERT_TRUE(index.postings.count(c.code));
        EXPECT_EQ(index.postings.at(c.code), c.entries);
        EXPECT_EQ(index.pageCounts[c.code], c.entries.size());
        EXPECT_EQ(index.blockCounts[c.code], 1);
    }
    // Exactly these codes have postings: 4 characters and 3 groups, fewer
    // in the partial scopes; the empty group 1 has none.
    EXPECT_EQ(indexes["Index"].postings.size(), 7u);
    EXPECT_EQ(indexes["Index"].firstBlock[88066], 0xFFFFFFFFu);
    EXPECT_EQ(indexes["Index_content"].postings.count(kYi), 1u);
    EXPECT_EQ(indexes["Index_desc"].postings.count(kDing), 0u);
    // Group 2 has one member on the pages, 丙: its stream is that member's,
    // read from the same block instead of a copy.
    EXPECT_EQ(indexes["Index"].firstBlock[88067], indexes["Index"].firstBlock[kBing]);
    EXPECT_NE(indexes["Index"].firstBlock[88065], indexes["Index"].firstBlock[kJia]);
    EXPECT_EQ(indexes["Index"].postingsSize, 6u * 4096);
}

// A source of many pages repeating one character, so that streams cross
// block boundaries and positions need two- and three-byte packed numbers.
TEST(Builder, LongStreamsCrossBlocksAndUseLongPackedNumbers) {
    TempDir dir;
    std::string line = R"({"category": "c", "title": "t", "volume": "v", "pages": [)";
    for (int i = 0; i < 300; ++i) {
        std::string text;
        for (int k = 0; k < 50; ++k) text += "甲";
        line += std::string(i ? "," : "") + R"({"runs": [")" + text + R"("]})";
    }
    std::string far = "甲";
    for (int k = 0; k < 20000; ++k) far += "乙";
    far += "甲";
    line += R"(, {"runs": [")" + far + R"("]}]})";
    WriteFile(dir / "s.jsonl", line + "\n");
    const RunResult run =
        RunProgram(BuildExe(), {(dir / "s.jsonl").string(), (dir / "c").string()});
    ASSERT_EQ(run.status, 0) << run.err;

    const IndexFiles index = ReadIndex(dir / "c", "Index");
    const auto& jia = index.postings.at(kJia);
    ASSERT_EQ(jia.size(), 301u);
    std::vector<std::uint32_t> fifty(50);
    for (std::uint32_t k = 0; k < 50; ++k) fifty[k] = k;
    for (std::uint32_t i = 0; i < 300; ++i) EXPECT_EQ(jia[i], (PageEntry{i, fifty}));
    EXPECT_EQ(jia[300], (PageEntry{300, {0, 20001}}));
    // 300 entries of 53 bytes and one of 1 + 2 + 1 + 3: four blocks in a row.
    EXPECT_EQ(index.blockCounts[kJia], 4);
    const std::uint32_t first = index.firstBlock[kJia];
    for (std::uint32_t b = first; b < first + 3; ++b) EXPECT_EQ(index.nextBlock[b], b + 1);
    EXPECT_EQ(index.nextBlock[first + 3], 0xFFFFFFFFu);
    EXPECT_EQ(index.lastPage[kJia], 300u);
    EXPECT_EQ(index.pageCounts[kJia], 301u);
    // The partial scope without any annotation still has a mappable file.
    const IndexFiles notes = ReadIndex(dir / "c", "Index_desc");
    EXPECT_TRUE(notes.postings.empty());
    EXPECT_EQ(notes.postingsSize, 4096u);
    EXPECT_EQ(notes.nextBlock.size(), 1u);
}

TEST(Builder, AcceptsAByteOrderMarkAndCrLfLineEnds) {
    TempDir dir;
    WriteFile(dir / "s.jsonl",
              "\xEF\xBB\xBF" + std::string(R"({"category": "c", "title": "t", "volume": "v", )") +
                  R"("first_page": 0, "pages": [{"runs": ["甲"]}]})" + "\r\n\r\n");
    const RunResult run =
        RunProgram(BuildExe(), {(dir / "s.jsonl").string(), (dir / "c").string()});
    ASSERT_EQ(run.status, 0) << run.err;
    const PageStore store = ReadPageStore(dir / "c");
    ASSERT_EQ(store.records.size(), 1u);
    EXPECT_EQ(store.records[0].name, "vol0003\\0000.htm");
}

// Only a volume's first page number has to fit the catalogue's 16 bits; the
// pages after it are numbered on past 65535 and found by their numbers.
TEST(Builder, PageNumbersRunPast65535AfterTheFirst) {
    TempDir dir;
    std::string pages;
    for (int i = 0; i < 10; ++i) pages += std::string(i ? "," : "") + R"({"runs": ["甲"]})";
    WriteFile(dir / "s.jsonl", std::string(R"({"category": "c", "title": "t", "volume": "v", )") +
                                   R"("first_page": 65530, "pages": [)" + pages + "]}\n");
    const RunResult run =
        RunProgram(BuildExe(), {(dir / "s.jsonl").string(), (dir / "c").string()});
    ASSERT_EQ(run.status, 0) << run.err;
    const PageStore store = ReadPageStore(dir / "c");
    ASSERT_EQ(store.records.size(), 10u);
    EXPECT_EQ(store.records[0].name, "vol0003\\65530.htm");
    EXPECT_EQ(store.records[6].name, "vol0003\\65536.htm");
    EXPECT_EQ(store.records[9].name, "vol0003\\65539.htm");
    const std::vector<CatalogueRecord> catalogue = ReadCatalogue(dir / "c");
    ASSERT_EQ(catalogue.size(), 3u);
    EXPECT_EQ(catalogue[2].curFileName, 65530);
    EXPECT_EQ(catalogue[2].docNo, 10);
    struct Case {
        const char* page;
        const char* record;
    };
    for (const Case& c :
         {Case{"65530", "0\n"}, Case{"65535", "5\n"}, Case{"65536", "6\n"}, Case{"65539", "9\n"}}) {
        const RunResult found =
            RunProgram(CliExe(), {"--data", (dir / "c").string(), "find-page", "0", c.page});
        EXPECT_EQ(found.status, 0) << c.page << found.err;
        EXPECT_EQ(found.out, c.record) << c.page;
    }
}

}  // namespace
}  // namespace toolstest
