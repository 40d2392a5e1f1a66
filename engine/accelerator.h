// Accelerator: ready-made entry tables of one index scope, in the file
// <stem>-idx.acc beside <stem>-idx.h and <stem>-idx.m. orvale-build writes it
// for the codes whose tables cost the most to build; the reader maps it and
// points a code's entry table at its arrays instead of decoding the code's
// stream, so the first search of a common character costs what a warm one
// does. It is derived data: the index files stay as they are, and a reader
// without it builds the same tables from the streams.
//
// It also lists, for pairs of common characters, the pages on which the
// second stands right after the first: a phrase of common characters then
// visits only the pages its rarest pair names.
//
// File layout (little-endian, every array 8-byte aligned):
//   AcceleratorHeader (96 bytes);
//   per code, a section: pages (u32 × n, padded to 8 bytes), places
//   (EntryPlace × n), bitmap words (u64 × w), ranks (u32 × w, padded to 8);
//   per pair, its pages (u32 × n, padded to 8);
//   the directory: AcceleratorEntry × count, ascending by code;
//   the pair directory: AcceleratorPair × pairCount, ascending by (first,
//   second).
// The header names the index it was made from (IndexIdentity); the header
// and the directory carry checksums, and so does every section, checked the
// first time its code is used, together with the section's structure.
// Whatever does not match makes the reader go on without the file: it never
// trusts a table it has not checked, never reads outside the mapping.
//
// Opening checks only the header and the sizes it names. The checksum of the
// index header tables and the directories are checked when the file first
// holds something a search asks for: a search of rare characters then costs
// no more than without the file, and reads only the directory pages its
// lookups touch (bounded by the mapping however the bytes are changed).
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "engine/entrytable.h"
#include "engine/mappedfile.h"

namespace engine {

inline constexpr const char* kAcceleratorSuffix = "-idx.acc";
inline constexpr char kAcceleratorMagic[8] = {'O', 'R', 'V', 'A', 'C', 'C', '\x1A', '1'};

// A checksum of bytes: any change of one 8-byte word changes it.
std::uint64_t HashBytes(const void* data, std::size_t size, std::uint64_t seed = 0);

// The index files an accelerator belongs to: their sizes and a checksum of
// the header tables (A to E, as read from <stem>-idx.h).
struct IndexIdentity {
    std::uint64_t headerSize = 0;
    std::uint64_t postingsSize = 0;
    std::uint64_t headerHash = 0;
    bool operator==(const IndexIdentity&) const = default;
};

struct AcceleratorHeader {
    char magic[8];
    std::uint32_t version;
    std::uint32_t count;  // directory entries
    std::uint64_t fileSize;
    IndexIdentity identity;
    std::uint64_t directoryOffset;
    std::uint64_t directoryHash;
    std::uint32_t pairCount;
    std::uint32_t reserved;  // 0
    std::uint64_t pairDirectoryOffset;
    std::uint64_t pairDirectoryHash;
    std::uint64_t headerHash;  // of the 88 bytes before it
};
static_assert(sizeof(AcceleratorHeader) == 96);

struct AcceleratorEntry {
    std::uint32_t code;
    std::uint32_t pageCount;  // n, at least 1
    std::uint32_t bitWords;   // w, 0 when the table has no bitmap
    std::uint32_t reserved;   // 0
    std::uint64_t offset;     // of the section, a multiple of 8
    std::uint64_t hash;       // of the section's bytes
};
static_assert(sizeof(AcceleratorEntry) == 32);

struct AcceleratorPair {
    std::uint32_t first;      // code
    std::uint32_t second;     // code
    std::uint32_t pageCount;  // n, at least 1
    std::uint32_t reserved;   // 0
    std::uint64_t offset;     // of the page list, a multiple of 8
    std::uint64_t hash;       // of the list's bytes, padding included
};
static_assert(sizeof(AcceleratorPair) == 32);

inline constexpr std::uint32_t kAcceleratorVersion = 1;

// Bytes of a section with n pages and w bitmap words.
constexpr std::uint64_t AcceleratorSectionBytes(std::uint64_t n, std::uint64_t w) {
    return (n * 4 + 7) / 8 * 8 + n * sizeof(EntryPlace) + w * 8 + (w * 4 + 7) / 8 * 8;
}

enum class AcceleratorState {
    Used,     // mapped and matching the index
    Missing,  // no file
    Stale,    // made for other index files
    Damaged,  // truncated, changed or not an accelerator
};

class Accelerator : public EntryTableSource {
  public:
    // Gives the identity of the index the file must belong to; called at
    // most once per Open, and only when the file is about to be used.
    using IdentityOf = std::function<IndexIdentity()>;

    // Opens and maps the file name of folder for the index whose header and
    // postings files have the given sizes and whose full identity identity
    // gives, and whose postings are view (which must outlive the use). Any
    // state but Used leaves it closed.
    AcceleratorState Open(const CorpusFolder& folder, const std::string& name,
                          std::uint64_t headerSize, std::uint64_t postingsSize, IdentityOf identity,
                          const PostingsView& view);
    void Close();
    // What is known so far: Used may still turn Stale or Damaged at the
    // first use.
    AcceleratorState State() const { return m_state; }
    // Runs the checks left for the first use now; the state afterwards.
    AcceleratorState Verify();
    // The code's table from the file when it holds the code and its section
    // checks out; a section that fails its checks makes the state Damaged and
    // the file unused from then on.
    bool Fill(int code, std::uint32_t lastPage, EntryTable& table) override;
    // The pair's pages when the file lists the pair and its list checks out
    // (checked once; a failure makes the state Damaged).
    std::span<const std::uint32_t> PairPages(int first, int second) override;

  private:
    bool Check(const AcceleratorEntry& entry, std::uint32_t lastPage, const EntryTable& t) const;
    bool EndsWithNumber(const EntryPlace& place) const;
    // The checks of the identity and the directories, left from Open.
    AcceleratorState CheckWhole();
    void Disuse(AcceleratorState state);

    MappedFile m_file;
    AcceleratorHeader m_header{};
    IdentityOf m_identity;
    bool m_verified = false;
    std::span<const AcceleratorEntry> m_entries;
    std::span<const AcceleratorPair> m_pairs;
    std::vector<std::uint8_t> m_pairChecked;  // per pair: 0 not yet, 1 good
    PostingsView m_view;
    AcceleratorState m_state = AcceleratorState::Missing;
};

// A short message (Japanese) saying the search runs without the accelerator
// file name, and why; empty for Used.
std::string AcceleratorNotice(AcceleratorState state, const std::string& fileName);

}  // namespace engine
