// VariantGroups: the variant table (yitizi.txt) as the builder needs it: for
// every index character code, the codes of the variant groups that hold it.
// Parsing follows the reader's rules exactly: lines split at 0x0A (empty
// lines skipped), fields at ',' (empty fields skipped), each field read as
// hexadecimal the way strtoul(…, 16) reads it; groups are numbered in line
// order and group g has the code engine::kVariantCodeBase + g. Groups whose
// code falls outside the index tables get no postings.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace build {

class VariantGroups {
  public:
    VariantGroups();
    // Parses the content of a variant table.
    explicit VariantGroups(std::string_view content);

    std::size_t GroupCount() const { return m_groupCount; }
    // Group codes (ascending, distinct) whose group lists the character of
    // index code `code`.
    std::span<const std::uint32_t> GroupsOf(int code) const {
        const auto c = static_cast<std::size_t>(code);
        return {m_codes.data() + m_start[c], m_start[c + 1] - m_start[c]};
    }

  private:
    std::size_t m_groupCount = 0;
    std::vector<std::uint32_t> m_start;  // per code, into m_codes
    std::vector<std::uint32_t> m_codes;
};

}  // namespace build
