#include "panel/cataloguerecord.h"

#include <algorithm>

#include "engine/codeconverter.h"

namespace panel {

namespace {

constexpr std::size_t kLevelOffset = 200;
constexpr std::size_t kDocIdOffset = 204;
constexpr std::size_t kDocNoOffset = 208;
constexpr std::size_t kCurFileNameOffset = 212;
constexpr char32_t kReplacement = 0xFFFD;

std::uint32_t ReadU32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

void WriteU32(unsigned char* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}

bool IsHighSurrogate(char32_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLowSurrogate(char32_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

// Decodes one code point from text at i (advancing i); invalid sequences
// yield U+FFFD and consume one byte.
char32_t NextUtf8(std::string_view text, std::size_t& i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    if (lead < 0x80) {
        ++i;
        return lead;
    }
    std::size_t length = 0;
    char32_t cp = 0;
    char32_t minimum = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, cp = lead & 0x1F, minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, cp = lead & 0x0F, minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, cp = lead & 0x07, minimum = 0x10000;
    } else {
        ++i;
        return kReplacement;
    }
    if (i + length > text.size()) {
        ++i;
        return kReplacement;
    }
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) {
            ++i;
            return kReplacement;
        }
        cp = cp << 6 | (byte(i + k) & 0x3F);
    }
    if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++i;
        return kReplacement;
    }
    i += length;
    return cp;
}

}  // namespace

void AppendUtf16AsUtf8(std::u16string_view text, std::string& out) {
    // Encoded into a buffer on the stack and appended in pieces: one
    // allocation for a catalogue name, every one of which passes here when
    // the catalogue loads.
    char buffer[1024];
    std::size_t used = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (used > sizeof buffer - 4) {
            out.append(buffer, used);
            used = 0;
        }
        const char32_t unit = text[i];
        if (unit < 0x80) {
            buffer[used++] = static_cast<char>(unit);
        } else if (IsHighSurrogate(unit) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            const char32_t low = text[i + 1];
            used += engine::EncodeUtf8(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00),
                                       buffer + used);
            ++i;
        } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
            used += engine::EncodeUtf8(kReplacement, buffer + used);
        } else {
            used += engine::EncodeUtf8(unit, buffer + used);
        }
    }
    out.append(buffer, used);
}

std::u16string Utf8ToUtf16(std::string_view text) {
    std::u16string out;
    std::size_t i = 0;
    while (i < text.size()) {
        const char32_t cp = NextUtf8(text, i);
        if (cp >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
    }
    return out;
}

std::string CatalogueRecord::Name() const {
    // Every catalogue record's name is converted when the catalogue loads.
    char16_t units[kCatalogueNameUnits];
    std::size_t n = 0;
    for (; n < kCatalogueNameUnits; ++n) {
        units[n] = static_cast<char16_t>(bytes[2 * n] | bytes[2 * n + 1] << 8);
        if (units[n] == 0) break;
    }
    std::string name;
    AppendUtf16AsUtf8(std::u16string_view(units, n), name);
    return name;
}

std::int32_t CatalogueRecord::Level() const {
    return static_cast<std::int32_t>(ReadU32(&bytes[kLevelOffset]));
}

std::int32_t CatalogueRecord::DocID() const {
    return static_cast<std::int32_t>(ReadU32(&bytes[kDocIdOffset]));
}

std::int32_t CatalogueRecord::DocNo() const {
    return static_cast<std::int32_t>(ReadU32(&bytes[kDocNoOffset]));
}

std::uint16_t CatalogueRecord::CurFileName() const {
    return static_cast<std::uint16_t>(bytes[kCurFileNameOffset] | bytes[kCurFileNameOffset + 1]
                                                                      << 8);
}

CatalogueRecord CatalogueRecord::Make(std::string_view utf8Name, std::int32_t level,
                                      std::int32_t docID, std::int32_t docNo,
                                      std::uint16_t curFileName) {
    CatalogueRecord record;
    std::u16string units = Utf8ToUtf16(utf8Name);
    std::size_t keep = std::min(units.size(), kCatalogueNameUnits - 1);
    if (keep < units.size() && IsHighSurrogate(units[keep - 1])) --keep;  // keep pairs whole
    units.resize(keep);
    for (std::size_t i = 0; i < units.size(); ++i) {
        record.bytes[2 * i] = static_cast<unsigned char>(units[i] & 0xFF);
        record.bytes[2 * i + 1] = static_cast<unsigned char>(units[i] >> 8);
    }
    WriteU32(&record.bytes[kLevelOffset], static_cast<std::uint32_t>(level));
    WriteU32(&record.bytes[kDocIdOffset], static_cast<std::uint32_t>(docID));
    WriteU32(&record.bytes[kDocNoOffset], static_cast<std::uint32_t>(docNo));
    record.bytes[kCurFileNameOffset] = static_cast<unsigned char>(curFileName & 0xFF);
    record.bytes[kCurFileNameOffset + 1] = static_cast<unsigned char>(curFileName >> 8);
    return record;
}

}  // namespace panel
