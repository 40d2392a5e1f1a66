// The accelerator part of the index-files fuzz target: writes the
// accelerator of the loaded index, searches with it intact and with one byte
// changed (sealed again with fresh checksums or not), and checks that the
// results match the plain index wherever the file is to be trusted or must
// be refused.
#pragma once

#include <cstddef>
#include <cstdint>

namespace fuzz {

// Uses the index files in FuzzFolder(); data/size pick the changed byte.
// Removes the file at the end.
void CheckAccelerator(const std::uint8_t* data, std::size_t size);

}  // namespace fuzz
