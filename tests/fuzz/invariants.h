// Checks the fuzz targets make on results: a broken invariant aborts, so the
// fuzzer keeps the input as a crash.
#pragma once

#include "engine/index.h"

namespace fuzz {

// Aborts with a message on stderr when what is false.
void Require(bool what, const char* message);

// The hit list of the last search: as many counts as pages (or none when
// hits were not counted), the page count matching, no page twice, and for
// an AND search (ascending) the pages in ascending order.
void CheckHitList(const engine::CIndex& index, bool ascending);

}  // namespace fuzz
