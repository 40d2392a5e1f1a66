// Export and citation of search results, without Qt.
//
// An export is UTF-8 text: a header line and one line per row with the
// columns 類別, 書名, 巻, 頁, 記録, 箇所, 左文脈, 検索語, 右文脈. The format
// follows the file name: ".csv" (any case) gives comma-separated values,
// anything else tab-separated. In both a field holding the separator, a
// double quote or a line end is put in double quotes with its quotes
// doubled, so every name reads back as it was. ParseExport reads either
// form back (tests and tools).
//
// A citation names the page a reader is looking at:
// "類別・書名・巻・N頁", followed, when a hit is current, by its context in
// 「」.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace panel {

enum class ExportFormat { Tsv, Csv };

struct ExportRow {
    std::string category;
    std::string title;
    std::string volume;
    std::int32_t page = 0;
    std::int32_t record = 0;
    std::int32_t hits = 0;
    std::string left;
    std::string hit;
    std::string right;
};

ExportFormat ExportFormatOf(std::string_view fileName);

// The header and the rows, each line ending in "\n".
std::string ExportText(std::span<const ExportRow> rows, ExportFormat format);

// The fields of every line of text (the header included); a quoted field
// may span lines. Inverse of ExportText.
std::vector<std::vector<std::string>> ParseExport(std::string_view text, ExportFormat format);

// "経部・詩経・巻一・1頁", and "「left hit right」" (without spaces) after it
// when hit is not empty. Empty names are left out with their separator.
std::string CitationText(const std::string& category, const std::string& title,
                         const std::string& volume, std::int32_t page, std::string_view left,
                         std::string_view hit, std::string_view right);

// Context characters either side of the hit in a citation.
inline constexpr int kCitationContext = 10;

}  // namespace panel
