// CatalogueWriter: collects the catalogue records (category, title, volume)
// as volumes arrive and writes kvt.dir at the end, when every category's and
// title's page range is known. Consecutive volumes with the same category
// share a category record, with the same category and title a title record;
// a name that comes back after another one makes a new record.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace build {

inline constexpr std::size_t kMaxCatalogueRecords = 9999;
inline constexpr std::size_t kCatalogueRecordSize = 216;

class CatalogueWriter {
  public:
    // Adds a volume of pageCount pages starting at record index firstRecord,
    // its first page numbered firstPage; returns the volume's 1-based slot.
    // Throws BuildError (bad input) when the catalogue would exceed 9,999
    // records. Names are UTF-8 of at most 99 UTF-16 units.
    std::uint32_t AddVolume(std::string_view category, std::string_view title,
                            std::string_view volume, std::uint32_t firstRecord,
                            std::uint32_t pageCount, std::uint32_t firstPage);

    std::size_t RecordCount() const { return m_records.size(); }

    // Writes kvt.dir. Throws BuildError on failure.
    void Write(const std::string& path) const;

  private:
    struct Record {
        std::string name;
        std::int32_t level;
        std::uint32_t firstRecord;
        std::uint32_t pageCount;
        std::uint16_t firstPage;
    };

    std::uint32_t Add(std::string_view name, std::int32_t level, std::uint32_t firstRecord,
                      std::uint32_t firstPage);

    std::vector<Record> m_records;
    std::size_t m_category = 0;  // index of the open category record, plus one
    std::size_t m_title = 0;     // index of the open title record, plus one
};

}  // namespace build
