// CatalogueRecord: one 216-byte record of the catalogue file kvt.dir, kept
// byte for byte, with accessors that decode its fields.
//
// Layout (little-endian): name as UTF-16LE in bytes 0..199, ended by a NUL
// unit inside the field (a field without a NUL holds 100 units); level int32
// at 200 (1 category, 2 title, 3 volume); docID int32 at 204 (1-based number
// of the first page record covered); docNo int32 at 208 (number of page
// records covered); curFileName uint16 at 212 (page number of the first
// covered page); bytes 214..215 unused.
//
// Names are handed out as UTF-8; an unpaired surrogate in the field becomes
// U+FFFD, so every name is valid UTF-8.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace panel {

inline constexpr std::size_t kCatalogueRecordSize = 216;
inline constexpr std::size_t kCatalogueNameBytes = 200;
inline constexpr std::size_t kCatalogueNameUnits = kCatalogueNameBytes / 2;

struct CatalogueRecord {
    std::array<unsigned char, kCatalogueRecordSize> bytes{};

    // The name up to its NUL unit (all 100 units when there is none), UTF-8.
    std::string Name() const;
    std::int32_t Level() const;
    std::int32_t DocID() const;
    std::int32_t DocNo() const;
    std::uint16_t CurFileName() const;

    // A record with these fields. utf8Name is converted to UTF-16 and cut to
    // 99 units so that a NUL always follows it (an invalid UTF-8 byte becomes
    // U+FFFD). Used by tests, benchmarks and tools that write catalogues.
    static CatalogueRecord Make(std::string_view utf8Name, std::int32_t level, std::int32_t docID,
                                std::int32_t docNo, std::uint16_t curFileName);
};

// Appends the UTF-8 form of UTF-16 text; an unpaired surrogate becomes U+FFFD.
void AppendUtf16AsUtf8(std::u16string_view text, std::string& out);
// The UTF-16 form of UTF-8 text; an invalid byte sequence becomes U+FFFD.
std::u16string Utf8ToUtf16(std::string_view text);

}  // namespace panel
