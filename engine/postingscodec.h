// Byte-level encoding of the postings file: blocks of kBlockSize bytes chained
// through the next-block table, and the packed numbers the page entries use.
//
// A packed number takes 1 to 3 bytes, chosen by its first byte b0:
//   0x00-0x7F  1 byte   b0
//   0x80-0xBF  2 bytes  (b0 & 0x3F) << 8  | b1
//   0xC0-0xFF  3 bytes  (b0 & 0x3F) << 16 | b1 << 8 | b2
// A page entry is: page delta (packed), byte length (2 bytes, low first),
// then that many bytes of packed positions (first absolute, then distances).
#pragma once

#include <cstdint>

namespace engine {

inline constexpr std::uint32_t kPostingsBlockSize = 4096;
inline constexpr std::uint32_t kMaxPackedValue = 0x3FFFFF;  // 4,194,303

// Number of bytes of the packed number whose first byte is b0.
constexpr int PackedLength(std::uint8_t b0) { return b0 < 0x80 ? 1 : (b0 < 0xC0 ? 2 : 3); }
static_assert(PackedLength(0x00) == 1 && PackedLength(0x7F) == 1 && PackedLength(0x80) == 2 &&
              PackedLength(0xBF) == 2 && PackedLength(0xC0) == 3 && PackedLength(0xFF) == 3);

// Decodes a packed number from three readable bytes at p (only as many as its
// length are used).
inline std::uint32_t DecodePacked(const std::uint8_t* p) {
    const std::uint32_t b0 = p[0];
    if (b0 < 0x80) return b0;
    if (b0 < 0xC0) return ((b0 & 0x3F) << 8) | p[1];
    return ((b0 & 0x3F) << 16) | (static_cast<std::uint32_t>(p[1]) << 8) | p[2];
}

}  // namespace engine
