#include "shell/volumesteps.h"

#include "panel/positionstate.h"

namespace shell {

int NextVolumeSlot(const panel::Catalogue& catalogue, int current) {
    for (int slot = current < 0 ? 1 : current + 1; slot < catalogue.RecordCount(); ++slot) {
        if (catalogue.NodeItem(slot).Level() == kVolumeLevel) return slot;
    }
    return 0;
}

int PrevVolumeSlot(const panel::Catalogue& catalogue, int current) {
    const int start = current > catalogue.RecordCount() ? catalogue.RecordCount() : current;
    for (int slot = start - 1; slot >= 1; --slot) {
        if (catalogue.NodeItem(slot).Level() == kVolumeLevel) return slot;
    }
    return 0;
}

void FillVolumeState(const panel::Catalogue& catalogue, const panel::PositionState& position,
                     CommandState& state) {
    state.currentVolume = position.currentVolume;
    state.currentPage = position.currentPage;
    if (position.currentVolume == 0) return;
    const panel::CatalogueRecord& volume = catalogue.NodeItem(position.currentVolume);
    state.volumeFirstPage = volume.CurFileName();
    state.volumePageCount = volume.DocNo();
    state.volumeBefore = PrevVolumeSlot(catalogue, position.currentVolume) != 0;
    state.volumeAfter = NextVolumeSlot(catalogue, position.currentVolume) != 0;
}

}  // namespace shell
