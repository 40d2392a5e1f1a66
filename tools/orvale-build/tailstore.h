// TailStore: the memory behind the postings writer's tails. A code's tail
// holds the bytes of its stream not yet spilled, at most one block of 4,096.
// It starts as a chain of chunks that grow from 32 bytes to 128, so a code
// with a page entry or two takes 32 bytes and one with u bytes at most about
// 2u: memory follows the bytes of postings held rather than the number of
// codes in use. A code that has filled a block is a frequent one; from its
// first spill on, its tail is one flat block that it keeps and refills in
// place, as cheap to append to and spill as can be. Such blocks never take
// more than the bytes already spilled. Memory comes from 2 MiB arenas backed
// by huge pages where the system allows (every page entry lands in a
// different code's tail, and with small pages the TLB misses dominate the
// build); released chunks wait on free lists for the next tail that grows.
// Single-threaded; all tails die with the object or with Clear.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

namespace build {

struct Tail {
    std::uint8_t* first = nullptr;   // the flat block, or the chain's first chunk
    std::uint8_t* cursor = nullptr;  // where the next byte goes
    std::uint32_t used = 0;          // bytes held
    std::uint16_t room = 0;          // bytes that fit at cursor (within the block)
    bool flat = false;
};

class TailStore {
  public:
    static constexpr std::uint32_t kMaxBytes = 4096;

    // Appends the first bytes of data, as many as fit below kMaxBytes, and
    // returns how many. Throws std::bad_alloc when no arena can be had.
    std::size_t Append(Tail& tail, const std::uint8_t* data, std::size_t size) {
        if (size > tail.room) return AppendAcross(tail, data, size);
        std::memcpy(tail.cursor, data, size);
        tail.cursor += size;
        tail.room = static_cast<std::uint16_t>(tail.room - size);
        tail.used += static_cast<std::uint32_t>(size);
        return size;
    }
    // The tail's used bytes in one piece: the flat block itself, or the
    // chain copied into scratch (of kMaxBytes bytes).
    const std::uint8_t* Bytes(const Tail& tail, std::uint8_t* scratch) const;
    // Empties the tail once its bytes went to the spill file: a chain's
    // chunks go back and the tail becomes a flat block.
    void Restart(Tail& tail);
    // Frees every arena; all tails become invalid.
    void Clear();

  private:
    std::size_t AppendAcross(Tail& tail, const std::uint8_t* data, std::size_t size);
    std::uint8_t* Take(int size);
    std::uint8_t* Carve(std::uint32_t bytes);
    void Release(Tail& tail);

    struct ArenaDeleter {
        void operator()(std::uint8_t* arena) const;
    };
    using Arena = std::unique_ptr<std::uint8_t, ArenaDeleter>;

    std::vector<Arena> m_arenas;
    std::uint8_t* m_next = nullptr;  // carving point in the last arena
    std::uint8_t* m_end = nullptr;
    // Released chunks of each size, linked through their first bytes.
    std::array<std::uint8_t*, 3> m_free{};
};

}  // namespace build
