// FuzzInput: takes typed values off the front of a fuzz input. Running out of
// bytes is not an error: every getter answers zero or an empty piece, so a
// target never has to reject an input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace fuzz {

class FuzzInput {
  public:
    FuzzInput(const std::uint8_t* data, std::size_t size)
        : m_data(reinterpret_cast<const char*>(data), size) {}

    std::uint8_t Byte() {
        if (m_data.empty()) return 0;
        const auto b = static_cast<std::uint8_t>(m_data.front());
        m_data.remove_prefix(1);
        return b;
    }
    std::uint16_t U16() {
        const std::uint16_t lo = Byte();
        return static_cast<std::uint16_t>(lo | (Byte() << 8));
    }
    std::uint32_t U32() {
        const std::uint32_t lo = U16();
        return lo | (static_cast<std::uint32_t>(U16()) << 16);
    }
    // The next size bytes (fewer at the end of the input).
    std::string_view Bytes(std::size_t size) {
        const std::string_view piece = m_data.substr(0, size);
        m_data.remove_prefix(piece.size());
        return piece;
    }
    // A piece whose length is given by a 16-bit prefix.
    std::string_view Piece() { return Bytes(U16()); }
    // Little-endian UTF-16 units from a piece of bytes (an odd last byte is dropped).
    static std::u16string Units(std::string_view bytes) {
        std::u16string units;
        for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
            units.push_back(static_cast<char16_t>(static_cast<std::uint8_t>(bytes[i]) |
                                                  (static_cast<std::uint8_t>(bytes[i + 1]) << 8)));
        }
        return units;
    }
    std::string_view Rest() {
        const std::string_view rest = m_data;
        m_data = {};
        return rest;
    }
    bool Empty() const { return m_data.empty(); }

  private:
    std::string_view m_data;
};

}  // namespace fuzz
