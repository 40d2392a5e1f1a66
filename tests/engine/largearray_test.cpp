// Large arrays move between the heap and 2 MiB-aligned storage as they grow
// and shrink; their values must survive every move, and each block must go
// back where it came from (a mix-up crashes or leaks under the sanitizer).
#include "engine/largearray.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace engine {
namespace {

constexpr std::size_t kLargeFrom = kLargeArrayFrom / sizeof(std::uint32_t);

bool HugeAligned(const void* data) {
    return reinterpret_cast<std::uintptr_t>(data) % kHugePageBytes == 0;
}

TEST(LargeArrayTest, KeepsValuesAcrossTheHeapAndHugeAlignedStorage) {
    LargeArray<std::uint32_t> values;
    for (std::uint32_t i = 0; i < 3 * kLargeFrom + 5; ++i) {
        values.push_back(i * 7);
        if (values.capacity() >= kLargeFrom) {
            ASSERT_TRUE(HugeAligned(values.data())) << i;
        }
    }
    for (std::uint32_t i = 0; i < values.size(); ++i) ASSERT_EQ(values[i], i * 7);

    values.resize(10);
    values.shrink_to_fit();  // back to the heap
    EXPECT_EQ(values.size(), 10u);
    EXPECT_EQ(values[9], 63u);
    EXPECT_EQ(StorageBytes(values), values.capacity() * 4);

    LargeArray<std::uint64_t> zeroed(kHugePageBytes / 8 + 1);  // a little over 2 MiB: two pages
    EXPECT_TRUE(HugeAligned(zeroed.data()));
    EXPECT_EQ(StorageBytes(zeroed), 2 * kHugePageBytes);
    EXPECT_EQ(zeroed.front(), 0u);
    EXPECT_EQ(zeroed.back(), 0u);
    zeroed.back() = 1;  // the rounded-up tail is writable storage
    LargeArray<std::uint64_t> copy = zeroed;
    EXPECT_EQ(copy.back(), 1u);
}

}  // namespace
}  // namespace engine
