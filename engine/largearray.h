// LargeArray: a std::vector whose storage, from 1 MiB on, is rounded up to
// whole 2 MiB pages on 2 MiB boundaries and offered to the system for huge
// pages. Entry tables built at search time are large, written once and then
// read at random: on a huge page each 2 MiB costs one page fault and one
// TLB entry instead of 512. Smaller arrays come from the ordinary heap,
// where rounding would waste more than it saves.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <vector>

namespace engine {

inline constexpr std::size_t kHugePageBytes = std::size_t{2} << 20;
// The least storage a LargeArray places on huge pages.
inline constexpr std::size_t kLargeArrayFrom = kHugePageBytes / 2;

// bytes (or an address) rounded up to the next 2 MiB boundary.
inline constexpr std::uintptr_t RoundUpToHugePage(std::uintptr_t bytes) {
    return (bytes + kHugePageBytes - 1) / kHugePageBytes * kHugePageBytes;
}

// Storage of `bytes` (a multiple of kHugePageBytes) at a 2 MiB boundary,
// zeroed and mapped on demand, or nullptr when the system has none to give.
void* AllocateHugeAligned(std::size_t bytes);
void FreeHugeAligned(void* data, std::size_t bytes);
// Offers the whole 2 MiB pages inside [data, data + bytes) of storage not
// yet written (e.g. a std::vector's after reserve) for huge pages; does
// nothing for smaller ranges. Only a wish, as for AllocateHugeAligned.
void AdviseHugePages(void* data, std::size_t bytes);

// Reserves room for `extra` more elements in a plain std::vector and, when
// that is 2 MiB or more, offers it for huge pages: for result arrays whose
// type callers rely on.
template <class T>
void ReserveLarge(std::vector<T>& array, std::size_t extra) {
    const std::size_t wanted = array.size() + extra;
    if (wanted <= array.capacity()) return;
    array.reserve(wanted);
    AdviseHugePages(array.data() + array.size(), (array.capacity() - array.size()) * sizeof(T));
}

template <class T>
struct LargeArrayAllocator {
    using value_type = T;

    LargeArrayAllocator() = default;
    template <class U>
    LargeArrayAllocator(const LargeArrayAllocator<U>&) noexcept {}

    // Which storage an array has follows from its length alone, so that
    // deallocate knows where it came from.
    T* allocate(std::size_t n) {
        if (!IsLarge(n)) return std::allocator<T>().allocate(n);
        if (n > SIZE_MAX / sizeof(T) - kHugePageBytes) throw std::bad_array_new_length();
        void* data = AllocateHugeAligned(Rounded(n));
        if (data == nullptr) throw std::bad_alloc();
        return static_cast<T*>(data);
    }
    void deallocate(T* data, std::size_t n) noexcept {
        if (IsLarge(n)) {
            FreeHugeAligned(data, Rounded(n));
        } else {
            std::allocator<T>().deallocate(data, n);
        }
    }
    friend bool operator==(const LargeArrayAllocator&, const LargeArrayAllocator&) { return true; }

  private:
    static bool IsLarge(std::size_t n) { return n >= kLargeArrayFrom / sizeof(T); }
    static std::size_t Rounded(std::size_t n) { return RoundUpToHugePage(n * sizeof(T)); }
};

template <class T>
using LargeArray = std::vector<T, LargeArrayAllocator<T>>;

// The bytes an array's storage takes, its rounding to 2 MiB included.
template <class T>
std::size_t StorageBytes(const LargeArray<T>& array) {
    const std::size_t bytes = array.capacity() * sizeof(T);
    return bytes >= kLargeArrayFrom ? RoundUpToHugePage(bytes) : bytes;
}

}  // namespace engine
