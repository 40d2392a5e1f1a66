// One composition pass for several keywords of one character each: the same
// page as one ComposeTermPass per keyword in turn, in a single walk over the
// text cell. Anchors are still numbered keyword by keyword: every match of
// the first keyword, then every match of the second, and so on. A long page
// with many keywords then costs one pass instead of one per keyword.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace pages {

// Appends to html the page rebuilt in the frame with the text cell (the first
// for parity 0, the second for parity 1) marked for keywords, each of them
// one indexed character in UTF-8 (see IsOneIndexedCharacter), all different.
void ComposeCharacterPass(std::string_view page, std::string& html,
                          const std::vector<std::string>& keywords, int parity, int textLayer,
                          std::int32_t& anchorCounter);

// The UTF-8 bytes of one character as one number: the key of the counts.
std::uint32_t PackedCharacter(std::string_view bytes);

// Every indexed character (PackedCharacter) found in the runs of the text
// cell that the text layer marks, inside tags too, with how often it stands
// outside tags: the matches ComposeCharacterPass would mark for it. Marks add
// only tags, so the counts of a stored page hold for it after any number of
// passes.
using CharacterCounts = std::unordered_map<std::uint32_t, std::int64_t>;
CharacterCounts CountCharacters(std::string_view page, int parity, int textLayer);

}  // namespace pages
