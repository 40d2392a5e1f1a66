// The stored form of one page: a small UTF-8 HTML document with a title
// element and a two-cell layout table whose cell tags are written "TD". The
// page number's parity picks the cell that holds the text (even: the first,
// odd: the second); the other cell holds a short margin text (title, volume,
// page). Annotation runs are wrapped in the annotation opener and "</font>",
// paragraph breaks become "<p>", text is HTML-escaped.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "tools/orvale-build/sourcevolume.h"

namespace build {

inline constexpr std::string_view kNoteOpener = "<font size=-1 color=\"#993366\">";
inline constexpr std::string_view kNoteCloser = "</font>";

// Appends text to out with '&', '<' and '>' escaped.
void AppendEscaped(std::string_view text, std::string& out);

// Writes the stored page of `page` (page number pageNo of the volume named by
// title and volume) into out, replacing its content.
void ComposeStoredPage(const SourcePage& page, std::string_view title, std::string_view volume,
                       std::uint32_t pageNo, std::string& out);

}  // namespace build
