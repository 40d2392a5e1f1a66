// Opening a corpus: the variant table and the catalogue read safely (no
// block on a FIFO, no read of a device, a size cap), the manifest's identity
// check, a folder handle that keeps its corpus when another takes its place,
// hit counts that saturate, and a catalogue listing of one line per record.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/corpusfolder.h"
#include "engine/hitlist.h"
#include "engine/index.h"
#include "panel/catalogue.h"
#include "tests/reliability/corpusfolder.h"

namespace reliability {
namespace {

// The variant table in a form the reader must not take: the corpus still
// loads, with no variant groups, and the command-line search answers.
struct VariantFileCase {
    const char* name;
    void (*place)(const CorpusFolder&);
};

const VariantFileCase kVariantFileCases[] = {
    {"a FIFO", [](const CorpusFolder& c) { c.MakeFifo("yitizi.txt"); }},
    {"a link to /dev/zero",
     [](const CorpusFolder& c) {
         c.Remove("yitizi.txt");
         std::filesystem::create_symlink("/dev/zero", c.PathOf("yitizi.txt"));
     }},
    {"a sparse file of 3 GiB", [](const CorpusFolder& c) { c.Truncate("yitizi.txt", 3ull << 30); }},
    {"one byte over the cap",
     [](const CorpusFolder& c) {
         c.Truncate("yitizi.txt", engine::VariantTable::kMaxFileBytes + 1);
     }},
};

TEST(SafeOpen, VariantTableThatCannotBeReadLeavesNoGroups) {
    for (const VariantFileCase& c : kVariantFileCases) {
        SCOPED_TRACE(c.name);
        const HangGuard guard(60);
        const CorpusFolder corpus;
        c.place(corpus);
        engine::CIndex index;
        ASSERT_TRUE(index.Load(corpus.Dir(), "Index", engine::Full));
        EXPECT_TRUE(index.Variants().empty());
        const CliResult cli = RunCli(corpus.Dir(), {"search", "--raw", "一"});
        EXPECT_EQ(cli.status, 0) << cli.err;
        EXPECT_FALSE(cli.out.empty());
    }
}

TEST(SafeOpen, VariantTableAtTheCapIsRead) {
    const CorpusFolder corpus;
    std::string table = corpus.Read("yitizi.txt");
    table.resize(engine::VariantTable::kMaxFileBytes, '\n');
    corpus.Write("yitizi.txt", table);
    engine::CIndex index;
    ASSERT_TRUE(index.Load(corpus.Dir(), "Index", engine::Full));
    EXPECT_FALSE(index.Variants().empty());
}

TEST(SafeOpen, CatalogueThatIsAFifoIsMissingNotAHang) {
    const HangGuard guard(60);
    const CorpusFolder corpus;
    corpus.MakeFifo("kvt.dir");
    panel::Catalogue catalogue;
    EXPECT_FALSE(catalogue.LoadCatalogue(corpus.Dir(), "").opened);
    const CliResult cli = RunCli(corpus.Dir(), {"catalogue"});
    EXPECT_EQ(cli.status, 1);
    EXPECT_NE(cli.err.find(panel::kCatalogueMissingMessage), std::string::npos) << cli.err;
}

TEST(CorpusIdentity, ManifestParsing) {
    const std::string stamp = "stamp 0123456789abcdef0123456789abcdef\n";
    struct Case {
        const char* what;
        std::string text;
        bool valid;
    };
    const Case cases[] = {
        {"stamp only", "orvale-corpus 1\n" + stamp, true},
        {"files", "orvale-corpus 1\n" + stamp + "file Index-fl.h 300 1f\nfile kvt.dir 0 0\n", true},
        {"no end of line", "orvale-corpus 1\n" + stamp + "file a 1 2", true},
        {"empty", "", false},
        {"other first line", "orvale-corpus 2\n" + stamp, false},
        {"no stamp", "orvale-corpus 1\nfile a 1 2\n", false},
        {"short stamp", "orvale-corpus 1\nstamp 0123\n", false},
        {"upper-case stamp", "orvale-corpus 1\nstamp 0123456789ABCDEF0123456789ABCDEF\n", false},
        {"two stamps", "orvale-corpus 1\n" + stamp + stamp, false},
        {"a name twice", "orvale-corpus 1\n" + stamp + "file a 1 2\nfile a 1 2\n", false},
        {"a name with a folder", "orvale-corpus 1\n" + stamp + "file ../a 1 2\n", false},
        {"a hidden name", "orvale-corpus 1\n" + stamp + "file .a 1 2\n", false},
        {"a negative length", "orvale-corpus 1\n" + stamp + "file a -1 2\n", false},
        {"a digest of 17 digits", "orvale-corpus 1\n" + stamp + "file a 1 11111111111111111\n",
         false},
        {"a line of another kind", "orvale-corpus 1\n" + stamp + "note hello\n", false},
        {"two spaces", "orvale-corpus 1\n" + stamp + "file a  1 2\n", false},
    };
    for (const Case& c : cases) {
        engine::Manifest manifest;
        EXPECT_EQ(engine::ParseManifest(c.text, manifest), c.valid) << c.what;
        if (!c.valid) continue;
        engine::Manifest again;
        EXPECT_TRUE(engine::ParseManifest(engine::ManifestText(manifest), again)) << c.what;
        EXPECT_EQ(again.files.size(), manifest.files.size()) << c.what;
    }
}

TEST(CorpusIdentity, FilesMatchingTheManifestLoadAndAnUnlistedFileIsNotChecked) {
    const CorpusFolder corpus;
    corpus.WriteManifest();
    corpus.Write("notes.txt", "not listed");
    engine::CorpusFolder folder;
    ASSERT_TRUE(folder.Open(corpus.Dir()));
    EXPECT_EQ(folder.Stamp(), std::string(32, 'a'));
    engine::CIndex index;
    ASSERT_TRUE(index.Load(folder, "Index", engine::Full));
    std::uint64_t size = 0;
    EXPECT_TRUE(folder.OpenFile("notes.txt", size).IsOpen());
    EXPECT_EQ(RunCli(corpus.Dir(), {"search", "--raw", "一"}).status, 0);
}

// The reader keeps the corpus whose folder it opened, even when a rebuild
// puts another folder in its place: a scope switch reads the same corpus.
TEST(CorpusIdentity, AnOpenFolderKeepsItsCorpusWhenAnotherTakesItsPlace) {
    const CorpusFolder first;
    const CorpusFolder second;
    // The second corpus: the same files with another header value.
    second.Patch32("Index-fl.h", 0, 4242);
    const std::string place = first.Dir() + "-place";
    std::filesystem::rename(first.Dir(), place);
    engine::CorpusFolder folder;
    ASSERT_TRUE(folder.Open(place));
    std::filesystem::rename(place, first.Dir() + "-old");
    std::filesystem::rename(second.Dir(), place);
    EXPECT_FALSE(folder.StillAt(place));

    engine::CIndex index;
    ASSERT_TRUE(index.Load(folder, "Index", engine::Full));
    EXPECT_NE(index.GetListHeaderValue(), 4242);
    ASSERT_TRUE(index.Load(folder, "Index", engine::Full));
    EXPECT_NE(index.GetListHeaderValue(), 4242);
    ASSERT_TRUE(index.Load(place, "Index", engine::Full));
    EXPECT_EQ(index.GetListHeaderValue(), 4242);
    // Put the folders back where the fixtures remove them.
    std::filesystem::rename(place, second.Dir());
    std::filesystem::rename(first.Dir() + "-old", first.Dir());
}

TEST(BoundedWork, HitCountsSaturateInsteadOfWrapping) {
    const std::uint32_t max = engine::kMaxHitCount;
    struct Case {
        engine::MergeMode mode;
        std::uint32_t listed;
        std::uint32_t added;
        std::uint32_t expected;
    };
    const Case cases[] = {
        {engine::Union, 5, 7, 12},
        {engine::Union, max - 1, 1, max},
        {engine::Union, max, max, max},
        {engine::Union, 0xFFFFFFFFu, 0xFFFFFFFFu, max},
        {engine::Intersect, max - 3, 10, max},
        {engine::Intersect, 3, 10, 13},
    };
    for (const Case& c : cases) {
        engine::HitList hits;
        hits.Merge(engine::Replace, {4}, {c.listed}, true);
        hits.Merge(c.mode, {4}, {c.added}, true);
        ASSERT_EQ(hits.m_hitCounts.size(), 1u);
        EXPECT_EQ(hits.m_hitCounts[0], c.expected) << c.listed << " + " << c.added;
    }
    EXPECT_EQ(engine::SaturatingHitProduct(65535, 32769), max);
    EXPECT_EQ(engine::SaturatingHitProduct(65535, 2), 131070u);
}

// A foreign kvt.dir whose names hold control characters: every record is
// still one line of the listing, the characters written as \xNN.
TEST(CatalogueListing, ControlCharactersInNamesAreEscaped) {
    const CorpusFolder corpus;
    corpus.Write("kvt.dir", CatalogueRecordBytes(u"甲\nname=偽\tdocID=999", 1, 1, 12, 1) +
                                CatalogueRecordBytes(u"乙\r\x7F", 2, 1, 12, 1) +
                                CatalogueRecordBytes(u"卷一", 3, 1, 12, 1));
    const CliResult cli = RunCli(corpus.Dir(), {"catalogue"});
    ASSERT_EQ(cli.status, 0) << cli.err;
    EXPECT_EQ(std::count(cli.out.begin(), cli.out.end(), '\n'), 3) << cli.out;
    EXPECT_NE(cli.out.find("name=甲\\x0Aname=偽\\x09docID=999\tdocID=1"), std::string::npos)
        << cli.out;
    EXPECT_NE(cli.out.find("name=乙\\x0D\\x7F\t"), std::string::npos) << cli.out;
}

}  // namespace
}  // namespace reliability
