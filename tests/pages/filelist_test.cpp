#include "pages/filelist.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <random>

#include "pages/pagenumber.h"
#include "tests/pages/storefixture.h"

namespace pages {
namespace {

using testing::Le32;
using testing::PageRecord;
using testing::StoreFixture;

TEST(PageNumberOfName, ReadsTheNumberBetweenLastBackslashAndDot) {
    struct Case {
        const char* name;
        bool has;
        std::int32_t number;
    };
    const Case cases[] = {
        {"vol\\0012.htm", true, 12},
        {"a\\b\\12x.htm", true, 12},
        {"a\\.htm", true, 0},
        {"a\\ -7.htm", true, -7},
        {"a.b\\0013", false, 0},
        {"0012.htm", false, 0},
        {"a\\1.2\\0005.x.htm", true, 5},
        {"a\\99999999999.htm", true, 2147483647},
    };
    for (const Case& c : cases) {
        std::int32_t number = -99;
        EXPECT_EQ(PageNumberOfName(c.name, number), c.has) << c.name;
        if (c.has) {
            EXPECT_EQ(number, c.number) << c.name;
        }
    }
}

class FileListTest : public ::testing::Test {
  protected:
    void WriteStandard() {
        store.Write({{"t\\v\\0001.htm", "page one"},
                     {"t\\v\\0002.htm", "page two!"},
                     {"t\\v\\0003.htm", ""},
                     {"t\\w\\0001.htm", "other volume"},
                     {"t\\w\\12x.htm", "twelve"}},
                    100, 5);
    }
    StoreFixture store;
    CFileList list;
};

TEST_F(FileListTest, LoadsTheHeaderAndCountsRecords) {
    EXPECT_EQ(list.NameWidth(), 100);
    EXPECT_FALSE(list.IsLoaded());
    WriteStandard();
    ASSERT_TRUE(list.Load(store.Dir(), "Index"));
    EXPECT_TRUE(list.IsLoaded());
    EXPECT_EQ(list.HeaderValue(), 5);
    EXPECT_EQ(list.NameWidth(), 100);
    EXPECT_EQ(list.RecordCount(), 5u);
}

TEST_F(FileListTest, RecordTwoOfWidth100SitsAt484WithLengthAt588) {
    WriteStandard();
    std::string header = store.ReadFile("Index-fl.h");
    ASSERT_GE(header.size(), 596u);
    EXPECT_EQ(header.substr(484, 12), std::string("t\\v\\0003.htm"));
    // Change the length of record 2 at byte 588 and see GetPageSize follow it.
    header.replace(584, 8, Le32(17) + Le32(17));
    store.WriteFile("Index-fl.h", header);
    ASSERT_TRUE(list.Load(store.Dir(), "Index"));
    std::uint32_t size = 0;
    ASSERT_TRUE(list.GetPageSize(2, size));
    EXPECT_EQ(size, 17u);
    std::string page;
    ASSERT_TRUE(list.ReadPage(2, page));
    EXPECT_EQ(page, std::string("page onepage two!"));
}

TEST_F(FileListTest, ReadsAndDescramblesPages) {
    WriteStandard();
    ASSERT_TRUE(list.Load(store.Dir(), "Index"));
    const std::pair<std::uint32_t, std::string> expected[] = {
        {0, "page one"}, {1, "page two!"}, {2, ""}, {3, "other volume"}, {4, "twelve"}};
    for (const auto& [record, bytes] : expected) {
        std::uint32_t size = 99;
        ASSERT_TRUE(list.GetPageSize(record, size));
        EXPECT_EQ(size, bytes.size());
        std::string page = "stale";
        ASSERT_TRUE(list.ReadPage(record, page));
        EXPECT_EQ(page, bytes);
    }
}

TEST_F(FileListTest, RecordsBeyondTheStoreAnswerFalse) {
    WriteStandard();
    ASSERT_TRUE(list.Load(store.Dir(), "Index"));
    std::uint32_t size = 7;
    std::string page = "kept";
    std::int32_t number = 3;
    EXPECT_FALSE(list.GetPageSize(5, size));
    EXPECT_FALSE(list.ReadPage(5, page));
    EXPECT_FALSE(list.GetPageNumber(5, number));
    EXPECT_FALSE(list.ReadPage(0xFFFFFFFFu, page));
    EXPECT_EQ(size, 7u);
    EXPECT_EQ(page, "kept");
    EXPECT_EQ(number, 3);
}

TEST_F(FileListTest, FindPageScansFromFirstRecordIntoLaterDocuments) {
    WriteStandard();
    ASSERT_TRUE(list.Load(store.Dir(), "Index"));
    struct Case {
        std::uint32_t first;
        std::uint32_t pageNo;
        bool found;
        std::int64_t record;
    };
    const Case cases[] = {
        {0, 1, true, 0},   {1, 1, true, 3},  {0, 3, true, 2},  {3, 12, true, 4},
        {0, 99, false, 4}, {5, 1, false, 4}, {9, 1, false, 8}, {4, 12, true, 4},
    };
    for (const Case& c : cases) {
        std::int64_t record = -5;
        EXPECT_EQ(list.FindPage(c.first, c.pageNo, record), c.found) << c.first << " " << c.pageNo;
        EXPECT_EQ(record, c.record) << c.first << " " << c.pageNo;
    }
}

TEST_F(FileListTest, FindPageScansManyRecordsAcrossReadChunks) {
    std::vector<PageRecord> records;
    for (int i = 0; i < 5000; ++i) records.push_back({"v\\" + std::to_string(i) + ".htm", "x"});
    store.Write(records, 40);
    ASSERT_TRUE(list.Load(store.Dir(), "Index"));
    std::int64_t record = 0;
    ASSERT_TRUE(list.FindPage(10, 4999, record));
    EXPECT_EQ(record, 4999);
    ASSERT_TRUE(list.FindPage(3000, 3001, record));
    EXPECT_EQ(record, 3001);
}

TEST_F(FileListTest, GetPageNumberGivesMinusOneForNamesWithout) {
    store.Write({{"v\\0007.htm", "a"}, {"nodot\\12", "b"}, {"v\\.htm", "c"}});
    ASSERT_TRUE(list.Load(store.Dir(), "Index"));
    std::int32_t number = 0;
    ASSERT_TRUE(list.GetPageNumber(0, number));
    EXPECT_EQ(number, 7);
    ASSERT_TRUE(list.GetPageNumber(1, number));
    EXPECT_EQ(number, -1);
    ASSERT_TRUE(list.GetPageNumber(2, number));
    EXPECT_EQ(number, 0);
}

TEST_F(FileListTest, NameFillingItsWholeFieldIsRead) {
    store.Write({{"a\\0042.htm", "p"}}, 10);  // exactly 10 bytes, no NUL
    ASSERT_TRUE(list.Load(store.Dir(), "Index"));
    std::int64_t record = -1;
    EXPECT_TRUE(list.FindPage(0, 42, record));
}

TEST_F(FileListTest, OperationsOnAnUnloadedStoreAnswerFalse) {
    std::uint32_t size = 1;
    std::string page = "kept";
    std::int64_t record = 0;
    EXPECT_FALSE(list.GetPageSize(0, size));
    EXPECT_FALSE(list.ReadPage(0, page));
    EXPECT_FALSE(list.FindPage(2, 1, record));
    EXPECT_EQ(record, 1);
    EXPECT_EQ(list.RecordCount(), 0u);
    EXPECT_EQ(page, "kept");
}

TEST_F(FileListTest, MissingContentFileFailsEvenAfterAGoodLoad) {
    WriteStandard();
    ASSERT_TRUE(list.Load(store.Dir(), "Index"));
    store.Remove("Index-fl.cnt");
    EXPECT_FALSE(list.Load(store.Dir(), "Index"));
    EXPECT_FALSE(list.IsLoaded());
    std::string page;
    EXPECT_FALSE(list.ReadPage(0, page));
}

TEST_F(FileListTest, MissingHeaderOrWrongBaseNameFails) {
    WriteStandard();
    EXPECT_FALSE(list.Load(store.Dir(), "Other"));
    EXPECT_FALSE(list.Load(store.Dir() + "/nowhere", "Index"));
    store.Remove("Index-fl.h");
    EXPECT_FALSE(list.Load(store.Dir(), "Index"));
}

TEST_F(FileListTest, DamagedHeadersAreRefused) {
    const std::string block(kHeaderBlockSize, '\0');
    const std::pair<const char*, std::string> headers[] = {
        {"empty", ""},
        {"short by one byte", Le32(0) + Le32(100) + block.substr(1)},
        {"name width 0", Le32(0) + Le32(0) + block},
        {"negative name width", Le32(0) + Le32(0xFFFFFFF0u) + block},
        {"absurd name width", Le32(0) + Le32(kMaxNameWidth + 1) + block},
    };
    store.WriteFile("Index-fl.cnt", "content");
    for (const auto& [what, header] : headers) {
        store.WriteFile("Index-fl.h", header);
        EXPECT_FALSE(list.Load(store.Dir(), "Index")) << what;
        EXPECT_FALSE(list.IsLoaded()) << what;
    }
    store.WriteFile("Index-fl.h", Le32(3) + Le32(kMaxNameWidth) + block);
    EXPECT_TRUE(list.Load(store.Dir(), "Index"));
    EXPECT_EQ(list.RecordCount(), 0u);
}

TEST_F(FileListTest, DirectoryInPlaceOfAFileIsRefused) {
    WriteStandard();
    store.Remove("Index-fl.cnt");
    ASSERT_EQ(mkdir((store.Dir() + "/Index-fl.cnt").c_str(), 0700), 0);
    EXPECT_FALSE(list.Load(store.Dir(), "Index"));
}

// Records whose offsets do not describe a page inside the content file.
TEST_F(FileListTest, DamagedRecordsAnswerFalseAndComposeNothing) {
    const std::string name(100, '\0');
    const std::string content(10, 'x');
    const std::pair<const char*, std::string> records[] = {
        {"length above end offset", Le32(4) + Le32(5)},
        {"end past the content file", Le32(11) + Le32(2)},
        {"huge length", Le32(0xFFFFFFFFu) + Le32(0xFFFFFFF0u)},
    };
    for (const auto& [what, numbers] : records) {
        store.WriteFile("Index-fl.h", Le32(1) + Le32(100) + std::string(kHeaderBlockSize, '\0') +
                                          "v\\0001.htm" + name.substr(10) + numbers);
        store.WriteFile("Index-fl.cnt", content);
        ASSERT_TRUE(list.Load(store.Dir(), "Index")) << what;
        std::uint32_t size = 77;
        std::string page = "kept";
        std::string html = "kept";
        EXPECT_FALSE(list.GetPageSize(0, size)) << what;
        EXPECT_FALSE(list.ReadPage(0, page)) << what;
        EXPECT_EQ(list.ComposeHitPage(0, html, u"x", 0), 0) << what;
        EXPECT_EQ(size, 77u);
        EXPECT_EQ(page, "kept");
        EXPECT_EQ(html, "kept");
    }
}

TEST_F(FileListTest, TruncatedLastRecordDoesNotCount) {
    WriteStandard();
    std::string header = store.ReadFile("Index-fl.h");
    header.resize(header.size() - 3);
    store.WriteFile("Index-fl.h", header);
    ASSERT_TRUE(list.Load(store.Dir(), "Index"));
    EXPECT_EQ(list.RecordCount(), 4u);
    std::string page;
    EXPECT_FALSE(list.ReadPage(4, page));
    std::int64_t record = 0;
    EXPECT_FALSE(list.FindPage(0, 12, record));
    EXPECT_EQ(record, 3);
}

// Random record numbers and names: every answer stays inside the files.
TEST_F(FileListTest, RandomRecordsNeverReadOutsideTheFiles) {
    std::mt19937 random(5);
    const std::string content(64, 'c');
    for (int round = 0; round < 200; ++round) {
        const std::uint32_t width = 1 + random() % 12;
        std::string header = Le32(random()) + Le32(width) + std::string(kHeaderBlockSize, '\0');
        const int records = static_cast<int>(random() % 6);
        for (int r = 0; r < records; ++r) {
            for (std::uint32_t i = 0; i < width; ++i) header += "\\.0123x\0"[random() % 8];
            const std::uint32_t end = random() % 2 ? random() % 80 : random();
            const std::uint32_t length = random() % 2 ? random() % 80 : random();
            header += Le32(end) + Le32(length);
        }
        if (records > 0) header.resize(header.size() - random() % 3);
        store.WriteFile("Index-fl.h", header);
        store.WriteFile("Index-fl.cnt", content);
        ASSERT_TRUE(list.Load(store.Dir(), "Index"));
        for (std::uint32_t r = 0; r < static_cast<std::uint32_t>(records) + 2; ++r) {
            std::uint32_t size = 0;
            std::string page;
            std::string html;
            std::int32_t number = 0;
            std::int64_t found = 0;
            if (list.GetPageSize(r, size)) {
                EXPECT_LE(size, content.size());
                EXPECT_TRUE(list.ReadPage(r, page));
                EXPECT_EQ(page.size(), size);
            } else {
                EXPECT_FALSE(list.ReadPage(r, page));
            }
            list.GetPageNumber(r, number);
            list.FindPage(r, random() % 20, found);
            list.ComposeHitPage(r, html, u"c", static_cast<int>(r % 3));
        }
    }
}

}  // namespace
}  // namespace pages
