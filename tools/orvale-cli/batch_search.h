// orvale-cli search --stdin: loads the corpus once and answers one keyword
// string per input line, in turn. Each answer is what a single search prints
// (rows, or the raw hit list) followed by an empty line; with json, one JSON
// object per line, {"query": ..., then the fields of the single search's
// document}, or {"query": ..., "error": ...} for a refused line. Messages go
// to stderr as for a single search. The exit status is 0 when every line was
// answered, 2 when some line was refused or malformed, 1 when the corpus
// cannot be opened.
#pragma once

#include <istream>
#include <string>

#include "tools/orvale-cli/commands.h"

namespace engine {
class CIndex;
}

namespace cli {

// The engine's hit list of the last search: record<TAB>hits, one line a page.
std::string RawHitLines(const engine::CIndex& index);
// The engine's index scope of a search scope.
int EngineScope(SearchScope scope);
// The catalogue slot a search covers: the whole corpus unless --entry named
// one (a slot given is a catalogue slot, even the one the whole corpus uses).
int EntrySlotOf(const SearchRequest& request);

// Prints on stderr, once, that the searches run without the accelerator
// file, when they do.
void TellAccelerator(engine::CIndex& index);

int RunSearchBatch(const std::string& dataDir, const SearchRequest& request, std::istream& in);

}  // namespace cli
