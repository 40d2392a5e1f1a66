// Damaged and missing corpus files: for each, what the reader and the
// command-line tool show, that nothing crashes or hangs, and that the same
// objects go on working with a good corpus afterwards.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/corpusfolder.h"
#include "engine/index.h"
#include "engine/indexcode.h"
#include "panel/catalogue.h"
#include "tests/engine/indexfixture.h"
#include "tests/reliability/corpusfolder.h"

namespace reliability {
namespace {

constexpr const char* kOpenFailed = "データを開けませんでした。";

// Loads the corpus and answers a one-character search.
std::vector<std::uint32_t> PagesOf(engine::CIndex& index, std::u16string query) {
    index.SearchAnd(query, true, false);
    return index.GetHitPages();
}

// Files whose damage makes the load fail: the reader shows its one failure
// message (the CLI prints it and exits 1), and the same CIndex then loads a
// good corpus.
struct LoadFailure {
    const char* name;
    void (*damage)(const CorpusFolder&);
};

const LoadFailure kLoadFailures[] = {
    {"missing index header", [](const CorpusFolder& c) { c.Remove("Index-idx.h"); }},
    {"missing postings", [](const CorpusFolder& c) { c.Remove("Index-idx.m"); }},
    {"missing page directory", [](const CorpusFolder& c) { c.Remove("Index-fl.h"); }},
    {"missing page content", [](const CorpusFolder& c) { c.Remove("Index-fl.cnt"); }},
    {"empty index header", [](const CorpusFolder& c) { c.Truncate("Index-idx.h", 0); }},
    {"index header one byte short of its tables",
     [](const CorpusFolder& c) { c.Truncate("Index-idx.h", engine::kHeaderTablesSize - 1); }},
    {"empty postings", [](const CorpusFolder& c) { c.Truncate("Index-idx.m", 0); }},
    {"page directory shorter than its header",
     [](const CorpusFolder& c) { c.Truncate("Index-fl.h", 267); }},
    {"page directory with name width 0",
     [](const CorpusFolder& c) { c.Patch32("Index-fl.h", 4, 0); }},
    {"page directory with a negative name width",
     [](const CorpusFolder& c) { c.Patch32("Index-fl.h", 4, 0xFFFFFFF0u); }},
    {"page directory with an absurd name width",
     [](const CorpusFolder& c) { c.Patch32("Index-fl.h", 4, 1u << 30); }},
    {"index header that is a folder",
     [](const CorpusFolder& c) {
         c.Remove("Index-idx.h");
         std::filesystem::create_directory(c.PathOf("Index-idx.h"));
     }},
    // A FIFO in a file's place must not block the reader in open().
    {"index header that is a FIFO", [](const CorpusFolder& c) { c.MakeFifo("Index-idx.h"); }},
    {"postings that are a FIFO", [](const CorpusFolder& c) { c.MakeFifo("Index-idx.m"); }},
    {"page directory that is a FIFO", [](const CorpusFolder& c) { c.MakeFifo("Index-fl.h"); }},
    {"page content that is a FIFO", [](const CorpusFolder& c) { c.MakeFifo("Index-fl.cnt"); }},
    {"postings that are a character device",
     [](const CorpusFolder& c) {
         c.Remove("Index-idx.m");
         std::filesystem::create_symlink("/dev/zero", c.PathOf("Index-idx.m"));
     }},
    // Lengths beyond what the format allows are refused before anything is
    // allocated or scanned (sparse files: no disk space is used).
    {"index header of 2 GiB", [](const CorpusFolder& c) { c.Truncate("Index-idx.h", 2ull << 30); }},
    {"postings of 4 GiB", [](const CorpusFolder& c) { c.Truncate("Index-idx.m", 4ull << 30); }},
    {"page directory of 5 GiB",
     [](const CorpusFolder& c) { c.Truncate("Index-fl.h", 5ull << 30); }},
    // Files of two builds: the manifest names other contents.
    {"postings of another build",
     [](const CorpusFolder& c) {
         c.WriteManifest();
         c.Write("Index-idx.m", c.Read("Index-idx.m") + std::string(4096, '\0'));
     }},
    {"page directory of another build of the same length",
     [](const CorpusFolder& c) {
         c.WriteManifest();
         c.Patch32("Index-fl.h", 8 + 40, 0x12345678);
     }},
    {"malformed manifest",
     [](const CorpusFolder& c) { c.Write(engine::kManifestName, "orvale-corpus 1\nstamp x\n"); }},
    {"manifest that is a FIFO", [](const CorpusFolder& c) { c.MakeFifo(engine::kManifestName); }},
};

class LoadFailureTest : public ::testing::TestWithParam<LoadFailure> {};

TEST_P(LoadFailureTest, LoadFailsCleanlyAndAGoodCorpusLoadsAfterwards) {
    const HangGuard guard(60);
    const CorpusFolder good;
    const CorpusFolder damaged;
    GetParam().damage(damaged);

    engine::CIndex index;
    ASSERT_TRUE(index.Load(good.Dir(), "Index", engine::Full));
    ASSERT_FALSE(PagesOf(index, u"一").empty());
    const std::vector<std::uint32_t> before = index.GetHitPages();

    EXPECT_FALSE(index.Load(damaged.Dir(), "Index", engine::Full));
    EXPECT_FALSE(index.IsLoaded());
    EXPECT_FALSE(index.PageStore().IsLoaded());
    std::string page;
    EXPECT_FALSE(index.ReadPage(0, page));
    std::u16string query = u"一";
    index.SearchAnd(query, true, false);  // an unloaded index finds nothing, and does not crash
    EXPECT_TRUE(index.GetHitPages().empty());

    ASSERT_TRUE(index.Load(good.Dir(), "Index", engine::Full));
    EXPECT_EQ(PagesOf(index, u"一"), before);

    const CliResult cli = RunCli(damaged.Dir(), {"search", "一"});
    EXPECT_EQ(cli.status, 1);
    EXPECT_NE(cli.err.find(kOpenFailed), std::string::npos) << cli.err;
    EXPECT_EQ(RunCli(damaged.Dir(), {"page", "0"}).status, 1);
}

INSTANTIATE_TEST_SUITE_P(DamagedFiles, LoadFailureTest, ::testing::ValuesIn(kLoadFailures),
                         [](const auto& info) {
                             std::string name = info.param.name;
                             for (char& c : name) {
                                 if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                             }
                             return name;
                         });

TEST(DamagedFiles, HeaderWithTrailingBytesLoadsAndSearchesAsBefore) {
    const CorpusFolder corpus;
    engine::CIndex index;
    ASSERT_TRUE(index.Load(corpus.Dir(), "Index", engine::Full));
    const std::vector<std::uint32_t> expected = PagesOf(index, u"一二");
    for (int extra = 1; extra <= 3; ++extra) {
        corpus.Write("Index-idx.h", corpus.Read("Index-idx.h") + "\x7F");
        ASSERT_TRUE(index.Load(corpus.Dir(), "Index", engine::Full)) << extra;
        EXPECT_EQ(PagesOf(index, u"一二"), expected) << extra;
    }
}

TEST(DamagedFiles, MissingVariantTableLoadsWithVariantsChangingNothing) {
    const CorpusFolder corpus;
    corpus.Remove("yitizi.txt");
    engine::CIndex index;
    ASSERT_TRUE(index.Load(corpus.Dir(), "Index", engine::Full));
    EXPECT_TRUE(index.Variants().empty());
    std::u16string plain = u"壹";
    index.SearchAnd(plain, true, false);
    const auto pages = index.GetHitPages();
    std::u16string widened = u"壹";
    index.SearchAnd(widened, true, true);
    EXPECT_EQ(index.GetHitPages(), pages);
    EXPECT_EQ(RunCli(corpus.Dir(), {"search", "--raw", "壹"}).status, 0);
}

// A stream of one character over enough pages to fill several blocks.
struct ChainedIndex {
    static constexpr int kCode = 0x4E00 - 0x3400;  // 一
    static constexpr std::uint32_t kPages = 3000;  // 4 bytes each: three blocks
    enginetest::IndexWriter writer;
    enginetest::IndexFiles files;
    ChainedIndex() {
        for (std::uint32_t p = 0; p < kPages; ++p) writer.AddEntry(kCode, p, {p % 5});
        files = writer.Build(enginetest::BlockOrder::Shuffled, 3);
    }
    std::uint32_t Block(std::size_t k) const { return writer.BlockOf(kCode, k); }
    void SetNext(std::uint32_t block, std::uint32_t next) {
        std::memcpy(files.header.data() + engine::kHeaderTablesSize + 4 * block, &next, 4);
    }
    void SetFirst(std::uint32_t block) { std::memcpy(files.header.data() + 4 * kCode, &block, 4); }
    // A last page the stream never reaches: only the damage can end it.
    void SetLastPageBeyond() {
        const std::uint32_t last = 5000000;
        std::memcpy(files.header.data() + 1000000 + 4 * kCode, &last, 4);
    }
};

// Damaged postings: the load succeeds (nothing in the header is wrong enough
// to refuse), a search over the damage ends with the pages read before it and
// PostingsDamaged(); a search of an undamaged character is not affected.
struct PostingsDamage {
    const char* name;
    void (*damage)(ChainedIndex&);
    bool cutFile;  // cut the postings file inside the stream's second block
};

const PostingsDamage kPostingsDamages[] = {
    {"chain that loops back",
     [](ChainedIndex& c) {
         c.SetNext(c.Block(1), c.Block(0));
         c.SetLastPageBeyond();
     },
     false},
    {"chain that loops on itself",
     [](ChainedIndex& c) {
         c.SetNext(c.Block(2), c.Block(2));
         c.SetLastPageBeyond();
     },
     false},
    {"next block past the postings file", [](ChainedIndex& c) { c.SetNext(c.Block(0), 1000000); },
     false},
    {"next block past the next-block table",
     [](ChainedIndex& c) { c.SetNext(c.Block(0), 0xFFFFFFF0u); }, false},
    {"first block past the postings file", [](ChainedIndex& c) { c.SetFirst(77777); }, false},
    {"truncated postings file", [](ChainedIndex&) {}, true},
};

class PostingsDamageTest : public ::testing::TestWithParam<PostingsDamage> {};

TEST_P(PostingsDamageTest, SearchEndsAndReportsTheDamage) {
    const HangGuard guard(60);
    const CorpusFolder corpus;
    ChainedIndex chained;
    // A second character with a healthy stream, to show that it still works.
    chained.writer.AddEntry(0x4E8C - 0x3400, 5, {1, 3});
    chained.files = chained.writer.Build(enginetest::BlockOrder::Shuffled, 3);
    GetParam().damage(chained);
    // The healthy stream is checked only where the damage leaves its block.
    bool healthyKept = GetParam().cutFile == false;
    if (GetParam().cutFile) {
        const std::size_t cut = chained.Block(1) * std::size_t{4096} + 100;
        ASSERT_LT(cut, chained.files.postings.size());
        healthyKept = chained.writer.BlockOf(0x4E8C - 0x3400, 0) < chained.Block(1);
        chained.files.postings.resize(cut);
    }
    ASSERT_TRUE(enginetest::WriteIndex(corpus.Dir(), "Index", "", chained.files));

    engine::CIndex index;
    ASSERT_TRUE(index.Load(corpus.Dir(), "Index", engine::Full));
    std::u16string query = u"一";
    index.SearchAnd(query, true, false);
    EXPECT_EQ(index.LastStatus(), engine::SearchStatus::Ok);
    EXPECT_TRUE(index.PostingsDamaged());
    // The same search again, its postings now read from the kept tables,
    // reports the damage again.
    const std::vector<std::uint32_t> first = index.GetHitPages();
    query = u"一";
    index.SearchAnd(query, true, false);
    EXPECT_TRUE(index.PostingsDamaged());
    EXPECT_EQ(index.GetHitPages(), first);
    // The pages read before the damage stay in the result.
    const auto& pages = index.GetHitPages();
    for (std::size_t i = 0; i < pages.size() && i < ChainedIndex::kPages; ++i) {
        ASSERT_EQ(pages[i], i);
    }

    // The command-line tool prints what it could read, names the damaged
    // file on one stderr line and exits with its own status.
    const CliResult cli = RunCli(corpus.Dir(), {"search", "--raw", "--no-variants", "一"});
    EXPECT_EQ(cli.status, 3) << cli.err;
    EXPECT_NE(cli.err.find("Index-idx.m"), std::string::npos) << cli.err;
    // The fixture has no accelerator file, which is said once on a line of
    // its own; the damage takes exactly one more.
    const std::size_t notice = cli.err.find("Index-idx.acc");
    const std::string damageLines =
        notice == std::string::npos ? cli.err : cli.err.substr(cli.err.find('\n', notice) + 1);
    EXPECT_EQ(std::count(damageLines.begin(), damageLines.end(), '\n'), 1) << cli.err;
    EXPECT_EQ(static_cast<std::size_t>(std::count(cli.out.begin(), cli.out.end(), '\n')),
              pages.size());
    if (!healthyKept) return;

    std::u16string healthy = u"二";
    index.SearchAnd(healthy, true, false);
    EXPECT_FALSE(index.PostingsDamaged());
    EXPECT_EQ(index.GetHitPages(), std::vector<std::uint32_t>{5});
    EXPECT_EQ(index.GetHitCounts(), std::vector<std::uint32_t>{2});

    const CliResult healthyCli = RunCli(corpus.Dir(), {"search", "--raw", "--no-variants", "二"});
    EXPECT_EQ(healthyCli.status, 0) << healthyCli.err;
}

INSTANTIATE_TEST_SUITE_P(DamagedFiles, PostingsDamageTest, ::testing::ValuesIn(kPostingsDamages),
                         [](const auto& info) {
                             std::string name = info.param.name;
                             for (char& c : name) {
                                 if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                             }
                             return name;
                         });

// Page records whose numbers point outside the content file: that page
// cannot be read (the reader shows nothing for it), the others still can.
TEST(DamagedFiles, PageRecordsPointingPastTheContentFailOnlyThemselves) {
    const CorpusFolder corpus;
    constexpr std::uint64_t kWidth = 32;  // name width of the fixture's store
    const auto recordAt = [](std::uint32_t r) { return 268 + r * (kWidth + 8) + kWidth; };
    const std::uint64_t contentSize = corpus.Read("Index-fl.cnt").size();
    corpus.Patch32("Index-fl.h", recordAt(1), static_cast<std::uint32_t>(contentSize + 10));
    corpus.Patch32("Index-fl.h", recordAt(2) + 4, 0xFFFFFFF0u);  // length beyond its end offset
    corpus.Patch32("Index-fl.h", recordAt(3), 0xFFFFFFFFu);
    corpus.Patch32("Index-fl.h", recordAt(3) + 4, 0xFFFFFFFFu);

    engine::CIndex index;
    ASSERT_TRUE(index.Load(corpus.Dir(), "Index", engine::Full));
    for (std::uint32_t record : {1u, 2u, 3u}) {
        SCOPED_TRACE(record);
        std::uint32_t size = 12345;
        EXPECT_FALSE(index.GetPageSize(record, size));
        EXPECT_EQ(size, 12345u);
        std::string page = "untouched";
        EXPECT_FALSE(index.ReadPage(record, page));
        EXPECT_EQ(page, "untouched");
        std::string html = "untouched";
        EXPECT_EQ(index.ComposeHitPage(record, html, u"一", 0, true), 0);
        EXPECT_EQ(html, "untouched");
        const CliResult cli = RunCli(corpus.Dir(), {"page", std::to_string(record)});
        EXPECT_EQ(cli.status, 3);
        EXPECT_NE(cli.err.find("Index-fl.h"), std::string::npos) << cli.err;
    }
    std::string page;
    EXPECT_TRUE(index.ReadPage(0, page));
    EXPECT_NE(page.find("<title>"), std::string::npos);
    std::string html;
    EXPECT_GT(index.ComposeHitPage(4, html, u"九", 0, false), 0);
    EXPECT_EQ(RunCli(corpus.Dir(), {"page", "0"}).status, 0);
}

// A page directory that ends inside a record: the whole records remain.
TEST(DamagedFiles, PageDirectoryEndingInsideARecordKeepsTheWholeRecords) {
    const CorpusFolder corpus;
    const std::uint64_t size = corpus.Read("Index-fl.h").size();
    corpus.Truncate("Index-fl.h", size - 5);
    engine::CIndex index;
    ASSERT_TRUE(index.Load(corpus.Dir(), "Index", engine::Full));
    const std::uint32_t records = index.PageStore().RecordCount();
    EXPECT_EQ(records, 11u);
    std::string page;
    EXPECT_TRUE(index.ReadPage(records - 1, page));
    EXPECT_FALSE(index.ReadPage(records, page));
    std::int64_t found = -1;
    EXPECT_FALSE(index.FindPage(0, 12, found));  // the cut record's page is gone
    EXPECT_TRUE(index.FindPage(0, 11, found));
    EXPECT_EQ(found, 10);
}

// kvt.dir ending inside a record: the catalogue holds the whole records and
// says that the rest was ignored; a missing kvt.dir shows the program's
// message and leaves an empty catalogue.
TEST(DamagedFiles, CatalogueEndingInsideARecordLoadsTheWholeRecords) {
    const CorpusFolder corpus;
    const std::string whole = corpus.Read("kvt.dir");
    for (std::size_t cut : {std::size_t{1}, std::size_t{100}, std::size_t{215}}) {
        SCOPED_TRACE(cut);
        corpus.Write("kvt.dir", whole.substr(0, whole.size() - cut));
        panel::Catalogue catalogue;
        const panel::CatalogueLoadResult result = catalogue.LoadCatalogue(corpus.Dir(), "");
        EXPECT_TRUE(result.opened);
        EXPECT_EQ(result.records, 3);
        EXPECT_FALSE(result.diagnostic.empty());
        EXPECT_EQ(catalogue.TreePath(3), "經部\\周易\\卷一");
        EXPECT_EQ(catalogue.NodeOfSlot(4), nullptr);
        const CliResult cli = RunCli(corpus.Dir(), {"catalogue"});
        EXPECT_EQ(cli.status, 0) << cli.err;
        EXPECT_NE(cli.out.find("卷一"), std::string::npos);
        EXPECT_EQ(cli.out.find("卷二"), std::string::npos);
    }
}

TEST(DamagedFiles, MissingCatalogueShowsItsMessageAndSearchStillWorks) {
    const CorpusFolder corpus;
    corpus.Remove("kvt.dir");
    panel::Catalogue catalogue;
    const panel::CatalogueLoadResult result = catalogue.LoadCatalogue(corpus.Dir(), "");
    EXPECT_FALSE(result.opened);
    EXPECT_EQ(catalogue.RecordCount(), 1);
    EXPECT_STREQ(panel::kCatalogueMissingMessage, "you delete data file!");
    const CliResult listing = RunCli(corpus.Dir(), {"catalogue"});
    EXPECT_EQ(listing.status, 1);
    EXPECT_NE(listing.err.find(panel::kCatalogueMissingMessage), std::string::npos) << listing.err;
    engine::CIndex index;
    ASSERT_TRUE(index.Load(corpus.Dir(), "Index", engine::Full));
    EXPECT_FALSE(PagesOf(index, u"一").empty());
    EXPECT_EQ(RunCli(corpus.Dir(), {"search", "--raw", "一"}).status, 0);
}

// Variant tables with absurd lines load without failing: what cannot be a
// member becomes 0 or a code point no keyword holds, lines past the index's
// group codes map to codes the search treats as having no postings.
TEST(DamagedFiles, AbsurdVariantLinesNeitherFailNorBreakTheSearch) {
    const HangGuard guard(60);
    const CorpusFolder corpus;
    std::string table = "4E00,58F9\n";
    table += "FFFFFFFFFFFFFFFFFFFF,-1,zz,0x,  +7F,\x01\xff\xfe,,,\r\n";
    table += std::string(200000, ',') + "\n";           // one line of nothing but commas
    table += std::string(100000, 'F') + ",4E8C\n";      // one absurdly long member
    for (int g = 0; g < 20000; ++g) table += "5341\n";  // groups past the last group code
    table += "4E5D,7396\n";  // group 20,004: its code lies beyond the index tables
    corpus.Write("yitizi.txt", table);

    engine::CIndex index;
    ASSERT_TRUE(index.Load(corpus.Dir(), "Index", engine::Full));
    EXPECT_EQ(index.Variants().size(), 20005u);
    int code = 0;
    EXPECT_TRUE(index.MapVariant(0x7396, code));
    EXPECT_GE(code, engine::kCodeCount);
    std::u16string far = u"玖";  // its group has no slot in the index: no hits, no crash
    index.SearchAnd(far, true, true);
    EXPECT_EQ(index.LastStatus(), engine::SearchStatus::Ok);
    EXPECT_TRUE(index.GetHitPages().empty());
    std::u16string near =
        u"壹";  // group 0 is still answered (the fixture's index has no group 0 postings)
    index.SearchAnd(near, true, false);
    EXPECT_FALSE(index.GetHitPages().empty());
    std::string html;
    index.ComposeHitPage(1, html, u"一", 0, true);
    EXPECT_NE(html.find("<a name=\"0000\">"), std::string::npos);
    EXPECT_EQ(RunCli(corpus.Dir(), {"search", "--raw", "九"}).status, 0);
}

}  // namespace
}  // namespace reliability
