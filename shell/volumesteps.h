// Volume steps of the navigation commands: the next or previous slot of the
// catalogue that holds a volume record (level 3), seen from the current one.
#pragma once

#include "panel/catalogue.h"
#include "shell/commandrules.h"

namespace panel {
struct PositionState;
}

namespace shell {

inline constexpr int kVolumeLevel = 3;

// The first volume slot after current and below RecordCount(), or 0.
int NextVolumeSlot(const panel::Catalogue& catalogue, int current);
// The last volume slot from 1 to current - 1, or 0.
int PrevVolumeSlot(const panel::Catalogue& catalogue, int current);

// The volume and page fields of the command rules' snapshot.
void FillVolumeState(const panel::Catalogue& catalogue, const panel::PositionState& position,
                     CommandState& state);

}  // namespace shell
