// EntryTables: for each character code, the page entries of its postings laid
// out as plain arrays (record index, where the entry's positions start, their
// byte length, how many there are and their residues modulo 64), with a page
// bitmap for common codes, so that a search finds the entries on a given page
// by a bit test or binary search instead of walking the stream, and counts a
// single character's hits without decoding a position.
//
// A code's table comes ready-made from the corpus' accelerator file when that
// holds it (mapped, nothing decoded); otherwise it is built the first time a
// search uses the code (one walk over its stream, decoding every position
// once). Either way it is kept until the index is
// unloaded or the memory budget makes room for newer tables: Trim() drops the
// tables least recently used, never one used since the last Trim(). A stream
// that turns out damaged keeps the entries before the damage and says so.
// Owned by CIndex; one caller at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <unordered_map>
#include <vector>

#include "engine/largearray.h"
#include "engine/postingscursor.h"

namespace engine {

// Bits set in x. Written out because the portable build target has no
// population-count instruction and the library call costs more than this.
inline std::uint32_t CountBits(std::uint64_t x) {
    x = x - ((x >> 1) & 0x5555555555555555ull);
    x = (x & 0x3333333333333333ull) + ((x >> 2) & 0x3333333333333333ull);
    x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0Full;
    return static_cast<std::uint32_t>((x * 0x0101010101010101ull) >> 56);
}

// The first index from `from` on whose page is at least target (size when
// none): a galloping search over ascending pages, cheap for short steps and
// logarithmic for long.
std::uint32_t SeekPage(const std::uint32_t* pages, std::uint32_t size, std::uint32_t from,
                       std::uint32_t target);

// Where one page entry's positions lie, how many there are and which
// residues modulo 64 they take; kept together because matching a page reads
// them all.
struct EntryPlace {
    std::uint32_t location = 0;  // block * block size + offset of the positions
    std::uint16_t length = 0;    // their byte length
    std::uint16_t count = 0;     // their number
    // Bit r set when some position p has p % 64 == r. Characters that must
    // stand k places apart can only do so on a page where the mask of the
    // one, turned by k, shares a bit with the other's: most pages that hold
    // all the characters of a phrase fail this and are never decoded.
    std::uint64_t residues = 0;
};

static_assert(sizeof(EntryPlace) == 16, "entry places are mapped from the accelerator file");

struct EntryTable {
    std::span<const std::uint32_t> pages;  // record indexes, ascending
    std::span<const EntryPlace> places;    // one per page
    // For codes on at least one page in kDenseRatio: one bit per record index
    // up to the last entry's, and the number of bits set before each word,
    // so that a page's entry is found in constant time.
    std::span<const std::uint64_t> bits;
    std::span<const std::uint32_t> ranks;
    bool damaged = false;  // the stream breaks after the last entry

    // Where the arrays live when the table was built here rather than
    // mapped from the accelerator.
    LargeArray<std::uint32_t> ownPages;
    LargeArray<EntryPlace> ownPlaces;
    LargeArray<std::uint64_t> ownBits;
    LargeArray<std::uint32_t> ownRanks;

    static constexpr std::size_t kDenseRatio = 32;

