#include "engine/varianttable.h"

#include <algorithm>
#include <new>

#include "engine/indexcode.h"

namespace engine {
namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

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
        if (value > 0xFFFFFFFFu) value = 0xFFFFFFFFu + 1ull;
    }
    return value > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<std::uint32_t>(value);
}

// Calls f for every non-empty piece of text between separators.
template <typename F>
void ForEachPiece(std::string_view text, char separator, F f) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        if (text[pos] == separator) {
            ++pos;
            continue;
        }
        std::size_t end = text.find(separator, pos);
        if (end == std::string_view::npos) end = text.size();
        f(text.substr(pos, end - pos));
        pos = end;
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
    ForEachPiece(content, '\n', [this](std::string_view line) {
        ForEachPiece(line, ',',
                     [this](std::string_view field) { m_members.push_back(ParseHexField(field)); });
        m_groupEnd.push_back(static_cast<std::uint32_t>(m_members.size()));
    });
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
    // One key per listing, code point above group, so that sorting plain
    // integers orders by code point and, within one, by group: far cheaper
    // than sorting pairs with a two-field comparison.
    std::vector<std::uint64_t> keys;
    keys.reserve(m_members.size());
    std::uint32_t g = 0;
    for (std::size_t k = 0; k < m_members.size(); ++k) {
        while (k >= m_groupEnd[g]) ++g;
        keys.push_back(std::uint64_t{m_members[k]} << 32 | g);
    }
    std::sort(keys.begin(), keys.end());
    // For a code point in several groups, the first group (the smallest
    // number) only.
    m_groupOfCodePoint.reserve(keys.size());
    for (const std::uint64_t key : keys) {
        const auto codePoint = static_cast<std::uint32_t>(key >> 32);
        if (!m_groupOfCodePoint.empty() && m_groupOfCodePoint.back().codePoint == codePoint)
            continue;
        m_groupOfCodePoint.push_back({codePoint, static_cast<std::uint32_t>(key)});
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
