// PositionState: where the reader stands, shared by the search form, the
// result display, the navigation commands and the page toolbar. A plain
// record owned by the form; every part reads and writes it directly.
#pragma once

#include <cstdint>
#include <string>

namespace panel {

// Scope label before any catalogue selection (U+FF7E U+FF6D).
inline constexpr const char* kStartScopeLabel = "ｾｭ";

struct PositionState {
    // Slot whose record range limits the search; 1 = the first catalogue
    // entry, so a search before any selection covers it. 0 = no scope.
    std::uint16_t scopeEntry = 1;
    std::string scopeLabel = kStartScopeLabel;  // UTF-8 path of the selected item
    std::int32_t currentVolume = 0;             // slot of the volume paged through; 0 = none
    std::int32_t currentPage = 0;               // page number within that volume
};

}  // namespace panel