    // Whether the code is on page; only with bits. Without a branch: a page
    // past the bitmap reads its last word and is refused.
    bool Holds(std::uint32_t page) const {
        const std::size_t word = page / 64;
        const bool inside = word < bits.size();
        const std::uint64_t w = bits[inside ? word : bits.size() - 1];
        return inside & (((w >> (page % 64)) & 1) != 0);
    }
    // The index page's entry has when Holds(page); only with bits and for a
    // page inside the bitmap.
    std::uint32_t EntryIndex(std::uint32_t page) const {
        const std::size_t word = page / 64;
        const std::uint64_t below = (std::uint64_t{1} << (page % 64)) - 1;
        return ranks[word] + CountBits(bits[word] & below);
    }
    // The index of page's entry, or -1 when the code is not on page; only
    // with bits.
    std::int64_t EntryOf(std::uint32_t page) const {
        return Holds(page) ? std::int64_t{EntryIndex(page)} : -1;
    }
    // Heap bytes the table keeps (a mapped table keeps none but itself).
    std::size_t Bytes() const {
        return StorageBytes(ownPages) + StorageBytes(ownPlaces) + StorageBytes(ownBits) +
               StorageBytes(ownRanks) + sizeof(EntryTable);
    }
};

// Ready-made tables, e.g. mapped from the accelerator file.
class EntryTableSource {
  public:
    virtual ~EntryTableSource() = default;
    // Points table at the ready-made arrays of code, whose stream ends with
    // the entry of lastPage; false when there are none or they cannot be
    // trusted (the table is then built from the stream).
    virtual bool Fill(int code, std::uint32_t lastPage, EntryTable& table) = 0;
    // The pages (ascending) on which code second stands right after code
    // first; empty when not known, which says nothing about the pages.
    virtual std::span<const std::uint32_t> PairPages(int first, int second) = 0;
};

class EntryTables {
  public:
    // Tables of all codes together may keep about this many bytes between
    // searches.
    static constexpr std::size_t kDefaultBudget = std::size_t{256} << 20;

    void SetBudget(std::size_t bytes) { m_budget = bytes; }
    // Where tables come from before they are built; null for nowhere. The
    // source must outlive its use or be replaced.
    void SetSource(EntryTableSource* source) { m_source = source; }
    // EntryTableSource::PairPages of the source; empty without one.
    std::span<const std::uint32_t> PairPages(int first, int second) {
        return m_source != nullptr ? m_source->PairPages(first, second)
                                   : std::span<const std::uint32_t>{};
    }
    void Clear();
    // The table of code when it is built or mapped already, else null; valid
    // as For()'s reference is.
    const EntryTable* Kept(int code);
    // True only the first time code is asked since Clear() (by this or by
    // For()): a search that needs a few pages of a code it has never met
    // reads just those (BuildPartialEntryTable), and builds the whole table
    // when the code comes back, so that only repeated use pays for it.
    bool FirstAsk(int code);
    // The table of code, built on first use. The reference stays valid until
    // the next Trim() or Clear().
    // expectedPages, when not 0, is how many entries the code is said to
    // have (the header's count): only the first allocation depends on it.
    const EntryTable& For(int code, std::uint32_t firstBlock, std::uint32_t lastPage,
                          const PostingsView& view, std::uint32_t expectedPages = 0);
    // Drops least recently used tables until the kept ones fit the budget;
    // tables used since the previous Trim() stay.
    void Trim() { TrimTo(m_budget); }
    // The same down to bytes instead of the budget.
    void TrimTo(std::size_t bytes);
    // Heap bytes the tables keep now.
    std::size_t KeptBytes() const { return m_keptBytes; }
    // Drops the table of code when it was built here (a mapped one costs
    // nothing to keep and its checks to refill), so that a caller done with
    // it frees its memory at once. References to it become invalid.
    void Release(int code);

  private:
    struct Slot {
        std::unique_ptr<EntryTable> table;
        std::uint64_t lastUse = 0;
    };
    std::unordered_map<int, Slot> m_slots;  // by code: a search touches few of them
    std::vector<int> m_built;               // codes with a table, in no particular order
    EntryTableSource* m_source = nullptr;
    std::size_t m_budget = kDefaultBudget;
    std::size_t m_keptBytes = 0;
    std::uint64_t m_round = 1;
};

// Builds the table of the stream that starts at byte 0 of firstBlock and ends
// with the entry of lastPage.
void BuildEntryTable(const PostingsView& view, std::uint32_t firstBlock, std::uint32_t lastPage,
                     EntryTable& table, std::uint32_t expectedPages = 0);

// The same table limited to the pages of wanted (ascending), without a
// bitmap. Every entry's header is read, so a break in the stream or its chain
// ends the table as it ends the whole one; positions are decoded, and checked,
// only on the wanted pages, which costs a fraction of the whole table when
// few are wanted. The table's own arrays are reused.
void BuildPartialEntryTable(const PostingsView& view, std::uint32_t firstBlock,
                            std::uint32_t lastPage, std::span<const std::uint32_t> wanted,
                            EntryTable& table);

}  // namespace engine
