#include "engine/varianttable.h"

#include <algorithm>
#include <array>
#include <memory>
#include <new>
#include <utility>

#include "engine/indexcode.h"

namespace engine {
namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The value of each byte as a hexadecimal digit, or -1.
constexpr std::array<std::int8_t, 256> kHexValue = [] {
    std::array<std::int8_t, 256> table{};
    for (int c = 0; c < 256; ++c) {
        table[c] = c >= '0' && c <= '9'   ? static_cast<std::int8_t>(c - '0')
                   : c >= 'a' && c <= 'f' ? static_cast<std::int8_t>(c - 'a' + 10)
                   : c >= 'A' && c <= 'F' ? static_cast<std::int8_t>(c - 'A' + 10)
                                          : -1;
    }
    return table;
}();

int HexDigit(char c) { return kHexValue[static_cast<unsigned char>(c)]; }

// Reads a field the way strtoul reads base 16: leading white space, an
// optional 0x prefix, then hexadecimal digits up to the first other
// character. No digits gives 0; values beyond 32 bits saturate.
std::uint32_t ParseHexField(std::string_view field) {
    std::size_t i = 0;
    while (i < field.size() && IsSpace(field[i])) ++i;
    if (i + 2 < field.size() && field[i] == '0' && (field[i + 1] == 'x' || field[i + 1] == 'X') &&
        HexDigit(field[i + 2]) >= 0) {
        i += 2;
    }
    std::uint64_t value = 0;
    for (; i < field.size(); ++i) {
        const int digit = HexDigit(field[i]);
        if (digit < 0) break;
        value = value * 16 + static_cast<std::uint64_t>(digit);
        if (value > 0xFFFFFFFFu) return 0xFFFFFFFFu;
    }
    return static_cast<std::uint32_t>(value);
}

// Appends the value of every non-empty comma-separated field of line.
// A field of up to eight plain digits, the form of every field orvale-build
// writes, is read in the same scan that finds its end; any other field is
// read by ParseHexField.
void AppendFields(std::string_view line, std::vector<std::uint32_t>& members) {
    std::size_t i = 0;
    while (i < line.size()) {
        if (line[i] == ',') {
            ++i;
            continue;
        }
        std::uint32_t value = 0;
        std::size_t j = i;
        for (; j < line.size() && j - i < 8; ++j) {
            const int digit = HexDigit(line[j]);
            if (digit < 0) break;
            value = value * 16 + static_cast<std::uint32_t>(digit);
        }
        if (j == line.size() || line[j] == ',') {
            members.push_back(value);
            i = j;
            continue;
        }
        std::size_t end = line.find(',', j);
        if (end == std::string_view::npos) end = line.size();
        members.push_back(ParseHexField(line.substr(i, end - i)));
        i = end;
    }
}

}  // namespace

bool VariantTable::Load(const std::string& dataDir) {
    CorpusFolder folder;
    if (!folder.Open(dataDir)) {
        Clear();
        return false;
    }
    return Load(folder);
}

bool VariantTable::Load(const CorpusFolder& folder) {
    Clear();
    // The cap bounds what the table may cost; a process short of memory
    // still gets an empty table rather than an abort.
    try {
        std::string content;
        if (!folder.ReadFile("yitizi.txt", kMaxFileBytes, content)) return false;
        Parse(content);
    } catch (const std::bad_alloc&) {
        Clear();
        return false;
    }
    return true;
}

void VariantTable::Parse(std::string_view content) {
    Clear();
    // A member or a group takes at least one byte and a separator, so
    // neither array grows while parsing; the pages of the reserve that stay
    // unused are never touched.
    m_members.reserve(content.size() / 2 + 1);
    m_groupEnd.reserve(content.size() / 2 + 1);
    // One group per non-empty line; a line of commas is an empty group.
    std::size_t pos = 0;
    while (pos < content.size()) {
        std::size_t end = content.find('\n', pos);
        if (end == std::string_view::npos) end = content.size();
        if (end > pos) {
            AppendFields(content.substr(pos, end - pos), m_members);
            m_groupEnd.push_back(static_cast<std::uint32_t>(m_members.size()));
        }
        pos = end + 1;
    }
    BuildLookups();
}

void VariantTable::Clear() {
    m_members.clear();
    m_groupEnd.clear();
    m_groupOfCodePoint.clear();
}

std::vector<VariantTable::Group> VariantTable::Groups() const {
    std::vector<Group> groups;
    groups.reserve(GroupCount());
    for (std::size_t g = 0; g < GroupCount(); ++g) {
        const std::span<const std::uint32_t> members = Members(g);
        groups.emplace_back(members.begin(), members.end());
    }
    return groups;
}

