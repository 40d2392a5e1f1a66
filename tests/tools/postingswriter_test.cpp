// The postings writer's tails: a rare code's unspilled bytes sit in a chain
// of small chunks that go back at its first spill, to be taken by other
// codes, and a frequent code's in a flat block. These tests drive the chunks
// across their own boundaries and the block's, and check that what comes out
// is exactly what went in.
#include "tools/orvale-build/postingswriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "tests/tools/corpusfiles.h"
#include "tests/tools/program.h"
#include "tools/orvale-build/tailstore.h"

namespace toolstest {
namespace {

using build::Tail;
using build::TailStore;

// Piece sizes that land on the chunk boundaries (24, 80, then every 120) and on
// the block's end in different ways.
TEST(TailStore, KeepsEveryTailsBytesThroughChunkBoundariesAndReuse) {
    const std::vector<std::vector<std::size_t>> patterns = {
        {1},        {24},  {23, 2}, {25},   {56},      {80},
        {79, 1, 1}, {120}, {4096},  {5000}, {4095, 2}, {300, 7},
    };
    TailStore store;
    std::vector<Tail> tails(patterns.size());
    std::vector<std::string> expected(patterns.size());
    std::uint8_t next = 1;
    // Round robin, so that the tails' chunks interleave in the arena.
    for (int round = 0; round < 40; ++round) {
        for (std::size_t t = 0; t < patterns.size(); ++t) {
            const std::size_t size = patterns[t][round % patterns[t].size()];
            std::string piece(size, '\0');
            for (char& c : piece) c = static_cast<char>(next++);
            const std::size_t taken = store.Append(
                tails[t], reinterpret_cast<const std::uint8_t*>(piece.data()), piece.size());
            EXPECT_EQ(taken, std::min<std::size_t>(size, 4096 - expected[t].size()));
            expected[t] += piece.substr(0, taken);
        }
        // Every third round half the tails are spilled: their chunks go to
        // the others, which must not disturb anyone's bytes, and they go on
        // in a flat block.
        for (std::size_t t = 0; t < patterns.size(); ++t) {
            ASSERT_EQ(tails[t].used, expected[t].size());
            std::vector<std::uint8_t> scratch(4096);
            const std::uint8_t* bytes = store.Bytes(tails[t], scratch.data());
            ASSERT_EQ(std::string(reinterpret_cast<const char*>(bytes), tails[t].used), expected[t])
                << "tail " << t << " round " << round;
            if (round % 3 == 2 && t % 2 == static_cast<std::size_t>(round % 2)) {
                store.Restart(tails[t]);
                EXPECT_EQ(tails[t].used, 0u);
                expected[t].clear();
            }
        }
    }
}

// A page's entry for one code holds its positions on that page.
using Stream = std::vector<PageEntry>;

void AddEntry(std::map<std::uint32_t, Stream>& streams, std::uint32_t code, std::uint32_t record,
              std::uint32_t position) {
    Stream& stream = streams[code];
    if (stream.empty() || stream.back().record != record) stream.push_back({record, {}});
    stream.back().positions.push_back(position);
}

// Random pages mixing a hot code (spilling many blocks), middling ones,
// codes that occur once, and codes whose streams take exactly one block and
// one entry more; read back through the format reader.
TEST(PostingsWriter, StreamsRoundTripWhateverTheirSize) {
    TempDir dir;
    std::mt19937 random(14);
    std::map<std::uint32_t, Stream> streams;
    constexpr std::uint32_t kHot = 100, kExactBlock = 200, kBlockAndMore = 201;
    std::vector<std::uint32_t> onceOnPage(1100, 0);
    for (std::uint32_t code = 1000; code < 1300; ++code) onceOnPage[random() % 1100] = code;
    {
        build::PostingsWriter writer((dir / "Index").string());
        for (std::uint32_t record = 0; record < 1100; ++record) {
            std::vector<std::uint64_t> keys;
            auto add = [&](std::uint32_t code, std::uint32_t position) {
                keys.push_back(build::PostingKey(code, position));
            };
            // 1 + 2 + 1 bytes an entry: 1,024 entries fill a block exactly.
            if (record < 1024) add(kExactBlock, 7);
            if (record < 1025) add(kBlockAndMore, 7);
            for (int k = 0; k < 40; ++k) add(kHot, random() % 30000);
            for (std::uint32_t code = 300; code < 330; ++code) {
                if (random() % 3 == 0) add(code, 100 + random() % 200);
            }
            if (onceOnPage[record] != 0) add(onceOnPage[record], 20000);
            std::sort(keys.begin(), keys.end());
            keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
            for (const std::uint64_t key : keys) {
                AddEntry(streams, static_cast<std::uint32_t>(key >> 32), record,
                         static_cast<std::uint32_t>(key));
            }
            writer.AddPage(record, keys.data(), keys.size());
        }
        writer.Finish();
    }
    const IndexFiles index = ReadIndex(dir.Path(), "Index");
    EXPECT_EQ(index.postings, streams);
    EXPECT_EQ(index.blockCounts[kExactBlock], 1);
    EXPECT_EQ(index.blockCounts[kBlockAndMore], 2);
    EXPECT_GT(index.blockCounts[kHot], 20);
    // Each code's blocks follow one another, in code order.
    std::uint32_t block = 0;
    for (const auto& [code, stream] : streams) {
        ASSERT_EQ(index.firstBlock[code], block) << code;
        ASSERT_EQ(index.pageCounts[code], stream.size());
        ASSERT_EQ(index.lastPage[code], stream.back().record);
        block += index.blockCounts[code];
        for (std::uint32_t b = index.firstBlock[code]; b + 1 < block; ++b) {
            ASSERT_EQ(index.nextBlock[b], b + 1);
        }
        ASSERT_EQ(index.nextBlock[block - 1], 0xFFFFFFFFu);
    }
    EXPECT_EQ(index.postingsSize, std::uint64_t{block} * 4096);
}

}  // namespace
}  // namespace toolstest
