// PostingsWriter: builds one scope's index, <stem>-idx.h and <stem>-idx.m.
//
// Pages arrive in ascending record order, each as its (code, position)
// pairs. Every character code's postings stream grows append-only in a tail
// of its own (TailStore), small while the code is rare, up to a block of
// 4,096 bytes; a full block goes to a spill file in the output folder.
// Memory thus follows the source rather than the number of distinct
// characters. Finish copies every code's blocks, in code order, onto
// consecutive blocks of the postings file and writes the header tables.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/indexcode.h"
#include "engine/postingscodec.h"
#include "tools/orvale-build/filewriter.h"
#include "tools/orvale-build/tailstore.h"

namespace build {

// Blocks of 4,096 bytes a postings file can hold: block numbers times the
// block size are 32-bit byte offsets, and the last number stays free.
inline constexpr std::uint64_t kPostingsBlockCapacity =
    (std::uint64_t{1} << 32) / engine::kPostingsBlockSize - 1;

// A page's postings key: code in the high 32 bits, position in the low.
inline constexpr std::uint64_t PostingKey(std::uint32_t code, std::uint32_t position) {
    return (static_cast<std::uint64_t>(code) << 32) | position;
}

class PostingsWriter {
  public:
    // Creates the spill file <stem>-idx.spill. Throws BuildError on failure.
    // capacity: the most blocks the postings file may take (smaller only in
    // tests).
    explicit PostingsWriter(std::string stem, std::uint64_t capacity = kPostingsBlockCapacity);
    ~PostingsWriter();
    PostingsWriter(const PostingsWriter&) = delete;
    PostingsWriter& operator=(const PostingsWriter&) = delete;

    // Adds the postings of one page. keys are ascending and distinct, codes
    // below engine::kCodeCount, positions at most 4,194,303; record is above
    // the record of every earlier call and at most 4,194,303. Throws
    // BuildError (bad input) when one code's positions on the page take more
    // than 65,535 bytes, the most a page entry can hold, or when the blocks
    // certain to be written pass the capacity (see CountStream).
    void AddPage(std::uint32_t record, const std::uint64_t* keys, std::size_t count);
    // The codes whose first page the last AddPage added, ascending.
    const std::vector<std::uint32_t>& NewCodes() const { return m_newCodes; }

    // Counts code's stream, blocks so far and to come, among those certain
    // to be written as their own. A character's always is, from its first
    // page; a variant group's is once two of its members occur, since only
    // a group with one member in use reads that member's blocks. Throws
    // BuildError (bad input) as soon as these blocks pass the capacity: the
    // build cannot succeed, so it stops then and not at the end.
    void CountStream(std::uint32_t code);
    // The blocks the counted streams would take if the source grew by the
    // given factor: each stream's last block once, the blocks it filled
    // times the factor. A forecast, not a bound.
    std::uint64_t ProjectedBlocks(double growth) const;
    std::uint64_t Capacity() const { return m_capacity; }
    // The postings file's name, without its folder (the build's own
    // temporary one): what messages call it.
    std::string PostingsFileName() const;

    // Pages on which code has postings so far.
    std::uint32_t PageCount(std::uint32_t code) const { return m_codes[code].pageCount; }
    // Lets code's stream be read from sameAs's blocks instead of its own
    // when the two streams are byte for byte the same (a variant group with
    // one member in use); the caller knows they are, this checks their
    // shape. Returns whether the blocks are shared.
    bool ShareStream(std::uint32_t code, std::uint32_t sameAs);

    // Writes <stem>-idx.h and <stem>-idx.m and removes the spill file.
    // Throws BuildError on a write failure.
    void Finish();

    // Bytes of all postings streams so far (without block padding).
    std::uint64_t StreamBytes() const { return m_streamBytes; }
    // Blocks of the postings file; valid after Finish.
    std::uint32_t BlockCount() const { return m_blockCount; }

  private:
    // What every page entry reads, half a cache line per code: the codes of
    // a page are scattered over the table, and each one costs a miss.
    struct alignas(32) CodeState {
        std::uint32_t lastRecord = 0;
        std::uint32_t pageCount = 0;
        Tail tail;
    };
    static_assert(sizeof(CodeState) == 32);
    // What only spills and Finish read.
    struct CodeBlocks {
        std::uint32_t firstSpill = 0;
        std::uint32_t lastSpill = 0;
        std::uint32_t spillBlocks = 0;
        std::uint32_t sameAs = 0;  // code whose blocks this code reads, plus one; 0: its own
        bool counted = false;      // among the streams certain to be written
    };

    void Append(CodeState& state, const std::uint8_t* data, std::size_t size);
    // Throws BuildError when the streams certain to be written pass the
    // capacity.
    void StopIfCertainlyOver() const;
    void SpillTail(CodeState& state);
    void WritePostings(std::vector<std::uint32_t>& firstBlock);

    std::string m_stem;
    std::string m_spillPath;
    std::unique_ptr<FileWriter> m_spill;
    std::vector<CodeState> m_codes;
    std::vector<CodeBlocks> m_blocks;
    TailStore m_tails;
    std::vector<std::uint8_t> m_block;       // a tail gathered for the spill file
    std::vector<std::uint32_t> m_spillNext;  // chain of spilled blocks
    std::vector<std::uint8_t> m_entry;
    std::uint64_t m_streamBytes = 0;
    std::uint64_t m_capacity;
    // The streams certain to be written, and the blocks they have filled
    // so far (in the spill file); each will also take its last block.
    std::uint64_t m_certainStreams = 0;
    std::uint64_t m_certainSpilled = 0;
    std::vector<std::uint32_t> m_newCodes;
    std::uint32_t m_blockCount = 0;
};

}  // namespace build
