#include "engine/varianttable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>

#include "engine/index.h"
#include "tests/engine/indexfixture.h"

namespace engine {
namespace {

using Groups = std::vector<VariantTable::Group>;

TEST(VariantTableTest, ParsesLinesAndFields) {
    struct Case {
        const char* name;
        std::string content;
        Groups groups;
    };
    const std::vector<Case> cases = {
        {"two groups", "4E00,5F0C\n4E8C,5F10\n", {{0x4E00, 0x5F0C}, {0x4E8C, 0x5F10}}},
        {"CRLF line ends", "4E00,5F0C\r\n4E8C,5F10\r\n", {{0x4E00, 0x5F0C}, {0x4E8C, 0x5F10}}},
        {"CRLF blank line is the member 0", "4E00\r\n\r\n4E8C\r\n", {{0x4E00}, {0}, {0x4E8C}}},
        {"blank LF lines do not count", "\n\n4E00\n\n\n4E8C\n\n", {{0x4E00}, {0x4E8C}}},
        {"no final line end", "4E00,5F0C", {{0x4E00, 0x5F0C}}},
        {"a line of commas is an empty group", "4E00\n,,\n4E8C\n", {{0x4E00}, {}, {0x4E8C}}},
        {"empty fields do not count", ",4E00,,5F0C,\n", {{0x4E00, 0x5F0C}}},
        {"0x prefix and white space", "0x4E00, 0X5F0C,\t4e8c\n", {{0x4E00, 0x5F0C, 0x4E8C}}},
        {"digits end at the first other character", "4E00zz,20000\n", {{0x4E00, 0x20000}}},
        {"a field without digits is 0", "4E00,zz\n", {{0x4E00, 0}}},
        {"0x alone is 0", "0x\n", {{0}}},
        {"beyond 32 bits saturates", "123456789,FFFFFFFF\n", {{0xFFFFFFFF, 0xFFFFFFFF}}},
        {"leading zeros beyond eight digits", "000000004E00\n", {{0x4E00}}},
        {"empty file", "", {}},
    };
    for (const Case& c : cases) {
        VariantTable table;
        table.Parse(c.content);
        EXPECT_EQ(table.Groups(), c.groups) << c.name;
    }
}

TEST(VariantTableTest, MapVariantFirstGroupWins) {
    VariantTable table;
    // U+4E00 is listed in groups 3 and 7.
    table.Parse("3400\n3401\n3402\n4E00,4E01\n3403\n3404\n3405\n4E02,4E00\n");
    int code = 12345;
    EXPECT_TRUE(table.MapVariant(0x4E00, code));
    EXPECT_EQ(code, 88068);
    EXPECT_TRUE(table.MapVariant(0x4E02, code));
    EXPECT_EQ(code, kVariantCodeBase + 7);
    code = 12345;
    EXPECT_FALSE(table.MapVariant(0x9999, code));
    EXPECT_EQ(code, 12345);
    // Members compare as full code points, not their low 16 bits.
    EXPECT_FALSE(table.MapVariant(0x14E00, code));
}

// Random tables whose groups share members, with code points in every
// range the lookup sorts by: each code point maps to the first group that
// lists it, as a plain scan of the groups finds.
TEST(VariantTableTest, LookupMatchesAScanOfTheGroups) {
    std::mt19937 random(7);
    const std::vector<std::uint32_t> ranges = {0x30, 0x900, 0x5000, 0x40000, 0xFFFFFFFF};
    for (int round = 0; round < 40; ++round) {
        std::string content;
        const int groupCount = 1 + static_cast<int>(random() % 300);
        for (int g = 0; g < groupCount; ++g) {
            const int members = static_cast<int>(random() % 5);
            for (int m = 0; m < members; ++m) {
                const std::uint32_t range = ranges[random() % ranges.size()];
                char field[16];
                std::snprintf(field, sizeof field, "%lX,",
                              static_cast<unsigned long>(0x20 + random() % range));
                content += field;
            }
            content += '\n';
        }
        VariantTable table;
        table.Parse(content);
        const std::vector<VariantTable::Group> groups = table.Groups();
        std::vector<std::uint32_t> probes;
        for (const VariantTable::Group& group : groups)
            probes.insert(probes.end(), group.begin(), group.end());
        for (int k = 0; k < 50; ++k) probes.push_back(0x20 + random() % 0x5000);
        for (const std::uint32_t cp : probes) {
            int expected = -1;
            for (std::size_t g = 0; g < groups.size() && expected < 0; ++g) {
                if (std::find(groups[g].begin(), groups[g].end(), cp) != groups[g].end()) {
                    expected = kVariantCodeBase + static_cast<int>(g);
                }
            }
            int code = -1;
            table.MapVariant(static_cast<char32_t>(cp), code);
            ASSERT_EQ(code, expected) << "round " << round << " code point " << cp;
        }
    }
}

TEST(VariantTableTest, ChoicesAndExpansion) {
    VariantTable table;
    table.Parse("4E00,5F0C,58F9\n4E8C,5F10\n");
    const std::u16string keywords = u"\x4E00\x4E09";
    const pages::VariantChoices choices = table.ChoicesOf(keywords);
    ASSERT_EQ(choices.size(), 2u);
    EXPECT_EQ(choices[0], (std::vector<char16_t>{0x4E00, 0x5F0C, 0x58F9}));
    EXPECT_EQ(choices[1], (std::vector<char16_t>{0x4E09}));
    EXPECT_EQ(table.Expand(keywords),
              (std::vector<std::u16string>{u"\x4E00\x4E09", u"\x5F0C\x4E09", u"\x58F9\x4E09"}));
    // First unit slowest; a space is its own only choice.
    EXPECT_EQ(table.Expand(u"\x5F10 \x58F9"),
              (std::vector<std::u16string>{u"\x4E8C \x4E00", u"\x4E8C \x5F0C", u"\x4E8C \x58F9",
                                           u"\x5F10 \x4E00", u"\x5F10 \x5F0C", u"\x5F10 \x58F9"}));
    EXPECT_EQ(table.Expand(u""), (std::vector<std::u16string>{u""}));
}

TEST(VariantTableTest, SupplementaryMembersNeverStandForAUnit) {
    // U+24ECA has the low 16 bits of U+4ECA. Taking it for U+4ECA would widen
    // that character to an unrelated group without it, and leave its hits unmarked.
    VariantTable table;
    table.Parse("3400,24ECA\n4ECA,5165\n");
    EXPECT_EQ(table.Expand(u"\x4ECA"), (std::vector<std::u16string>{u"\x4ECA", u"\x5165"}));
    EXPECT_EQ(table.Expand(u"\x3400"), (std::vector<std::u16string>{u"\x3400"}));
    int code = 0;
    ASSERT_TRUE(table.MapVariant(0x24ECA, code));  // the search compares whole code points
    EXPECT_EQ(code, kVariantCodeBase);
}

TEST(VariantTableTest, LoadsFromDataFolderAndEmptiesWhenMissing) {
    enginetest::TempDir dir;
    VariantTable table;
    ASSERT_TRUE(enginetest::WriteFile(dir.Path() + "/yitizi.txt", "4E00,5F0C\n"));
    EXPECT_TRUE(table.Load(dir.Path()));
    EXPECT_EQ(table.Groups().size(), 1u);
    enginetest::TempDir empty;
    EXPECT_FALSE(table.Load(empty.Path()));
    EXPECT_TRUE(table.Groups().empty());
    int code = 7;
    EXPECT_FALSE(table.MapVariant(0x4E00, code));
    EXPECT_EQ(table.Expand(u"\x4E00"), (std::vector<std::u16string>{u"\x4E00"}));
}

}  // namespace
}  // namespace engine
