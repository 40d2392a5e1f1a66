#include "engine/postingscursor.h"

#include <gtest/gtest.h>

#include <vector>

namespace engine {
namespace {

constexpr std::size_t kB = kPostingsBlockSize;

// Postings bytes in a plain vector, sized exactly so that the sanitizer sees
// any read outside them.
struct Postings {
    std::vector<std::uint8_t> bytes;
    std::vector<std::uint32_t> next;
    PostingsView view;

    Postings(std::size_t size, std::vector<std::uint32_t> nextBlocks)
        : bytes(size, 0), next(std::move(nextBlocks)) {
        view.bytes = bytes.data();
        view.size = bytes.size();
        view.nextBlock = next.data();
        view.blockCount = static_cast<std::uint32_t>(next.size());
    }
    void Put(std::size_t at, std::vector<std::uint8_t> values) {
        for (std::uint8_t v : values) bytes.at(at++) = v;
    }
};

TEST(PostingsCursorTest, PackedNumbersInEveryForm) {
    struct Case {
        std::vector<std::uint8_t> bytes;
        std::uint32_t value;
    };
    const std::vector<Case> cases = {
        {{0x00}, 0},
        {{0x7F}, 127},
        {{0x80, 0xFF}, 255},
        {{0xBF, 0xFF}, 16383},
        {{0xC0, 0x01, 0x00}, 256},
        {{0xFF, 0xFF, 0xFF}, 4194303},
        {{0x80, 0x05}, 5},        // longer than needed
        {{0xC0, 0x00, 0x05}, 5},  // longer than needed
        {{0xC0, 0x40, 0x00}, 16384},
    };
    for (const Case& c : cases) {
        // Place the number at every offset around a block boundary, the next
        // block of the chain being block 2 (block 1 holds garbage).
        for (std::size_t at = kB - 4; at <= kB; ++at) {
            Postings postings(3 * kB, {2, 0xFFFFFFFF, 0xFFFFFFFF});
            std::fill(postings.bytes.begin() + kB, postings.bytes.begin() + 2 * kB, 0xEE);
            for (std::size_t i = 0; i < c.bytes.size(); ++i) {
                const std::size_t pos = at + i;
                postings.bytes.at(pos < kB ? pos : 2 * kB + (pos - kB)) = c.bytes[i];
            }
            PostingsCursor cursor;
            cursor.Open(postings.view, 0);
            cursor.SkipRestOfEntry(static_cast<std::uint32_t>(at));
            EXPECT_EQ(cursor.ReadPacked(), c.value) << "at " << at;
            EXPECT_FALSE(cursor.Damaged());
        }
    }
}

TEST(PostingsCursorTest, EntryHeaderStartingAtLastByteOfBlock) {
    Postings postings(3 * kB, {2, 0xFFFFFFFF, 0xFFFFFFFF});
    postings.Put(kB - 1, {0x81});              // page delta, first byte
    postings.Put(2 * kB, {0x02, 0x03, 0x01});  // its second byte, then length 259
    PostingsCursor cursor;
    cursor.Open(postings.view, 0);
    cursor.SkipRestOfEntry(kB - 1);
    std::uint32_t delta = 0;
    std::uint32_t length = 0;
    cursor.ReadEntryHeader(delta, length);
    EXPECT_EQ(delta, 0x102u);
    EXPECT_EQ(length, 259u);
    EXPECT_EQ(cursor.Block(), 2u);
    EXPECT_EQ(cursor.Offset(), 3u);
}

TEST(PostingsCursorTest, RestsAtEndOfBlockUntilNextRead) {
    Postings postings(2 * kB, {1, 0xFFFFFFFF});
    postings.Put(kB - 1, {0x11});
    postings.Put(kB, {0x22});
    PostingsCursor cursor;
    cursor.Open(postings.view, 0);
    cursor.SkipRestOfEntry(kB - 1);
    EXPECT_EQ(cursor.ReadByte(), 0x11);
    EXPECT_EQ(cursor.Block(), 0u);
    EXPECT_EQ(cursor.Offset(), kB);
    EXPECT_EQ(cursor.ReadByte(), 0x22);
    EXPECT_EQ(cursor.Block(), 1u);
    EXPECT_EQ(cursor.Offset(), 1u);
}

TEST(PostingsCursorTest, SkipAcrossSeveralBlocksFollowsTheChain) {
    // Chain 3 -> 0 -> 2; skip from offset 10 of block 3 by two blocks' worth.
    Postings postings(4 * kB, {2, 0xFFFFFFFF, 0xFFFFFFFF, 0});
    postings.Put(2 * kB + 10, {0x5A});
    PostingsCursor cursor;
    cursor.Open(postings.view, 3);
    cursor.SkipRestOfEntry(10);
    cursor.SkipRestOfEntry(2 * kB);
    EXPECT_EQ(cursor.Block(), 2u);
    EXPECT_EQ(cursor.Offset(), 10u);
    EXPECT_EQ(cursor.ReadByte(), 0x5A);
    // A skip ending exactly at the end of a block stays there.
    cursor.SkipRestOfEntry(kB - 11);
    EXPECT_EQ(cursor.Offset(), kB);
    EXPECT_FALSE(cursor.Damaged());
}

TEST(PostingsCursorTest, PositionsCountDownTheEntryLength) {
    Postings postings(kB, {});
    postings.Put(0, {0x05, 0x81, 0x00, 0xC0, 0x00, 0x01});
    PostingsCursor cursor;
    cursor.Open(postings.view, 0);
    std::int32_t remaining = 6;
    EXPECT_EQ(cursor.ReadPosition(remaining), 5u);
    EXPECT_EQ(remaining, 5);
    EXPECT_EQ(cursor.ReadPosition(remaining), 256u);
    EXPECT_EQ(remaining, 3);
    EXPECT_EQ(cursor.ReadPosition(remaining), 1u);
    EXPECT_EQ(remaining, 0);
    EXPECT_FALSE(cursor.Damaged());
}

TEST(PostingsCursorTest, CountRestOfEntry) {
    struct Case {
        const char* name;
        std::size_t at;  // offset of the entry's positions in block 0
        std::vector<std::uint8_t> bytes;
        std::int32_t length;
        std::uint32_t count;
        bool damaged;
    };
    const std::vector<std::uint8_t> ones(20, 0x01);
    std::vector<std::uint8_t> mixed = ones;
    mixed.insert(mixed.begin() + 9, {0x80, 0x01, 0xC0, 0x00, 0x01});
    std::vector<std::uint8_t> pastEnd(8, 0x01);
    pastEnd.push_back(0x81);
    const std::vector<Case> cases = {
        {"one-byte numbers", 0, ones, 20, 20, false},
        {"mixed forms", 0, mixed, 25, 22, false},
        {"crossing into the next block", kB - 6, mixed, 25, 22, false},
        {"one number", 0, {0x05}, 1, 1, false},
        {"last number runs past the entry", 0, pastEnd, 9, 9, true},
        {"runs past the entry across blocks", kB - 4, pastEnd, 9, 9, true},
    };
    for (const Case& c : cases) {
        Postings postings(2 * kB, {1, 0xFFFFFFFF});
        std::fill(postings.bytes.begin(), postings.bytes.end(), 0x7F);
        postings.Put(c.at, c.bytes);
        PostingsCursor cursor;
        cursor.Open(postings.view, 0);
        cursor.SkipRestOfEntry(static_cast<std::uint32_t>(c.at));
        std::int32_t remaining = c.length;
        EXPECT_EQ(cursor.CountRestOfEntry(remaining), c.count) << c.name;
        EXPECT_EQ(cursor.Damaged(), c.damaged) << c.name;
        if (!c.damaged) {
            EXPECT_EQ(remaining, 0) << c.name;
            EXPECT_EQ(cursor.ReadByte(), 0x7F) << c.name;  // just past the entry
        }
    }
}

TEST(PostingsCursorTest, PositionRunningPastItsEntryIsDamage) {
    Postings postings(kB, {});
    postings.Put(0, {0x81, 0x00});
    PostingsCursor cursor;
    cursor.Open(postings.view, 0);
    std::int32_t remaining = 1;
    cursor.ReadPosition(remaining);
    EXPECT_TRUE(cursor.Damaged());
}

// Each case reads far more bytes than the stream has; the cursor must become
// damaged, keep returning zeros and never read outside the bytes.
TEST(PostingsCursorTest, DamagedChainsEndWithoutReadingOutside) {
    struct Case {
        const char* name;
        std::size_t size;
        std::vector<std::uint32_t> next;
        std::uint32_t first;
    };
    const std::vector<Case> cases = {
        {"first block beyond the file", 2 * kB, {1, 0xFFFFFFFF}, 2},
        {"next block beyond the file", 2 * kB, {7, 0xFFFFFFFF}, 0},
        {"next block 0xFFFFFFFF", 2 * kB, {0xFFFFFFFF, 0xFFFFFFFF}, 0},
        {"block without next-block entry", 3 * kB, {1}, 0},
        {"no next-block table at all", kB, {}, 0},
        {"chain that loops on itself", 2 * kB, {0, 0}, 0},
        {"chain that loops over two blocks", 2 * kB, {1, 0}, 0},
        {"truncated last block", kB + 100, {1, 0xFFFFFFFF}, 0},
    };
    for (const Case& c : cases) {
        Postings postings(c.size, c.next);
        std::fill(postings.bytes.begin(), postings.bytes.end(), 0x33);
        PostingsCursor cursor;
        cursor.Open(postings.view, c.first);
        std::uint32_t last = 0;
        for (int i = 0; i < 5 * static_cast<int>(kB); ++i) last = cursor.ReadByte();
        EXPECT_TRUE(cursor.Damaged()) << c.name;
        EXPECT_EQ(last, 0u) << c.name;
        std::uint32_t delta = 1;
        std::uint32_t length = 1;
        cursor.ReadEntryHeader(delta, length);
        cursor.SkipRestOfEntry(100000);
        EXPECT_EQ(delta, 0u) << c.name;
        EXPECT_EQ(length, 0u) << c.name;
    }
}

TEST(PostingsCursorTest, SkippingIntoDamageStops) {
    Postings postings(2 * kB, {0, 0});  // block 0 loops
    PostingsCursor cursor;
    cursor.Open(postings.view, 0);
    cursor.SkipRestOfEntry(0xFFFFFFFF);
    EXPECT_TRUE(cursor.Damaged());
}

}  // namespace
}  // namespace engine
