#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include "engine/index.h"
#include "tests/engine/indexfixture.h"

namespace engine {
namespace {

using enginetest::IndexFiles;
using enginetest::IndexWriter;
using enginetest::TempDir;
using enginetest::WriteFile;
using enginetest::WriteIndex;
using enginetest::WritePageStore;

constexpr char32_t kA = 0x4E00;
constexpr char32_t kB = 0x4E8C;

std::vector<std::uint32_t> Pages(const CIndex& index) { return index.GetHitPages(); }

int Search(CIndex& index, std::u16string query) { return index.SearchAnd(query, true, false); }

TEST(IndexLoadTest, LoadsAndForwardsPageOperations) {
    TempDir dir;
    ASSERT_TRUE(enginetest::WriteCorpus(dir.Path(), {U"\x4E00", U"\x4E8C"}));
    ASSERT_TRUE(WritePageStore(dir.Path(), "Index", {"first", "", "third"}, 77,
                               {"0012.htm", "12x.htm", ".htm"}));
    CIndex index;
    ASSERT_TRUE(index.Load(dir.Path(), "Index", Full));
    EXPECT_TRUE(index.IsLoaded());
    EXPECT_EQ(index.GetListHeaderValue(), 77);
    std::int64_t record = -5;
    EXPECT_TRUE(index.FindPage(1, 12, record));
    EXPECT_EQ(record, 1);
    EXPECT_TRUE(index.FindPage(0, 0, record));
    EXPECT_EQ(record, 2);
    std::uint32_t size = 99;
    EXPECT_TRUE(index.GetPageSize(0, size));
    EXPECT_EQ(size, 5u);
    std::string page;
    EXPECT_TRUE(index.ReadPage(0, page));
    EXPECT_EQ(page, "first");
    EXPECT_TRUE(index.GetPageSize(1, size));
    EXPECT_EQ(size, 0u);
    EXPECT_FALSE(index.GetPageSize(3, size));
    index.Unload();
    EXPECT_FALSE(index.IsLoaded());
    EXPECT_FALSE(index.GetPageSize(0, size));
}

TEST(IndexLoadTest, ComposeHitPageWidensWithTheVariantSpellings) {
    TempDir dir;
    ASSERT_TRUE(enginetest::WriteCorpus(dir.Path(), {U"\x4E00"}, {{kA, 0x56DB}, {kB, 0x5F0C}}));
    const std::string page =
        "<html><head><title>T</title></head><body><table><tr><TD>\xE4\xB8\x80\xE5\x9B\x9B"
        "\xE4\xBA\x8C\xE5\xBC\x8C\xE5\x9B\x9B\xE5\xBC\x8C</TD><TD>m</TD></tr></table>"
        "</body></html>";
    ASSERT_TRUE(WritePageStore(dir.Path(), "Index", {page}, 1, {"0012.htm"}));
    CIndex index;
    ASSERT_TRUE(index.Load(dir.Path(), "Index", Full));
    for (const std::u16string keywords :
         {u"\x4E00\x4E8C", u"\x4E00 \x4E8C", u"\x56DB\x3000\x4E09"}) {
        // The widened page is the page composed for every spelling.
        std::u16string spellings;
        for (const std::u16string& spelling : index.ExpandVariants(keywords)) {
            spellings += (spellings.empty() ? u"" : u" ") + spelling;
        }
        std::string widened;
        std::string expected;
        const std::int32_t anchors = index.ComposeHitPage(0, widened, keywords, 0, true);
        EXPECT_EQ(anchors, index.PageStore().ComposeHitPage(0, expected, spellings, 0));
        EXPECT_EQ(widened, expected);
        EXPECT_GT(anchors, 0);
        std::string plain;
        expected.clear();
        EXPECT_EQ(index.ComposeHitPage(0, plain, keywords, 0, false),
                  index.PageStore().ComposeHitPage(0, expected, keywords, 0));
        EXPECT_EQ(plain, expected);
    }
}

// Header files of the given size: the five tables, then whole or partial
// next-block entries. Every stream fits in its first block.
TEST(IndexLoadTest, HeaderSizes) {
    struct Case {
        std::size_t size;
        bool loads;
    };
    const std::vector<Case> cases = {
        {1400000, true}, {1400003, true}, {1400004, true}, {1399999, false}, {0, false}};
    for (const Case& c : cases) {
        TempDir dir;
        IndexWriter writer;
        writer.AddPages(0, {U"\x4E00\x4E8C", U"\x4E8C\x4E00\x4E8C"});
        IndexFiles files = writer.Build(enginetest::BlockOrder::Sequential, 1, false);
        files.header.resize(c.size, '\0');
        ASSERT_TRUE(WriteIndex(dir.Path(), "Index", "", files));
        ASSERT_TRUE(WritePageStore(dir.Path(), "Index", {"a", "b"}));
        CIndex index;
        EXPECT_EQ(index.Load(dir.Path(), "Index", Full), c.loads) << c.size;
        EXPECT_EQ(index.IsLoaded(), c.loads);
        Search(index, u"\x4E8C");
        if (c.loads) {
            EXPECT_EQ(Pages(index), (std::vector<std::uint32_t>{0, 1})) << c.size;
            EXPECT_EQ(index.GetHitCounts(), (std::vector<std::uint32_t>{1, 2})) << c.size;
        } else {
            EXPECT_TRUE(Pages(index).empty()) << c.size;
        }
    }
}

TEST(IndexLoadTest, MissingOrUnusableFilesFail) {
    struct Case {
        const char* name;
        const char* remove;    // file to delete after writing the corpus
        const char* truncate;  // file to empty after writing the corpus
    };
    const std::vector<Case> cases = {
        {"no header file", "Index-idx.h", nullptr},
        {"no postings file", "Index-idx.m", nullptr},
        {"empty postings file", nullptr, "Index-idx.m"},
        {"no page directory", "Index-fl.h", nullptr},
        {"no page contents", "Index-fl.cnt", nullptr},
    };
    for (const Case& c : cases) {
        TempDir dir;
        ASSERT_TRUE(enginetest::WriteCorpus(dir.Path(), {U"\x4E00"}, {{kA, kB}}));
        CIndex index;
        ASSERT_TRUE(index.Load(dir.Path(), "Index", Full)) << c.name;
        EXPECT_EQ(Search(index, u"\x4E00"), 1);
        index.Unload();
        if (c.remove != nullptr) ::unlink((dir.Path() + "/" + c.remove).c_str());
        if (c.truncate != nullptr) {
            ASSERT_TRUE(WriteFile(dir.Path() + "/" + c.truncate, ""));
        }
        EXPECT_FALSE(index.Load(dir.Path(), "Index", Full)) << c.name;
        EXPECT_FALSE(index.IsLoaded()) << c.name;
        std::uint32_t size = 0;
        EXPECT_FALSE(index.GetPageSize(0, size)) << c.name;
        // The variant table read before the failure stays.
        EXPECT_EQ(index.Variants().size(), 1u) << c.name;
        EXPECT_EQ(Search(index, u"\x4E00"), 0) << c.name;
        EXPECT_TRUE(Pages(index).empty()) << c.name;
    }
}

TEST(IndexLoadTest, ScopeSuffixes) {
    TempDir dir;
    // Each scope's index holds one different page of the three.
    const std::vector<std::pair<std::string, std::uint32_t>> scopes = {
        {"", 0}, {"_desc", 1}, {"_content", 2}};
    for (const auto& [suffix, page] : scopes) {
        IndexWriter writer;
        writer.AddEntry(0, page, {0});
        ASSERT_TRUE(WriteIndex(dir.Path(), "Index", suffix,
                               writer.Build(enginetest::BlockOrder::Sequential)));
    }
    ASSERT_TRUE(WritePageStore(dir.Path(), "Index", {"a", "b", "c"}));
    const std::vector<std::pair<int, std::uint32_t>> cases = {
        {Full, 0}, {Desc, 1}, {Content, 2}, {7, 0}, {-1, 0}};
    for (const auto& [scope, page] : cases) {
        CIndex index;
        ASSERT_TRUE(index.Load(dir.Path(), "Index", scope)) << scope;
        Search(index, u"\x3400");
        EXPECT_EQ(Pages(index), std::vector<std::uint32_t>{page}) << scope;
    }
}

TEST(IndexLoadTest, LoadEmptiesTheHitList) {
    TempDir dir;
    ASSERT_TRUE(enginetest::WriteCorpus(dir.Path(), {U"\x4E00", U"\x4E00"}));
    CIndex index;
    ASSERT_TRUE(index.Load(dir.Path(), "Index", Full));
    EXPECT_EQ(Search(index, u"\x4E00"), 2);
    index.Unload();
    EXPECT_EQ(index.HitPageCount(), 2);  // kept until the next Load
    ASSERT_TRUE(index.Load(dir.Path(), "Index", Desc + 6));
    EXPECT_TRUE(index.GetHitPages().empty());
    EXPECT_TRUE(index.GetHitCounts().empty());
    EXPECT_EQ(index.HitPageCount(), 0);
}

TEST(IndexLoadTest, ReadersShareTheCorpusAndAnExclusiveHolderFailsTheLoad) {
    TempDir dir;
    ASSERT_TRUE(enginetest::WriteCorpus(dir.Path(), {U"\x4E00"}));
    CIndex first;
    CIndex second;
    ASSERT_TRUE(first.Load(dir.Path(), "Index", Full));
    ASSERT_TRUE(second.Load(dir.Path(), "Index", Full));
    first.Unload();
    second.Unload();
    for (const char* file : {"Index-idx.h", "Index-idx.m"}) {
        const int fd = ::open((dir.Path() + "/" + file).c_str(), O_RDONLY);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::flock(fd, LOCK_EX), 0);
        CIndex index;
        EXPECT_FALSE(index.Load(dir.Path(), "Index", Full)) << file;
        ::close(fd);
        EXPECT_TRUE(index.Load(dir.Path(), "Index", Full)) << file;
    }
}

// A corpus whose code 0 has a stream of several blocks; the test damages
// the chain after the second block.
TEST(IndexLoadTest, DamagedChainsEndThePostings) {
    struct Case {
        const char* name;
        std::uint32_t next;  // what the second block's next-block entry becomes
    };
    IndexWriter writer;
    std::vector<std::uint32_t> positions;
    for (std::uint32_t p = 0; p < 1500; ++p) positions.push_back(p * 3);
    for (std::uint32_t page = 0; page < 12; ++page) writer.AddEntry(0, page * 2, positions);
    // A far last page, so that bytes re-read through a loop cannot pass for
    // the end of the stream; the loop is then caught by the chain's length.
    writer.AddEntry(0, 4000000, {0});
    writer.AddEntry(1, 5, {0});
    const IndexFiles clean = writer.Build(enginetest::BlockOrder::Shuffled, 9);
    ASSERT_GT(writer.Stream(0).size(), 3 * kBlockSize);
    const std::uint32_t second = writer.BlockOf(0, 1);
    const std::uint32_t blocks = static_cast<std::uint32_t>(clean.postings.size() / kBlockSize);
    const std::vector<Case> cases = {
        {"loop to the first block", writer.BlockOf(0, 0)},
        {"loop to itself", second},
        {"block past the end of the file", blocks + 3},
        {"no next block", 0xFFFFFFFF},
    };
    for (const Case& c : cases) {
        TempDir dir;
        IndexFiles files = clean;
        for (int i = 0; i < 4; ++i) {
            files.header[kHeaderTablesSize + second * 4 + i] =
                static_cast<char>((c.next >> (8 * i)) & 0xFF);
        }
        ASSERT_TRUE(WriteIndex(dir.Path(), "Index", "", files));
        ASSERT_TRUE(WritePageStore(dir.Path(), "Index", {"a"}));
        CIndex index;
        ASSERT_TRUE(index.Load(dir.Path(), "Index", Full));
        Search(index, u"\x3400");
        EXPECT_TRUE(index.PostingsDamaged()) << c.name;
        // The five entries that lie wholly in the first two blocks are found.
        ASSERT_GE(Pages(index).size(), 5u) << c.name;
        for (std::uint32_t i = 0; i < 5; ++i) {
            EXPECT_EQ(Pages(index)[i], 2 * i) << c.name;
            EXPECT_EQ(index.GetHitCounts()[i], 1500u) << c.name;
        }
        // Other codes are unaffected, and the flag clears with the next search.
        Search(index, u"\x3401");
        EXPECT_EQ(Pages(index), std::vector<std::uint32_t>{5}) << c.name;
        EXPECT_FALSE(index.PostingsDamaged()) << c.name;
    }
}

TEST(IndexLoadTest, DamagedTablesNeverReadOutside) {
    struct Case {
        const char* name;
        std::uint32_t firstBlock;
        std::uint32_t lastPage;
        std::string stream;
    };
    std::string longEntry;
    enginetest::AppendPacked(longEntry, 0, 1);
    longEntry += std::string("\xFF\xFF", 2);  // 65,535 position bytes, far past the file
    std::string descending;
    enginetest::AppendPacked(descending, 3, 1);
    descending += std::string("\x01\x00\x00", 3);
    enginetest::AppendPacked(descending, 0, 1);  // a page delta of 0
    descending += std::string("\x01\x00\x00", 3);
    std::string emptyEntry("\x00\x00\x00", 3);
    const std::vector<Case> cases = {
        {"first block past the file", 50, 0, ""},
        {"entry running past the file", 0, 0, longEntry},
        {"last page never reached", 0, 1000000, std::string("\x00\x01\x00\x00", 4)},
        {"pages not ascending", 0, 9, descending},
        {"entry without positions", 0, 0, emptyEntry},
    };
    for (const Case& c : cases) {
        TempDir dir;
        IndexWriter writer;
        writer.AddRawStream(0, c.stream, c.lastPage);
        IndexFiles files = writer.Build(enginetest::BlockOrder::Sequential);
        for (int i = 0; i < 4; ++i) {
            files.header[i] = static_cast<char>((c.firstBlock >> (8 * i)) & 0xFF);
        }
        ASSERT_TRUE(WriteIndex(dir.Path(), "Index", "", files));
        ASSERT_TRUE(WritePageStore(dir.Path(), "Index", {"a"}));
        CIndex index;
        ASSERT_TRUE(index.Load(dir.Path(), "Index", Full));
        std::u16string single = u"\x3400";
        index.SearchAnd(single, true, false);
        EXPECT_TRUE(index.PostingsDamaged()) << c.name;
        for (bool count : {true, false}) {
            std::u16string query = u"\x3400?\x3400";
            index.SearchOr(query, count, false);
            EXPECT_TRUE(index.PostingsDamaged()) << c.name;
        }
    }
}

}  // namespace
}  // namespace engine
