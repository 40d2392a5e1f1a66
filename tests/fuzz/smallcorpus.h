// A small corpus shared by the fuzz targets and the reliability tests: a few
// pages over a handful of characters (some in a variant group, one outside
// the basic plane), written as a whole loadable corpus (index, page store in
// the result-page layout, variant table).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace fuzz {

// The texts of the pages, record index = position in the list.
const std::vector<std::u32string>& SmallCorpusTexts();
// The variant groups written to yitizi.txt.
const std::vector<std::vector<std::uint32_t>>& SmallCorpusGroups();
// The stored page of one text: a title and the two cells, the text in the
// cell that the parity of its page number (recordIndex + 1) chooses, every third character an
// annotation.
std::string SmallCorpusPage(const std::u32string& text, std::size_t recordIndex);
// Writes Index-idx.h/-idx.m, Index-fl.h/-fl.cnt and yitizi.txt into dir.
bool WriteSmallCorpus(const std::string& dir);
std::string Utf8Of(const std::u32string& text);

}  // namespace fuzz
