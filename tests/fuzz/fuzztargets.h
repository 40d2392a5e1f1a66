// The fuzz targets of the engine, the page store and the panel logic. Each
// takes one arbitrary input and drives one reader of untrusted bytes with it;
// a crash, a sanitizer report or a hang is a finding. The same functions run
// under libFuzzer (one executable per target) and in the replay test, which
// feeds them every committed seed and regression input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace fuzz {

using TargetFunction = int (*)(const std::uint8_t* data, std::size_t size);

// The index header and postings, loaded and searched.
int FuzzIndexFiles(const std::uint8_t* data, std::size_t size);
// The page store header and content: page lookup, reading and composition.
int FuzzPageStore(const std::uint8_t* data, std::size_t size);
// The catalogue file, its tree and the result rows over it.
int FuzzCatalogue(const std::uint8_t* data, std::size_t size);
// The variant table: parsing, mapping and keyword widening.
int FuzzVariants(const std::uint8_t* data, std::size_t size);
// Queries against a fixed small corpus.
int FuzzQuery(const std::uint8_t* data, std::size_t size);
// The highlighter: one keyword over one run of page text.
int FuzzHighlight(const std::uint8_t* data, std::size_t size);
// The page composer: arbitrary page bytes and keywords.
int FuzzComposer(const std::uint8_t* data, std::size_t size);
// Opening a corpus folder: the manifest's identity check and the variant
// table's size cap.
int FuzzCorpusOpen(const std::uint8_t* data, std::size_t size);

struct Target {
    std::string_view name;  // also the folder of its seeds and regressions
    TargetFunction run;
};

// Every target, in a fixed order.
std::span<const Target> Targets();

}  // namespace fuzz
