// The index's packed numbers: 1 to 3 bytes, the first byte telling the
// length (0x00-0x7F one byte, 0x80-0xBF two, 0xC0-0xFF three), high bits
// first. The builder always writes the shortest form.
#pragma once

#include <cstdint>

namespace build {

inline constexpr std::uint32_t kMaxPacked = 0x3FFFFF;  // 4,194,303

// Writes value (at most kMaxPacked) at out and returns the bytes written.
inline int WritePacked(std::uint32_t value, std::uint8_t* out) {
    if (value < 0x80) {
        out[0] = static_cast<std::uint8_t>(value);
        return 1;
    }
    if (value < 0x4000) {
        out[0] = static_cast<std::uint8_t>(0x80 | (value >> 8));
        out[1] = static_cast<std::uint8_t>(value);
        return 2;
    }
    out[0] = static_cast<std::uint8_t>(0xC0 | (value >> 16));
    out[1] = static_cast<std::uint8_t>(value >> 8);
    out[2] = static_cast<std::uint8_t>(value);
    return 3;
}

}  // namespace build
