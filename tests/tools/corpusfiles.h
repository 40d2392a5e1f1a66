// A reader of corpus folders written from the format document alone, used to
// check what orvale-build writes without going through the engine. Damage
// (a chain leaving the file, an entry overrunning its block chain) is
// reported as a test failure, not a crash.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace toolstest {

std::string ReadFile(const std::filesystem::path& path);

struct PageRecord {
    std::string name;
    std::uint32_t endOffset = 0;
    std::uint32_t length = 0;
    std::string page;  // descrambled
};

struct PageStore {
    std::int32_t headerValue = 0;
    std::int32_t nameWidth = 0;
    std::string headerBlock;
    std::vector<PageRecord> records;
};

struct CatalogueRecord {
    std::u16string name;
    std::int32_t level = 0;
    std::int32_t docID = 0;
    std::int32_t docNo = 0;
    std::uint16_t curFileName = 0;
};

struct PageEntry {
    std::uint32_t record = 0;
    std::vector<std::uint32_t> positions;  // absolute
    bool operator==(const PageEntry&) const = default;
};

struct IndexFiles {
    std::vector<std::uint32_t> firstBlock, pageCounts, lastPage, nextBlock;
    std::vector<std::uint16_t> blockCounts;
    std::uint64_t postingsSize = 0;
    // Every code with postings, decoded.
    std::map<std::uint32_t, std::vector<PageEntry>> postings;
};

PageStore ReadPageStore(const std::filesystem::path& dir);
std::vector<CatalogueRecord> ReadCatalogue(const std::filesystem::path& dir);
// stem: "Index", "Index_content" or "Index_desc".
IndexFiles ReadIndex(const std::filesystem::path& dir, const std::string& stem);

}  // namespace toolstest
