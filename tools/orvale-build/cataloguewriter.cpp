#include "tools/orvale-build/cataloguewriter.h"

#include <array>
#include <cstring>

#include "tools/orvale-build/builderror.h"
#include "tools/orvale-build/filewriter.h"
#include "tools/orvale-build/utf8.h"

namespace build {

std::uint32_t CatalogueWriter::Add(std::string_view name, std::int32_t level,
                                   std::uint32_t firstRecord, std::uint32_t firstPage) {
    if (m_records.size() >= kMaxCatalogueRecords) {
        throw BuildError(kExitBadInput, "the catalogue would exceed 9,999 records");
    }
    m_records.push_back(
        {std::string(name), level, firstRecord, 0, static_cast<std::uint16_t>(firstPage)});
    return static_cast<std::uint32_t>(m_records.size());
}

std::uint32_t CatalogueWriter::AddVolume(std::string_view category, std::string_view title,
                                         std::string_view volume, std::uint32_t firstRecord,
                                         std::uint32_t pageCount, std::uint32_t firstPage) {
    const bool sameCategory = m_category != 0 && m_records[m_category - 1].name == category;
    const bool sameTitle = sameCategory && m_title != 0 && m_records[m_title - 1].name == title;
    if (!sameCategory) m_category = Add(category, 1, firstRecord, firstPage);
    if (!sameTitle) m_title = Add(title, 2, firstRecord, firstPage);
    const std::uint32_t slot = Add(volume, 3, firstRecord, firstPage);
    m_records[m_category - 1].pageCount += pageCount;
    m_records[m_title - 1].pageCount += pageCount;
    m_records[slot - 1].pageCount = pageCount;
    return slot;
}

void CatalogueWriter::Write(const std::string& path) const {
    FileWriter out(path);
    std::u16string name;
    for (const Record& record : m_records) {
        std::array<std::uint8_t, kCatalogueRecordSize> bytes{};
        Utf8ToUtf16(record.name, name);
        for (std::size_t i = 0; i < name.size() && i < 99; ++i) {
            PutU16(bytes.data() + 2 * i, static_cast<std::uint16_t>(name[i]));
        }
        PutU32(bytes.data() + 200, static_cast<std::uint32_t>(record.level));
        PutU32(bytes.data() + 204, record.firstRecord + 1);
        PutU32(bytes.data() + 208, record.pageCount);
        PutU16(bytes.data() + 212, record.firstPage);
        out.Write(bytes.data(), bytes.size());
    }
    out.Close();
}

}  // namespace build
