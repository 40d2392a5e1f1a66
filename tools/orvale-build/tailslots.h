// TailSlots: the memory behind the postings writer's tail blocks. A code's
// tail starts as a slot of 16 bytes and moves to a slot twice as large each
// time it fills, up to one block of 4,096 bytes, so memory follows the
// bytes of postings not yet spilled rather than the number of codes in use.
// Slots are carved, naturally aligned, from 2 MiB arenas backed by huge pages
// where the system allows (every page entry lands in a different code's
// tail, and with small pages the TLB misses dominate the build); a slot given
// back is kept on its size's free list for the next code that needs one.
// Single-threaded; all slots die with the object or with Clear.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace build {

class TailSlots {
  public:
    static constexpr std::uint32_t kSmallest = 16;
    static constexpr std::uint32_t kLargest = 4096;

    // The capacity a tail needs to hold bytes bytes: the smallest slot size
    // (a power of two from kSmallest to kLargest) that is not below bytes,
    // or kLargest when bytes exceeds it.
    static std::uint32_t CapacityFor(std::uint32_t bytes);

    // A slot of capacity bytes, a size CapacityFor returns. Throws
    // std::bad_alloc when no arena can be had.
    std::uint8_t* Take(std::uint32_t capacity);
    // Gives back a slot that Take returned with the same capacity.
    void Give(std::uint8_t* slot, std::uint32_t capacity);
    // Frees every arena; all slots become invalid.
    void Clear();

    // Bytes of the arenas taken so far.
    std::uint64_t ArenaBytes() const;

  private:
    static constexpr int kSizes = 9;  // 16 .. 4,096
    static int SizeIndex(std::uint32_t capacity);

    struct ArenaDeleter {
        void operator()(std::uint8_t* arena) const;
    };
    using Arena = std::unique_ptr<std::uint8_t, ArenaDeleter>;

    std::vector<Arena> m_arenas;
    std::uint8_t* m_next = nullptr;  // carving point in the last arena
    std::uint8_t* m_end = nullptr;
    // Free slots of each size, linked through their first bytes.
    std::array<std::uint8_t*, kSizes> m_free{};
};

}  // namespace build
