#include "tools/orvale-build/variantgroups.h"

#include <algorithm>
#include <cstdlib>
#include <string>

#include "engine/indexcode.h"

namespace build {
namespace {

// Splits text at sep, skipping empty pieces.
template <typename F>
void ForEachPiece(std::string_view text, char sep, F&& f) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        while (pos < text.size() && text[pos] == sep) ++pos;
        if (pos >= text.size()) break;
        std::size_t end = text.find(sep, pos);
        if (end == std::string_view::npos) end = text.size();
        f(text.substr(pos, end - pos));
        pos = end;
    }
}

}  // namespace

VariantGroups::VariantGroups() : m_start(engine::kCodeCount + 1, 0) {}

VariantGroups::VariantGroups(std::string_view content) {
    std::vector<std::pair<std::uint32_t, std::uint32_t>> pairs;  // (char code, group code)
    ForEachPiece(content, '\n', [&](std::string_view line) {
        const std::size_t g = m_groupCount++;
        if (engine::kVariantCodeBase + g >= static_cast<std::size_t>(engine::kCodeCount)) return;
        ForEachPiece(line, ',', [&](std::string_view field) {
            const std::string text(field);
            const auto member = static_cast<std::uint32_t>(std::strtoul(text.c_str(), nullptr, 16));
            const int code = engine::IndexCodeOf(static_cast<char32_t>(member));
            if (code < 0) return;
            pairs.emplace_back(static_cast<std::uint32_t>(code),
                               static_cast<std::uint32_t>(engine::kVariantCodeBase + g));
        });
    });
    std::sort(pairs.begin(), pairs.end());
    pairs.erase(std::unique(pairs.begin(), pairs.end()), pairs.end());
    m_start.assign(engine::kCodeCount + 1, 0);
    for (const auto& [code, group] : pairs) ++m_start[code + 1];
    for (std::size_t c = 0; c < static_cast<std::size_t>(engine::kCodeCount); ++c) {
        m_start[c + 1] += m_start[c];
    }
    m_codes.reserve(pairs.size());
    for (const auto& pair : pairs) m_codes.push_back(pair.second);
}

}  // namespace build
