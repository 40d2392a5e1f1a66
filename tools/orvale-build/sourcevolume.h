// SourceVolume: one line of the corpus source (a JSON object describing one
// volume and its pages), checked and decoded. Text stays UTF-8 as in the
// source; ParseSourceVolume checks every limit the corpus formats impose on
// a single line.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace build {

inline constexpr std::size_t kMaxNameUnits = 99;  // UTF-16 units of a catalogue name
// The catalogue keeps a volume's first page number in 16 bits; later pages
// carry theirs in their record names, read as signed 32-bit numbers.
inline constexpr std::uint32_t kMaxFirstPageNumber = 65535;
inline constexpr std::uint32_t kMaxPageNumber = 2147483647;

struct SourceRun {
    bool note = false;  // an annotation run ({"note": ...}) rather than main text
    std::string text;   // UTF-8; '\n' is a paragraph break
};

struct SourcePage {
    bool hasTitle = false;
    std::string title;
    std::vector<SourceRun> runs;
};

struct SourceVolume {
    std::string category;
    std::string title;
    std::string volume;
    std::uint32_t firstPage = 1;
    std::vector<SourcePage> pages;
};

// Parses one non-empty source line. True on success. False with error set to
// a one-line reason (without the line number) when the line is not a JSON
// object, a field is missing or of the wrong type, a name is longer than 99
// UTF-16 units or holds U+0000, first_page is outside 0..65535, the volume
// has no page, or its last page number exceeds kMaxPageNumber. Runs with no
// text are left out of the pages: they add nothing to a page or its index.
bool ParseSourceVolume(std::string_view line, SourceVolume& volume, std::string& error);

}  // namespace build
