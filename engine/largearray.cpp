#include "engine/largearray.h"

#include <sys/mman.h>

namespace engine {

void* AllocateHugeAligned(std::size_t bytes) {
    // Map one huge page more than asked and give back what lies before the
    // first 2 MiB boundary and after the end.
    const std::size_t mapped = bytes + kHugePageBytes;
    void* raw = ::mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED) return nullptr;
    const auto start = reinterpret_cast<std::uintptr_t>(raw);
    const std::uintptr_t aligned = RoundUpToHugePage(start);
    if (aligned > start) ::munmap(raw, aligned - start);
    const std::uintptr_t end = aligned + bytes;
    if (start + mapped > end) ::munmap(reinterpret_cast<void*>(end), start + mapped - end);
    auto* data = reinterpret_cast<void*>(aligned);
#ifdef MADV_HUGEPAGE
    // Only a wish: where huge pages are off, the storage works as it is.
    ::madvise(data, bytes, MADV_HUGEPAGE);
#endif
    return data;
}

void FreeHugeAligned(void* data, std::size_t bytes) { ::munmap(data, bytes); }

void AdviseHugePages(void* data, std::size_t bytes) {
#ifdef MADV_HUGEPAGE
    const auto start = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t first = RoundUpToHugePage(start);
    const std::uintptr_t last = (start + bytes) / kHugePageBytes * kHugePageBytes;
    if (last > first) ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#else
    (void)data;
    (void)bytes;
#endif
}

}  // namespace engine
