// The builder reads the variant table by the reader's rules: the group
// numbers, and so the codes its postings go under, must be the same.
#include "tools/orvale-build/variantgroups.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/indexcode.h"

namespace toolstest {
namespace {

std::vector<std::uint32_t> GroupsOf(const build::VariantGroups& groups, char32_t cp) {
    const auto span = groups.GroupsOf(engine::IndexCodeOf(cp));
    return {span.begin(), span.end()};
}

TEST(VariantGroups, FieldsAreReadAsStrtoulReadsThem) {
    struct Case {
        const char* what;
        std::string table;
        char32_t member;
        std::vector<std::uint32_t> groups;
        std::size_t groupCount;
    };
    const std::vector<Case> cases = {
        {"plain", "4E00,5F0C\n", U'\u5F0C', {88065}, 1},
        {"0x prefix and blanks", " 0x4E00, \t0X5F0C\n", U'\u5F0C', {88065}, 1},
        {"CR before the line end", "4E8C\r\n4E00\r\n", U'\u4E00', {88066}, 2},
        {"blank lines do not count", "\n\n4E8C\n\n\n4E00\n", U'\u4E00', {88066}, 2},
        {"a line of commas is a group", ",,\n4E00\n", U'\u4E00', {88066}, 2},
        {"a CR-only line is a group of 0", "4E8C\r\n\r\n4E00\r\n", U'\u4E00', {88067}, 3},
        {"trailing garbage ignored", "4E00xyz,5F0C\n", U'\u4E00', {88065}, 1},
        {"listed twice in one group", "4E00,4E00\n", U'\u4E00', {88065}, 1},
        {"in two groups", "4E00\n4E8C\n4E00,5F0C\n", U'\u4E00', {88065, 88067}, 3},
        {"no line end at the end", "4E00", U'\u4E00', {88065}, 1},
        {"unindexed member", "41,3000\n", U'\u4E00', {}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const build::VariantGroups groups(c.table);
        EXPECT_EQ(groups.GroupCount(), c.groupCount);
        EXPECT_EQ(GroupsOf(groups, c.member), c.groups);
    }
}

TEST(VariantGroups, GroupsBeyondTheTablesGetNoCode) {
    std::string table;
    for (int g = 0; g < engine::kMaxVariantGroups; ++g) table += "E000\n";
    table += "4E00,E000\n";
    const build::VariantGroups groups(table);
    EXPECT_EQ(groups.GroupCount(), static_cast<std::size_t>(engine::kMaxVariantGroups) + 1);
    EXPECT_TRUE(GroupsOf(groups, U'\u4E00').empty());
    const auto privateUse = GroupsOf(groups, U'\uE000');
    ASSERT_EQ(privateUse.size(), static_cast<std::size_t>(engine::kMaxVariantGroups));
    EXPECT_EQ(privateUse.back(), 99999u);
}

}  // namespace
}  // namespace toolstest
