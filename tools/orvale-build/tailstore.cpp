#include "tools/orvale-build/tailstore.h"

#include <sys/mman.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <new>

namespace build {
namespace {

constexpr std::size_t kArenaBytes = 2u << 20;
// Every chunk starts with the link to the next one in its chain. A chain's
// chunks grow from 32 bytes to 64 and then stay at 128: a tail of u bytes
// takes at most about twice u.
constexpr std::uint32_t kLink = sizeof(std::uint8_t*);
constexpr std::array<std::uint32_t, 3> kChunkSizes = {32, 64, 128};
constexpr std::uint32_t kFirstRoom = kChunkSizes[0] - kLink;
constexpr std::uint32_t kSecondEnd = kFirstRoom + kChunkSizes[1] - kLink;
constexpr std::uint32_t kLaterRoom = kChunkSizes[2] - kLink;

// Where byte used of a chain goes: the index of its chunk's size, its offset
// in the chunk and the chunk's room.
struct Place {
    int size;
    std::uint32_t offset;
    std::uint32_t room;
};

Place PlaceOf(std::uint32_t used) {
    if (used < kFirstRoom) return {0, used, kFirstRoom};
    if (used < kSecondEnd) return {1, used - kFirstRoom, kSecondEnd - kFirstRoom};
    return {2, (used - kSecondEnd) % kLaterRoom, kLaterRoom};
}

std::uint8_t* NextOf(const std::uint8_t* chunk) {
    std::uint8_t* next;
    std::memcpy(&next, chunk, sizeof next);
    return next;
}

void SetNext(std::uint8_t* chunk, std::uint8_t* next) { std::memcpy(chunk, &next, sizeof next); }

}  // namespace

void TailStore::ArenaDeleter::operator()(std::uint8_t* arena) const { std::free(arena); }

std::uint8_t* TailStore::Carve(std::uint32_t bytes) {
    // Less than that at an arena's end stays unused.
    if (static_cast<std::size_t>(m_end - m_next) < bytes) {
        auto* arena = static_cast<std::uint8_t*>(std::aligned_alloc(kArenaBytes, kArenaBytes));
        if (arena == nullptr) throw std::bad_alloc();
        ::madvise(arena, kArenaBytes, MADV_HUGEPAGE);
        m_arenas.emplace_back(arena);
        m_next = arena;
        m_end = arena + kArenaBytes;
    }
    std::uint8_t* piece = m_next;
    m_next += bytes;
    return piece;
}

std::uint8_t* TailStore::Take(int size) {
    std::uint8_t* chunk = m_free[size];
    if (chunk != nullptr) {
        m_free[size] = NextOf(chunk);
    } else {
        chunk = Carve(kChunkSizes[size]);
    }
    SetNext(chunk, nullptr);
    return chunk;
}

std::size_t TailStore::AppendAcross(Tail& tail, const std::uint8_t* data, std::size_t size) {
    const std::size_t total = std::min<std::size_t>(size, kMaxBytes - tail.used);
    std::size_t done = 0;
    while (done < total) {
        if (tail.room == 0) {
            // A full chunk (a flat block has room to its end): chain a new one.
            const Place place = PlaceOf(tail.used);
            std::uint8_t* chunk = Take(place.size);
            if (tail.used == 0) {
                tail.first = chunk;
            } else {
                SetNext(tail.cursor - kChunkSizes[PlaceOf(tail.used - 1).size], chunk);
            }
            tail.cursor = chunk + kLink;
            tail.room = static_cast<std::uint16_t>(std::min(place.room, kMaxBytes - tail.used));
        }
        const std::size_t n = std::min<std::size_t>(tail.room, total - done);
        std::memcpy(tail.cursor, data + done, n);
        tail.cursor += n;
        tail.room = static_cast<std::uint16_t>(tail.room - n);
        tail.used += static_cast<std::uint32_t>(n);
        done += n;
    }
    return total;
}

const std::uint8_t* TailStore::Bytes(const Tail& tail, std::uint8_t* scratch) const {
    if (tail.flat) return tail.first;
    std::uint32_t copied = 0;
    for (const std::uint8_t* chunk = tail.first; copied < tail.used; chunk = NextOf(chunk)) {
        const std::uint32_t n = std::min(PlaceOf(copied).room, tail.used - copied);
        std::memcpy(scratch + copied, chunk + kLink, n);
        copied += n;
    }
    return scratch;
}

void TailStore::Release(Tail& tail) {
    std::uint8_t* chunk = tail.first;
    for (int size = 0; chunk != nullptr; size = std::min(size + 1, 2)) {
        std::uint8_t* next = NextOf(chunk);
        SetNext(chunk, m_free[size]);
        m_free[size] = chunk;
        chunk = next;
    }
    tail = Tail{};
}

void TailStore::Restart(Tail& tail) {
    if (!tail.flat) {
        Release(tail);
        tail.first = Carve(kMaxBytes);
        tail.flat = true;
    }
    tail.cursor = tail.first;
    tail.room = kMaxBytes;
    tail.used = 0;
}

void TailStore::Clear() {
    m_arenas.clear();
    m_next = m_end = nullptr;
    m_free.fill(nullptr);
}

}  // namespace build
