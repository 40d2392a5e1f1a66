// Writes the accelerator files of a complete corpus folder (see
// engine/accelerator.h): for each index scope, <stem>-idx.acc with the entry
// tables of the codes whose streams cost the most to decode, as many as fit
// in kAcceleratorShare of the folder's other files (shared out by the sizes
// of the scopes' postings). Streams shared by several codes are stored once.
#pragma once

#include <cstdint>
#include <string>

namespace engine {
class CIndex;
}

namespace build {

// Shares of the folder's size for the tables and for the pair page lists.
inline constexpr double kAcceleratorShare = 0.235;
inline constexpr double kPairShare = 0.06;

struct AcceleratorCounts {
    std::uint64_t bytes = 0;   // of the three files
    std::uint32_t tables = 0;  // codes with a ready-made table
    std::uint32_t pairs = 0;   // pair page lists
};

// Which streams get a table: the most costly to decode first, while the
// tables stay within budget bytes, none shorter than leastStreamBytes. Pairs
// of characters that both have a table with a page bitmap get a page list
// when it names at most 1/narrowing of the rarer one's pages, rarest first,
// within pairBudget bytes.
struct AcceleratorLimits {
    std::uint64_t budget = 0;
    std::uint64_t leastStreamBytes = 4096;
    std::uint64_t pairBudget = 0;
    std::uint32_t narrowing = 4;
};

// Writes the accelerator of the loaded index to path. Throws BuildError (I/O).
AcceleratorCounts WriteAccelerator(const engine::CIndex& index, const std::string& path,
                                   const AcceleratorLimits& limits);

// Loads every scope of the corpus in folder first, so that a folder that is
// not a corpus is refused (BuildError, bad input) before anything is
// written; then writes each file under a temporary name and renames it over
// the old one. Throws BuildError (I/O) when a file cannot be written.
AcceleratorCounts WriteAccelerators(const std::string& folder);

}  // namespace build