void VariantTable::BuildLookups() {
    // The members with their groups, in group order, sorted by code point
    // with a stable radix sort (11 bits a pass, a pass skipped where every
    // code point has the same digit): within one code point the groups stay
    // in order, so the first is the smallest. Far cheaper than a comparison
    // sort, and every command-line search pays for it.
    constexpr int kDigitBits = 11;
    constexpr std::size_t kBuckets = std::size_t{1} << kDigitBits;
    constexpr int kPasses = (32 + kDigitBits - 1) / kDigitBits;
    const std::size_t n = m_members.size();
    // Neither array is cleared first: every element is written before it is
    // read.
    auto sorted = std::make_unique_for_overwrite<Member[]>(n);
    auto scratch = std::make_unique_for_overwrite<Member[]>(n);
    std::vector<std::array<std::uint32_t, kBuckets>> counts(kPasses);
    std::uint32_t g = 0;
    for (std::size_t k = 0; k < n; ++k) {
        while (k >= m_groupEnd[g]) ++g;
        const std::uint32_t codePoint = m_members[k];
        sorted[k] = {codePoint, g};
        for (int pass = 0; pass < kPasses; ++pass) {
            ++counts[pass][(codePoint >> (pass * kDigitBits)) & (kBuckets - 1)];
        }
    }
    for (int pass = 0; pass < kPasses && n > 0; ++pass) {
        const int shift = pass * kDigitBits;
        std::array<std::uint32_t, kBuckets>& count = counts[pass];
        if (count[(sorted[0].codePoint >> shift) & (kBuckets - 1)] == n) continue;
        std::uint32_t next = 0;
        for (std::uint32_t& c : count) next += std::exchange(c, next);
        for (std::size_t k = 0; k < n; ++k) {
            const Member member = sorted[k];
            scratch[count[(member.codePoint >> shift) & (kBuckets - 1)]++] = member;
        }
        sorted.swap(scratch);
    }
    // For a code point in several groups, the first group only.
    m_groupOfCodePoint.reserve(n);
    for (std::size_t k = 0; k < n; ++k) {
        if (!m_groupOfCodePoint.empty() &&
            m_groupOfCodePoint.back().codePoint == sorted[k].codePoint)
            continue;
        m_groupOfCodePoint.push_back(sorted[k]);
    }
}

std::int64_t VariantTable::GroupOf(std::uint32_t codePoint) const {
    const auto it = std::lower_bound(
        m_groupOfCodePoint.begin(), m_groupOfCodePoint.end(), codePoint,
        [](const Member& member, std::uint32_t value) { return member.codePoint < value; });
    if (it == m_groupOfCodePoint.end() || it->codePoint != codePoint) return -1;
    return it->group;
}

bool VariantTable::MapVariant(char32_t codePoint, int& code) const {
    const std::int64_t g = GroupOf(static_cast<std::uint32_t>(codePoint));
    if (g < 0) return false;
    code = kVariantCodeBase + static_cast<int>(g);
    return true;
}

pages::VariantChoices VariantTable::ChoicesOf(std::u16string_view keywords) const {
    pages::VariantChoices choices;
    choices.reserve(keywords.size());
    for (char16_t unit : keywords) {
        std::vector<char16_t> list;
        // A keyword is widened unit by unit, so only members that are one
        // UTF-16 unit can stand for a unit: a supplementary member never
        // equals a unit, and its low 16 bits must not match a common
        // character to an unrelated group.
        const std::int64_t g = GroupOf(unit);
        if (g < 0) {
            list.push_back(unit);
        } else {
            for (std::uint32_t member : Members(static_cast<std::size_t>(g))) {
                if (member <= 0xFFFF) list.push_back(static_cast<char16_t>(member));
            }
        }
        choices.push_back(std::move(list));
    }
    return choices;
}

std::vector<std::u16string> VariantTable::Expand(std::u16string_view keywords) const {
    const pages::VariantChoices choices = ChoicesOf(keywords);
    std::vector<std::u16string> spellings;
    std::vector<std::size_t> pick(choices.size(), 0);
    std::u16string spelling(choices.size(), u'\0');
    for (;;) {
        for (std::size_t i = 0; i < choices.size(); ++i) spelling[i] = choices[i][pick[i]];
        spellings.push_back(spelling);
        // Advance like an odometer, the last unit fastest.
        std::size_t i = choices.size();
        while (i > 0) {
            --i;
            if (++pick[i] < choices[i].size()) break;
            pick[i] = 0;
            if (i == 0) return spellings;
        }
        if (choices.empty()) return spellings;
    }
}

}  // namespace engine
