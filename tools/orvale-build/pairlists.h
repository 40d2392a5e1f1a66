// Pair page lists for the accelerator: for streams of common characters, the
// pages on which one character stands right after another (positions p and
// p + 1), kept where such a list names far fewer pages than either
// character's own.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/postingscursor.h"

namespace build {

struct PairStream {
    std::uint32_t firstBlock = 0;
    std::uint32_t pageCount = 0;
    std::uint32_t lastPage = 0;
    std::vector<std::uint32_t> codes;  // all codes that share the stream
};

struct PairList {
    std::uint32_t first = 0;
    std::uint32_t second = 0;
    std::vector<std::uint32_t> pages;  // ascending
};

// Reads the streams (undamaged, as their entry tables showed) page by page
// and returns the pairs whose pages number at most 1/narrowing of the rarer
// character's, rarest first, within budget bytes of page lists.
std::vector<PairList> CollectPairs(const engine::PostingsView& view,
                                   const std::vector<PairStream>& streams, std::uint32_t narrowing,
                                   std::uint64_t budget);

}  // namespace build
