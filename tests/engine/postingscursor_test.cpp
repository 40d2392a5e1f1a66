#include "engine/postingscursor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>
#include <vector>

#include "engine/entrytable.h"

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

// An entry table lists every entry of a stream, also one that crosses into
// the next block, with its positions' place, count and residues, and stops
// at the first damaged entry.
TEST(EntryTableTest, ListsEntriesAndStopsAtDamage) {
    // Entry at page 3: 4,095 positions one apart (one-byte numbers), crossing
    // into block 1. Entry at page 5: positions 2, 66 (a two-byte number) and
    // 65,602 (a three-byte one), all 2 modulo 64.
    std::vector<std::uint8_t> stream = {0x03, 0xFF, 0x0F};
    stream.insert(stream.end(), 4095, 0x01);
    stream.insert(stream.end(), {0x02, 0x06, 0x00, 0x02, 0x80, 0x40, 0xC1, 0x00, 0x00});
    Postings postings(2 * kB, {1, 0xFFFFFFFF});
    postings.Put(0, stream);
    EntryTable table;
    BuildEntryTable(postings.view, 0, 5, table);
    EXPECT_FALSE(table.damaged);
    ASSERT_EQ(std::vector<std::uint32_t>(table.pages.begin(), table.pages.end()),
              (std::vector<std::uint32_t>{3, 5}));
    ASSERT_EQ(table.pages.data(), table.ownPages.data());
    EXPECT_EQ(table.places[0].location, 3u);
    EXPECT_EQ(table.places[0].length, 4095u);
    EXPECT_EQ(table.places[0].count, 4095u);
    EXPECT_EQ(table.places[0].residues, ~std::uint64_t{0});
    EXPECT_EQ(table.places[1].location, kB + 5);  // past 3 + 4,095 + 3 bytes
    EXPECT_EQ(table.places[1].length, 6u);
    EXPECT_EQ(table.places[1].count, 3u);
    EXPECT_EQ(table.places[1].residues, std::uint64_t{1} << 2);

    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
        std::uint32_t lastPage;
        std::vector<std::uint32_t> pages;
    };
    const std::vector<Case> cases = {
        {"last number runs past its entry", {0x01, 0x02, 0x00, 0x01, 0x81, 0x00}, 1, {}},
        {"three-byte number runs past its entry",
         {0x01, 0x02, 0x00, 0x01, 0xC1, 0x00, 0x00},
         1,
         {}},
        {"good entry, then a bad one",
         {0x01, 0x01, 0x00, 0x05, 0x01, 0x02, 0x00, 0x01, 0x81, 0x00},
         2,
         {1}},
        {"entry without positions", {0x01, 0x00, 0x00}, 1, {}},
        {"page beyond the last page", {0x04, 0x01, 0x00, 0x05}, 3, {}},
        {"pages not ascending", {0x01, 0x01, 0x00, 0x05, 0x00, 0x01, 0x00, 0x05}, 2, {1}},
    };
    for (const Case& c : cases) {
        Postings damaged(kB, {0xFFFFFFFF});
        damaged.Put(0, c.bytes);
        EntryTable t;
        BuildEntryTable(damaged.view, 0, c.lastPage, t);
        EXPECT_TRUE(t.damaged) << c.name;
        EXPECT_EQ(std::vector<std::uint32_t>(t.pages.begin(), t.pages.end()), c.pages) << c.name;
    }
}

// A table limited to some pages holds exactly the whole table's entries on
// those pages, and a break in the stream's framing ends it as it ends the
// whole one. A number running past a skipped entry is not seen: the matcher
// never reads that entry.
TEST(EntryTableTest, PartialTableIsTheWholeOneOnTheWantedPages) {
    // Pages 1, 2, 4, 7 (the last), with 1, 2, 1 and 3 positions.
    const std::vector<std::uint8_t> stream = {0x01, 0x01, 0x00, 0x05, 0x01, 0x02, 0x00,
                                              0x03, 0x40, 0x02, 0x01, 0x00, 0x3F, 0x03,
                                              0x04, 0x00, 0x01, 0x80, 0x40, 0x02};
    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
        std::uint32_t lastPage;
        std::vector<std::uint32_t> wanted;
        std::vector<std::uint32_t> pages;
        bool damaged;
    };
    const std::vector<Case> cases = {
        {"some pages", stream, 7, {2, 7}, {2, 7}, false},
        {"pages the code is not on", stream, 7, {0, 3, 4, 9}, {4}, false},
        {"every page", stream, 7, {1, 2, 4, 7}, {1, 2, 4, 7}, false},
        {"none", stream, 7, {}, {}, false},
        {"the stream ends early", {0x01, 0x01, 0x00, 0x05}, 3, {1, 3}, {1}, true},
        {"pages not ascending after a wanted one",
         {0x01, 0x01, 0x00, 0x05, 0x00, 0x01, 0x00, 0x05},
         2,
         {1, 2},
         {1},
         true},
        {"a number runs past a skipped entry",
         {0x01, 0x01, 0x00, 0x81, 0x01, 0x01, 0x00, 0x05},
         2,
         {2},
         {2},
         false},
    };
    for (const Case& c : cases) {
        Postings postings(kB, {0xFFFFFFFF});
        postings.Put(0, c.bytes);
        EntryTable whole;
        BuildEntryTable(postings.view, 0, c.lastPage, whole);
        EntryTable partial;
        partial.ownPages = {99};  // reused arrays start afresh
        BuildPartialEntryTable(postings.view, 0, c.lastPage, c.wanted, partial);
        EXPECT_EQ(std::vector<std::uint32_t>(partial.pages.begin(), partial.pages.end()), c.pages)
            << c.name;
        EXPECT_EQ(partial.damaged, c.damaged) << c.name;
        EXPECT_TRUE(partial.bits.empty()) << c.name;
        for (std::size_t k = 0; k < partial.pages.size(); ++k) {
            const auto at = std::find(whole.pages.begin(), whole.pages.end(), partial.pages[k]);
            if (at == whole.pages.end()) continue;  // beyond the whole table's damage
            const EntryPlace& a = whole.places[static_cast<std::size_t>(at - whole.pages.begin())];
            const EntryPlace& b = partial.places[k];
            EXPECT_EQ(std::tie(a.location, a.length, a.count, a.residues),
                      std::tie(b.location, b.length, b.count, b.residues))
                << c.name << " page " << partial.pages[k];
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
