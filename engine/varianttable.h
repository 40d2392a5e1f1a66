// VariantTable: the groups of interchangeable character forms read from
// "yitizi.txt" (one group per line, members as hexadecimal code points
// separated by commas). Group g stands for the index code
// kVariantCodeBase + g. A code point listed in several groups belongs to the
// first of them everywhere.
//
// Owned by CIndex, which reloads it on every Load. The members of all groups
// lie in one array, and lookups search one sorted table of members built
// when the table is read: a few steps for any number of groups, and a few
// allocations however many groups there are, since every command line search
// pays for reading the table.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/corpusfolder.h"
#include "pages/filelist.h"

namespace engine {

class VariantTable {
  public:
    using Group = std::vector<std::uint32_t>;

    // The longest yitizi.txt read: the 11,935 groups that can have a code,
    // each a line of a few hundred bytes, fit well within it.
    static constexpr std::uint64_t kMaxFileBytes = 8u << 20;

    // Replaces the table by the groups of yitizi.txt in the folder. A file
    // that cannot be read, is not a regular file or is longer than
    // kMaxFileBytes leaves the table empty; returns whether it was read.
    bool Load(const CorpusFolder& folder);
    // The same after opening the folder dataDir.
    bool Load(const std::string& dataDir);
    // Replaces the table by the groups that the given file content describes.
    void Parse(std::string_view content);
    void Clear();

    std::size_t GroupCount() const { return m_groupEnd.size(); }
    // The members of group g (g < GroupCount()), in file order.
    std::span<const std::uint32_t> Members(std::size_t g) const {
        const std::uint32_t begin = g == 0 ? 0 : m_groupEnd[g - 1];
        return std::span<const std::uint32_t>(m_members).subspan(begin, m_groupEnd[g] - begin);
    }
    // Every group as a list of its own, for comparisons.
    std::vector<Group> Groups() const;

    // When codePoint belongs to a group, sets code to that group's index code
    // and returns true; otherwise returns false and leaves code alone.
    bool MapVariant(char32_t codePoint, int& code) const;

    // For each unit of keywords: the members of one UTF-16 unit of the first
    // group holding that unit, in group order; or the unit alone.
    pages::VariantChoices ChoicesOf(std::u16string_view keywords) const;

    // Every spelling obtained by choosing one unit of each choice list, the
    // first unit varying slowest. The number of spellings is the product of
    // the list sizes; no bound is applied.
    std::vector<std::u16string> Expand(std::u16string_view keywords) const;

  private:
    void BuildLookups();
    // The first group holding codePoint, or -1.
    std::int64_t GroupOf(std::uint32_t codePoint) const;

    struct Member {
        std::uint32_t codePoint;
        std::uint32_t group;
    };
    std::vector<std::uint32_t> m_members;    // of every group, group after group
    std::vector<std::uint32_t> m_groupEnd;   // per group, where its members end
    std::vector<Member> m_groupOfCodePoint;  // by code point, the first group of each
};

}  // namespace engine
