// SkipTables: for each character code, every k-th page entry of its postings
// with the reading position just before it, so that a cursor far behind the
// page it must reach jumps close to it instead of walking every entry.
//
// A code's table is built the first time a search uses the code (one walk
// over its entries, reading headers only) and kept until the index is
// unloaded. Only the undamaged start of a stream gets checkpoints. Owned by
// CIndex; one caller at a time.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/postingscursor.h"

namespace engine {

struct SkipCheckpoint {
    std::uint32_t page = 0;          // record index of the entry
    std::uint32_t previousPage = 0;  // record index of the entry before it
    std::uint32_t entry = 0;         // number of the entry in the stream
    PostingsCursor::Mark mark;       // just before the entry's header
};

using SkipTable = std::vector<SkipCheckpoint>;

class SkipTables {
  public:
    // Entries between checkpoints; codes with fewer than twice as many entries
    // get an empty table.
    void SetSpacing(std::uint32_t spacing);
    std::uint32_t Spacing() const { return m_spacing; }
    void Clear();
    // The table of code, built on first use.
    const SkipTable& For(int code, std::uint32_t firstBlock, std::uint32_t lastPage,
                         const PostingsView& view);
    // The number of undamaged entries of code's stream, once For(code) ran.
    std::uint32_t EntryCount(int code) const;

  private:
    std::uint32_t m_spacing = 32;
    std::vector<std::unique_ptr<SkipTable>> m_tables;
    std::vector<std::uint32_t> m_entryCounts;
};

}  // namespace engine
