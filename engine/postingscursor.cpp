#include "engine/postingscursor.h"

#include <algorithm>

namespace engine {
namespace {

// What a damaged cursor reads: zeros, never bytes outside the view.
alignas(64) const std::uint8_t kZeroBlock[kPostingsBlockSize] = {};

}  // namespace

void PostingsCursor::Open(const PostingsView& view, std::uint32_t firstBlock) {
    m_view = &view;
    m_damaged = false;
    m_blocksEntered = 0;
    EnterBlock(firstBlock);
}

void PostingsCursor::EnterBlock(std::uint32_t block) {
    // A legitimate chain visits each block at most once: the first block plus
    // at most one block per next-block entry.
    if (++m_blocksEntered > static_cast<std::uint64_t>(m_view->blockCount) + 1) {
        MarkDamaged();
        return;
    }
    const std::uint64_t start = static_cast<std::uint64_t>(block) * kPostingsBlockSize;
    if (start >= m_view->size) {
        MarkDamaged();
        return;
    }
    const std::uint64_t available =
        std::min<std::uint64_t>(kPostingsBlockSize, m_view->size - start);
    m_block = block;
    m_blockStart = m_view->bytes + start;
    m_p = m_blockStart;
    m_end = m_blockStart + available;
    m_truncatedBlock = available < kPostingsBlockSize;
}

void PostingsCursor::OpenAt(const PostingsView& view, std::uint32_t block, std::uint32_t offset) {
    Open(view, block);
    if (!m_damaged) m_p += std::min<std::ptrdiff_t>(offset, m_end - m_p);
}

void PostingsCursor::EnterNextBlock() {
    if (m_damaged) {
        m_p = kZeroBlock;
        return;
    }
    if (m_truncatedBlock || m_block >= m_view->blockCount) {
        MarkDamaged();
        return;
    }
    EnterBlock(m_view->nextBlock[m_block]);
}

void PostingsCursor::MarkDamaged() {
    m_damaged = true;
    m_truncatedBlock = false;
    m_blockStart = kZeroBlock;
    m_p = kZeroBlock;
    m_end = kZeroBlock + kPostingsBlockSize;
}

std::uint32_t PostingsCursor::ReadPackedSlow() {
    const std::uint32_t b0 = ReadByte();
    if (b0 < 0x80) return b0;
    if (b0 < 0xC0) return ((b0 & 0x3F) << 8) | ReadByte();
    const std::uint32_t b1 = ReadByte();
    return ((b0 & 0x3F) << 16) | (b1 << 8) | ReadByte();
}

std::uint32_t PostingsCursor::ReadPositionSlow(std::int32_t& remaining) {
    const std::uint8_t b0 = ReadByte();
    const int length = PackedLength(b0);
    std::uint32_t value = b0;
    if (length == 2) {
        value = ((value & 0x3F) << 8) | ReadByte();
    } else if (length == 3) {
        const std::uint32_t b1 = ReadByte();
        value = ((value & 0x3F) << 16) | (b1 << 8) | ReadByte();
    }
    remaining -= length;
    if (remaining < 0) MarkDamaged();
    return value;
}

void PostingsCursor::SkipSlow(std::uint32_t remaining) {
    while (remaining > static_cast<std::uint32_t>(m_end - m_p)) {
        remaining -= static_cast<std::uint32_t>(m_end - m_p);
        m_p = m_end;
        EnterNextBlock();
        if (m_damaged) return;
    }
    m_p += remaining;
}

}  // namespace engine
