// TailStore: the memory behind the postings writer's tails. A code's tail,
// the bytes of its stream not yet spilled (at most one block of 4,096), is a
// chain of chunks: a first one with room for 24 bytes, then ones with room
// for 248. A code with a page entry or two thus takes 32 bytes and a full
// block about 4,400, so memory follows the bytes of postings held rather
// than the number of codes in use. Chunks are carved from 2 MiB arenas
// backed by huge pages where the system allows (every page entry lands in a
// different code's tail, and with small pages the TLB misses dominate the
// build); a released chunk waits on a free list for the next tail that
// grows, so the arenas hold no more chunks than were ever in use at once.
// Single-threaded; all tails die with the object or with Clear.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace build {

struct Tail {
    std::uint8_t* first = nullptr;  // first chunk; none while used is 0
    std::uint8_t* last = nullptr;   // chunk being filled
    std::uint32_t used = 0;         // bytes held
};

class TailStore {
  public:
    static constexpr std::uint32_t kMaxBytes = 4096;

    // Appends the first bytes of data, as many as fit below kMaxBytes, and
    // returns how many. Throws std::bad_alloc when no arena can be had.
    std::size_t Append(Tail& tail, const std::uint8_t* data, std::size_t size);
    // Copies the tail's used bytes to out.
    void CopyOut(const Tail& tail, std::uint8_t* out) const;
    // Gives the tail's chunks back; the tail is empty.
    void Release(Tail& tail);
    // Frees every arena; all tails become invalid.
    void Clear();

  private:
    std::uint8_t* Take(bool first);

    struct ArenaDeleter {
        void operator()(std::uint8_t* arena) const;
    };
    using Arena = std::unique_ptr<std::uint8_t, ArenaDeleter>;

    std::vector<Arena> m_arenas;
    std::uint8_t* m_next = nullptr;  // carving point in the last arena
    std::uint8_t* m_end = nullptr;
    // Released chunks of each size, linked through their first bytes.
    std::uint8_t* m_freeFirst = nullptr;
    std::uint8_t* m_freeLater = nullptr;
};

}  // namespace build
