// PostingsCursor: reads one character code's postings stream in place.
//
// The stream starts at byte 0 of its first block and continues, after the
// last byte of block b, at byte 0 of block nextBlock[b]. The bytes come from
// a PostingsView: the mapped postings file in production, a plain byte vector
// in tests. The cursor never reads outside the view: a block that lies beyond
// the bytes, a chain step from a block without a next-block entry, a chain
// longer than blockCount + 1 blocks (a loop) or a read past the end of a
// truncated last block marks the cursor damaged; from then on every byte it
// reads is 0. Block numbers are checked once, when the cursor enters a block.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/postingscodec.h"

namespace engine {

struct PostingsView {
    const std::uint8_t* bytes = nullptr;
    std::size_t size = 0;
    const std::uint32_t* nextBlock = nullptr;
    std::uint32_t blockCount = 0;
};

class PostingsCursor {
  public:
    // Positions the cursor at byte 0 of firstBlock. The view must outlive the
    // cursor's use.
    void Open(const PostingsView& view, std::uint32_t firstBlock);
    // Positions the cursor at offset bytes into block, a place an earlier
    // cursor on the same view reached through the chain undamaged.
    void OpenAt(const PostingsView& view, std::uint32_t block, std::uint32_t offset);

    // The next byte of the stream. Moving to the next block happens before a
    // read, never after it, so the cursor may rest at the end of a block.
    std::uint8_t ReadByte() {
        if (m_p == m_end) [[unlikely]]
            EnterNextBlock();
        return *m_p++;
    }

    std::uint32_t ReadPacked() {
        if (m_end - m_p >= 3) [[likely]] {
            const std::uint32_t value = DecodePacked(m_p);
            m_p += PackedLength(*m_p);
            return value;
        }
        return ReadPackedSlow();
    }

    // Page delta, then the byte length of the positions that follow.
    void ReadEntryHeader(std::uint32_t& pageDelta, std::uint32_t& byteLength) {
        pageDelta = ReadPacked();
        if (m_end - m_p >= 2) [[likely]] {
            byteLength = m_p[0] | (static_cast<std::uint32_t>(m_p[1]) << 8);
            m_p += 2;
            return;
        }
        const std::uint32_t low = ReadByte();
        byteLength = low | (static_cast<std::uint32_t>(ReadByte()) << 8);
    }

    // A packed number whose bytes are also counted down from remaining. A
    // number that runs past the entry (remaining below 0 afterwards) marks the
    // cursor damaged.
    std::uint32_t ReadPosition(std::int32_t& remaining) {
        if (m_end - m_p >= 3) [[likely]] {
            const int length = PackedLength(*m_p);
            const std::uint32_t value = DecodePacked(m_p);
            m_p += length;
            remaining -= length;
            if (remaining < 0) [[unlikely]]
                MarkDamaged();
            return value;
        }
        return ReadPositionSlow(remaining);
    }

    // Skips the given number of bytes (the rest of a page entry).
    void SkipRestOfEntry(std::uint32_t remaining) {
        if (remaining <= static_cast<std::uint32_t>(m_end - m_p)) [[likely]] {
            m_p += remaining;
            return;
        }
        SkipSlow(remaining);
    }

    // Moves to the next block when the cursor rests at the end of one, so
    // that Block() and Offset() name the place of the next byte.
    void Settle() {
        if (m_p == m_end) EnterNextBlock();
    }

    // The bytes readable in place from the next one on, before the cursor
    // must move to another block, and moving over some of them.
    std::uint32_t InPlace() const { return static_cast<std::uint32_t>(m_end - m_p); }
    const std::uint8_t* Here() const { return m_p; }
    void Advance(std::uint32_t bytes) { m_p += bytes; }

    bool Damaged() const { return m_damaged; }
    // Where the next byte comes from: the block and the offset in it (0 to
    // kPostingsBlockSize inclusive). Meaningless once damaged.
    std::uint32_t Block() const { return m_block; }
    std::uint32_t Offset() const { return static_cast<std::uint32_t>(m_p - m_blockStart); }

  private:
    void EnterBlock(std::uint32_t block);
    void EnterNextBlock();
    void MarkDamaged();
    std::uint32_t ReadPackedSlow();
    std::uint32_t ReadPositionSlow(std::int32_t& remaining);
    void SkipSlow(std::uint32_t remaining);

    const PostingsView* m_view = nullptr;
    const std::uint8_t* m_blockStart = nullptr;
    const std::uint8_t* m_p = nullptr;
    const std::uint8_t* m_end = nullptr;
    std::uint32_t m_block = 0;
    std::uint32_t m_blocksEntered = 0;
    bool m_truncatedBlock = false;
    bool m_damaged = false;
};

}  // namespace engine
