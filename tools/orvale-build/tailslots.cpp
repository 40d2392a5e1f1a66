#include "tools/orvale-build/tailslots.h"

#include <sys/mman.h>

#include <bit>
#include <cstdlib>
#include <cstring>
#include <new>

namespace build {
namespace {

constexpr std::size_t kArenaBytes = 2u << 20;

std::uint8_t* NextFree(std::uint8_t* slot) {
    std::uint8_t* next;
    std::memcpy(&next, slot, sizeof next);
    return next;
}

}  // namespace

void TailSlots::ArenaDeleter::operator()(std::uint8_t* arena) const { std::free(arena); }

std::uint32_t TailSlots::CapacityFor(std::uint32_t bytes) {
    if (bytes <= kSmallest) return kSmallest;
    if (bytes >= kLargest) return kLargest;
    return std::bit_ceil(bytes);
}

int TailSlots::SizeIndex(std::uint32_t capacity) {
    return std::countr_zero(capacity) - std::countr_zero(kSmallest);
}

std::uint8_t* TailSlots::Take(std::uint32_t capacity) {
    const int size = SizeIndex(capacity);
    if (std::uint8_t* slot = m_free[size]) {
        m_free[size] = NextFree(slot);
        return slot;
    }
    // Arenas are aligned to their size, so aligning the carving point aligns
    // the slot; the gap before it splits into aligned smaller slots.
    while (true) {
        const auto offset =
            static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(m_next) % kArenaBytes);
        if (m_next != m_end && offset % capacity == 0) break;
        if (m_next == m_end) {
            auto* arena = static_cast<std::uint8_t*>(std::aligned_alloc(kArenaBytes, kArenaBytes));
            if (arena == nullptr) throw std::bad_alloc();
            ::madvise(arena, kArenaBytes, MADV_HUGEPAGE);
            m_arenas.emplace_back(arena);
            m_next = arena;
            m_end = arena + kArenaBytes;
            continue;
        }
        const std::uint32_t gap = std::uint32_t{1} << std::countr_zero(offset);
        Give(m_next, gap);
        m_next += gap;
    }
    std::uint8_t* slot = m_next;
    m_next += capacity;
    return slot;
}

void TailSlots::Give(std::uint8_t* slot, std::uint32_t capacity) {
    const int size = SizeIndex(capacity);
    std::memcpy(slot, &m_free[size], sizeof(std::uint8_t*));
    m_free[size] = slot;
}

void TailSlots::Clear() {
    m_arenas.clear();
    m_next = m_end = nullptr;
    m_free.fill(nullptr);
}

std::uint64_t TailSlots::ArenaBytes() const { return std::uint64_t{m_arenas.size()} * kArenaBytes; }

}  // namespace build
