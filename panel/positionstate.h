// PositionState: where the reader stands, shared by the search form, the
// result display, the navigation commands and the page toolbar. A plain
// record owned by the form; every part reads and writes it directly.
#pragma once

#include <cstdint>
#include <string>

#include "panel/catalogue.h"

namespace panel {

// Scope label before any catalogue selection: the entry a search covers.
inline constexpr const char* kStartScopeLabel = kWholeCorpusName;

struct PositionState {
    // Slot whose record range limits the search; kWholeCorpusSlot = every
    // record, the scope before any selection. 0 = no scope.
    std::uint16_t scopeEntry = kWholeCorpusSlot;
    std::string scopeLabel = kStartScopeLabel;  // UTF-8 path of the selected item
    std::int32_t currentVolume = 0;             // slot of the volume paged through; 0 = none
    std::int32_t currentPage = 0;               // page number within that volume
};

}  // namespace panel
