#include "tools/orvale-build/postingswriter.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "engine/index.h"
#include "tools/orvale-build/builderror.h"
#include "tools/orvale-build/packednumber.h"

namespace build {
namespace {

constexpr std::uint32_t kBlock = engine::kBlockSize;
constexpr std::uint32_t kNoBlock = 0xFFFFFFFF;

// Every stream starts at byte 0 of a block of its own and goes on at byte 0
// of the next, so no two streams can share a block: the blocks counted are
// the least any valid layout needs.
std::string TooLargeMessage(const std::string& fileName, std::uint64_t blocks,
                            std::uint64_t capacity, bool all) {
    const std::uint64_t over = blocks - capacity;
    char share[32];
    std::snprintf(share, sizeof share, "%.2f",
                  100.0 * static_cast<double>(over) / static_cast<double>(blocks));
    return "the postings of " + fileName + (all ? " need " : " need at least ") +
           std::to_string(blocks) + " blocks of 4,096 bytes; the index format holds " +
           std::to_string(capacity) + (capacity == kPostingsBlockCapacity ? " (4 GiB)" : "") +
           ": " + std::to_string(over) + " blocks, about " + share +
           " % of the postings, must go (fewer pages or characters, or a smaller variant table)";
}
constexpr std::size_t kMaxEntryBytes = 65535;
static_assert(TailStore::kMaxBytes == kBlock);

void WriteTable(FileWriter& out, const std::vector<std::uint32_t>& values) {
    std::vector<std::uint8_t> bytes(values.size() * 4);
    for (std::size_t i = 0; i < values.size(); ++i) PutU32(bytes.data() + 4 * i, values[i]);
    out.Write(bytes.data(), bytes.size());
}

}  // namespace

PostingsWriter::PostingsWriter(std::string stem, std::uint64_t capacity)
    : m_stem(std::move(stem)),
      m_spillPath(m_stem + "-idx.spill"),
      m_spill(std::make_unique<FileWriter>(m_spillPath, 16u << 20)),
      m_codes(engine::kCodeCount),
      m_blocks(engine::kCodeCount),
      m_block(kBlock),
      m_capacity(std::min(capacity, kPostingsBlockCapacity)) {}

PostingsWriter::~PostingsWriter() {
    m_spill.reset();
    ::unlink(m_spillPath.c_str());
}

void PostingsWriter::AddPage(std::uint32_t record, const std::uint64_t* keys, std::size_t count) {
    if (m_entry.size() < 3 * count + 8) m_entry.resize(3 * count + 8);
    m_newCodes.clear();
    std::size_t i = 0;
    while (i < count) {
        const auto code = static_cast<std::uint32_t>(keys[i] >> 32);
        CodeState& state = m_codes[code];
        if (state.pageCount == 0) {
            m_newCodes.push_back(code);
            if (code < engine::kVariantCodeBase) CountStream(code);
        }
        // Positions first, behind room for the longest entry header (3 + 2).
        std::uint8_t* positions = m_entry.data() + 5;
        std::size_t length = 0;
        std::uint32_t previous = 0;
        std::size_t j = i;
        for (; j < count && static_cast<std::uint32_t>(keys[j] >> 32) == code; ++j) {
            const auto position = static_cast<std::uint32_t>(keys[j]);
            length += static_cast<std::size_t>(
                WritePacked(j == i ? position : position - previous, positions + length));
            previous = position;
        }
        if (length > kMaxEntryBytes) {
            throw BuildError(kExitBadInput,
                             "a character occurs so often on one page that its positions take " +
                                 std::to_string(length) +
                                 " bytes; a page entry holds at most 65,535 (split the page)");
        }
        std::uint8_t header[5];
        int headerSize =
            WritePacked(state.pageCount == 0 ? record : record - state.lastRecord, header);
        PutU16(header + headerSize, static_cast<std::uint16_t>(length));
        headerSize += 2;
        // Place the header right before the positions and append both at once.
        std::uint8_t* entry = positions - headerSize;
        std::memcpy(entry, header, static_cast<std::size_t>(headerSize));
        Append(state, entry, length + static_cast<std::size_t>(headerSize));
        state.lastRecord = record;
        ++state.pageCount;
        i = j;
    }
}

void PostingsWriter::Append(CodeState& state, const std::uint8_t* data, std::size_t size) {
    m_streamBytes += size;
    while (size > 0) {
        if (state.tail.used == kBlock) SpillTail(state);
        const std::size_t n = m_tails.Append(state.tail, data, size);
        data += n;
        size -= n;
    }
}

void PostingsWriter::SpillTail(CodeState& state) {
    const auto code = static_cast<std::size_t>(&state - m_codes.data());
    CodeBlocks& blocks = m_blocks[code];
    const auto number = static_cast<std::uint32_t>(m_spillNext.size());
    m_spillNext.push_back(kNoBlock);
    if (blocks.spillBlocks == 0) {
        blocks.firstSpill = number;
    } else {
        m_spillNext[blocks.lastSpill] = number;
    }
    blocks.lastSpill = number;
    ++blocks.spillBlocks;
    m_spill->Write(m_tails.Bytes(state.tail, m_block.data()), kBlock);
    m_tails.Restart(state.tail);
    if (blocks.counted) {
        ++m_certainSpilled;
        StopIfCertainlyOver();
    }
}

void PostingsWriter::StopIfCertainlyOver() const {
    const std::uint64_t blocks = m_certainStreams + m_certainSpilled;
    if (blocks > m_capacity)
        throw BuildError(kExitBadInput,
                         TooLargeMessage(PostingsFileName(), blocks, m_capacity, false));
}

std::string PostingsWriter::PostingsFileName() const {
    return std::filesystem::path(m_stem + "-idx.m").filename().string();
}

void PostingsWriter::CountStream(std::uint32_t code) {
    CodeBlocks& blocks = m_blocks[code];
    if (blocks.counted) return;
    blocks.counted = true;
    ++m_certainStreams;
    m_certainSpilled += blocks.spillBlocks;
    StopIfCertainlyOver();
}

std::uint64_t PostingsWriter::ProjectedBlocks(double growth) const {
    return m_certainStreams +
           static_cast<std::uint64_t>(static_cast<double>(m_certainSpilled) * growth);
}

bool PostingsWriter::ShareStream(std::uint32_t code, std::uint32_t sameAs) {
    const CodeState& state = m_codes[code];
    const CodeState& other = m_codes[sameAs];
    if (code == sameAs || state.pageCount == 0 || m_blocks[sameAs].sameAs != 0 ||
        state.pageCount != other.pageCount || state.lastRecord != other.lastRecord ||
        m_blocks[code].spillBlocks != m_blocks[sameAs].spillBlocks ||
        state.tail.used != other.tail.used) {
        return false;
    }
    m_blocks[code].sameAs = sameAs + 1;
    return true;
}

void PostingsWriter::Finish() {
    m_spill->Close();
    std::vector<std::uint32_t> firstBlock(engine::kCodeCount, kNoBlock);
    std::vector<std::uint32_t> blockCounts(engine::kCodeCount, 0);
    std::vector<std::uint32_t> pageCounts(engine::kCodeCount, 0);
    std::vector<std::uint32_t> lastPage(engine::kCodeCount, 0);
    std::uint64_t blocks = 0;
    for (std::size_t code = 0; code < m_codes.size(); ++code) {
        const CodeState& state = m_codes[code];
        if (state.pageCount == 0 || m_blocks[code].sameAs != 0) continue;
        firstBlock[code] = static_cast<std::uint32_t>(blocks);
        const std::uint32_t chain = m_blocks[code].spillBlocks + 1;
        blocks += chain;
        blockCounts[code] = std::min<std::uint32_t>(chain, 0xFFFF);
        pageCounts[code] = state.pageCount;
        lastPage[code] = state.lastRecord;
    }
    for (std::size_t code = 0; code < m_codes.size(); ++code) {
        const std::uint32_t sameAs = m_blocks[code].sameAs;
        if (sameAs == 0) continue;
        firstBlock[code] = firstBlock[sameAs - 1];
        blockCounts[code] = blockCounts[sameAs - 1];
        pageCounts[code] = pageCounts[sameAs - 1];
        lastPage[code] = lastPage[sameAs - 1];
    }
    if (blocks > m_capacity)
        throw BuildError(kExitBadInput,
                         TooLargeMessage(PostingsFileName(), blocks, m_capacity, true));
    // A postings file of length 0 cannot be mapped: an index without any
    // postings still gets one (unused) block.
    m_blockCount = std::max<std::uint32_t>(static_cast<std::uint32_t>(blocks), 1);
    std::vector<std::uint32_t> nextBlock(m_blockCount, kNoBlock);
    for (std::size_t code = 0; code < m_codes.size(); ++code) {
        if (firstBlock[code] == kNoBlock || m_blocks[code].sameAs != 0) continue;
        const std::uint32_t last = firstBlock[code] + m_blocks[code].spillBlocks;
        for (std::uint32_t b = firstBlock[code]; b < last; ++b) nextBlock[b] = b + 1;
    }

    FileWriter header(m_stem + "-idx.h");
    WriteTable(header, firstBlock);
    std::vector<std::uint8_t> words(2 * blockCounts.size());
    for (std::size_t i = 0; i < blockCounts.size(); ++i) {
        PutU16(words.data() + 2 * i, static_cast<std::uint16_t>(blockCounts[i]));
    }
    header.Write(words.data(), words.size());
    WriteTable(header, pageCounts);
    WriteTable(header, lastPage);
    WriteTable(header, nextBlock);
    header.Close();

    WritePostings(firstBlock);
    m_spill.reset();
    ::unlink(m_spillPath.c_str());
    m_tails.Clear();
}

void PostingsWriter::WritePostings(std::vector<std::uint32_t>& firstBlock) {
    FileWriter out(m_stem + "-idx.m", 16u << 20);
    const int spill = ::open(m_spillPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (spill < 0) {
        throw BuildError(kExitIoFailure,
                         "cannot read " + m_spillPath + ": " + std::strerror(errno));
    }
    std::vector<std::uint8_t> block(kBlock);
    try {
        for (std::size_t code = 0; code < m_codes.size(); ++code) {
            if (firstBlock[code] == kNoBlock || m_blocks[code].sameAs != 0) continue;
            const CodeState& state = m_codes[code];
            const CodeBlocks& blocks = m_blocks[code];
            std::uint32_t s = blocks.spillBlocks == 0 ? kNoBlock : blocks.firstSpill;
            for (; s != kNoBlock; s = m_spillNext[s]) {
                const ssize_t n =
                    ::pread(spill, block.data(), kBlock,
                            static_cast<off_t>(static_cast<std::uint64_t>(s) * kBlock));
                if (n != static_cast<ssize_t>(kBlock)) {
                    throw BuildError(kExitIoFailure, "cannot read " + m_spillPath);
                }
                out.Write(block.data(), kBlock);
            }
            const std::uint32_t used = state.tail.used;
            const std::uint8_t* tail = m_tails.Bytes(state.tail, block.data());
            if (tail != block.data()) std::memcpy(block.data(), tail, used);
            std::memset(block.data() + used, 0, kBlock - used);
            out.Write(block.data(), kBlock);
        }
        if (out.Size() == 0) {
            std::memset(block.data(), 0, kBlock);
            out.Write(block.data(), kBlock);
        }
    } catch (...) {
        ::close(spill);
        throw;
    }
    ::close(spill);
    out.Close();
}

}  // namespace build
