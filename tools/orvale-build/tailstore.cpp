#include "tools/orvale-build/tailstore.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

namespace build {
namespace {

constexpr std::size_t kArenaBytes = 2u << 20;
// Every chunk starts with the link to the next one in its chain.
constexpr std::uint32_t kLink = sizeof(std::uint8_t*);
constexpr std::uint32_t kFirstChunk = 32;
constexpr std::uint32_t kLaterChunk = 256;
constexpr std::uint32_t kFirstRoom = kFirstChunk - kLink;
constexpr std::uint32_t kLaterRoom = kLaterChunk - kLink;

std::uint8_t* NextOf(const std::uint8_t* chunk) {
    std::uint8_t* next;
    std::memcpy(&next, chunk, sizeof next);
    return next;
}

void SetNext(std::uint8_t* chunk, std::uint8_t* next) { std::memcpy(chunk, &next, sizeof next); }

}  // namespace

void TailStore::ArenaDeleter::operator()(std::uint8_t* arena) const { std::free(arena); }

std::uint8_t* TailStore::Take(bool first) {
    std::uint8_t*& free = first ? m_freeFirst : m_freeLater;
    std::uint8_t* chunk = free;
    if (chunk != nullptr) {
        free = NextOf(chunk);
    } else {
        const std::uint32_t size = first ? kFirstChunk : kLaterChunk;
        // Less than one chunk at an arena's end stays unused.
        if (static_cast<std::size_t>(m_end - m_next) < size) {
            auto* arena = static_cast<std::uint8_t*>(std::aligned_alloc(kArenaBytes, kArenaBytes));
            if (arena == nullptr) throw std::bad_alloc();
            ::madvise(arena, kArenaBytes, MADV_HUGEPAGE);
            m_arenas.emplace_back(arena);
            m_next = arena;
            m_end = arena + kArenaBytes;
        }
        chunk = m_next;
        m_next += size;
    }
    SetNext(chunk, nullptr);
    return chunk;
}

std::size_t TailStore::Append(Tail& tail, const std::uint8_t* data, std::size_t size) {
    const std::size_t total = std::min<std::size_t>(size, kMaxBytes - tail.used);
    std::size_t done = 0;
    while (done < total) {
        // Where byte `used` goes: its offset in its chunk and the chunk's room.
        std::uint32_t offset = tail.used;
        std::uint32_t room = kFirstRoom;
        if (tail.used >= kFirstRoom) {
            offset = (tail.used - kFirstRoom) % kLaterRoom;
            room = kLaterRoom;
        }
        if (offset == 0) {
            std::uint8_t* chunk = Take(tail.used == 0);
            if (tail.used == 0) {
                tail.first = chunk;
            } else {
                SetNext(tail.last, chunk);
            }
            tail.last = chunk;
        }
        const std::size_t n = std::min<std::size_t>(room - offset, total - done);
        std::memcpy(tail.last + kLink + offset, data + done, n);
        tail.used += static_cast<std::uint32_t>(n);
        done += n;
    }
    return total;
}

void TailStore::CopyOut(const Tail& tail, std::uint8_t* out) const {
    std::uint32_t left = tail.used;
    std::uint32_t room = kFirstRoom;
    for (const std::uint8_t* chunk = tail.first; left > 0; chunk = NextOf(chunk)) {
        const std::uint32_t n = std::min(room, left);
        std::memcpy(out, chunk + kLink, n);
        out += n;
        left -= n;
        room = kLaterRoom;
    }
}

void TailStore::Release(Tail& tail) {
    std::uint8_t* chunk = tail.first;
    bool first = true;
    while (chunk != nullptr) {
        std::uint8_t* next = NextOf(chunk);
        std::uint8_t*& free = first ? m_freeFirst : m_freeLater;
        SetNext(chunk, free);
        free = chunk;
        chunk = next;
        first = false;
    }
    tail = Tail{};
}

void TailStore::Clear() {
    m_arenas.clear();
    m_next = m_end = nullptr;
    m_freeFirst = m_freeLater = nullptr;
}

}  // namespace build
