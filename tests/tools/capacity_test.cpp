// The postings' capacity: a build that cannot fit stops as soon as that is
// certain, never refuses one that fits, and a forecast warns in the first
// hundredth of the source. The builder runs with a capacity of a few
// blocks, so small sources show what a full-size one would.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>

#include "tests/tools/program.h"
#include "tools/orvale-build/builderror.h"
#include "tools/orvale-build/capacityforecast.h"
#include "tools/orvale-build/corpusbuilder.h"

namespace toolstest {
namespace {

// One volume of `pages` pages, each holding `text`.
build::SourceVolume Volume(int number, int pages, const std::string& text) {
    build::SourceVolume volume;
    volume.category = "類";
    volume.title = "書";
    volume.volume = "巻" + std::to_string(number);
    for (int p = 0; p < pages; ++p) {
        build::SourcePage page;
        page.runs.push_back({false, text});
        volume.pages.push_back(page);
    }
    return volume;
}

struct Outcome {
    bool built = false;
    std::optional<int> refusedAtVolume;  // the volume AddVolume stopped at
    std::string message;
    std::uint64_t wholeBlocks = 0;  // blocks of the whole text's postings when built
};

Outcome Build(const std::string& variants, const std::string& text, int volumes,
              std::uint64_t capacity) {
    TempDir dir;
    Outcome outcome;
    build::CorpusBuilder builder(dir.Path().string(), variants, capacity);
    int v = 0;
    try {
        for (; v < volumes; ++v) builder.AddVolume(Volume(v, 1, text));
        builder.Finish();
        outcome.built = true;
        outcome.wholeBlocks = std::filesystem::file_size(dir / "Index-idx.m") / 4096;
    } catch (const build::BuildError& e) {
        if (v < volumes) outcome.refusedAtVolume = v;
        outcome.message = e.what();
    }
    return outcome;
}

constexpr const char* kVariants = "4E00,5F0C\n";  // 一 and 弌

// Own characters always count; a variant group counts once two of its
// members occur, and not while it can still read its one member's blocks.
// With the capacity set to exactly the blocks written the build succeeds;
// one block less and it stops inside the source, not at the end.
TEST(BuilderCapacity, StopsOnceCertainAndNeverRefusesWhatFits) {
    struct Case {
        const char* name;
        std::string variants;
        std::string text;
    };
    const std::vector<Case> cases = {
        {"two characters, no groups", "", Repeat("一", 1500) + Repeat("弌", 1500)},
        {"a group with both members", kVariants, Repeat("一", 1500) + Repeat("弌", 1500)},
        {"a group with one member", kVariants, Repeat("一", 3000)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Outcome unlimited = Build(c.variants, c.text, 6, build::kPostingsBlockCapacity);
        ASSERT_TRUE(unlimited.built) << unlimited.message;
        const Outcome exact = Build(c.variants, c.text, 6, unlimited.wholeBlocks);
        EXPECT_TRUE(exact.built) << exact.message;
        const Outcome short1 = Build(c.variants, c.text, 6, unlimited.wholeBlocks - 1);
        EXPECT_FALSE(short1.built);
        EXPECT_TRUE(short1.refusedAtVolume.has_value()) << short1.message;
        EXPECT_NE(short1.message.find("need at least " + std::to_string(unlimited.wholeBlocks) +
                                      " blocks"),
                  std::string::npos)
            << short1.message;
    }
    // The group's stream doubles the blocks, so it stops sooner.
    const std::string mixed = Repeat("一", 1500) + Repeat("弌", 1500);
    const Outcome plain = Build("", mixed, 40, 12);
    const Outcome grouped = Build(kVariants, mixed, 40, 12);
    ASSERT_TRUE(plain.refusedAtVolume && grouped.refusedAtVolume);
    EXPECT_LT(*grouped.refusedAtVolume, *plain.refusedAtVolume);
}

// A source of 100 volumes alike, each filling a few blocks of 一: after the
// first volume (a hundredth) the forecast is 1 + 100 × its spilled blocks.
TEST(BuilderCapacity, ForecastWarnsOnceFromTheFirstHundredth) {
    const build::SourceVolume volume = Volume(0, 4, Repeat("一", 4000));
    constexpr std::uint64_t kVolumeBytes = 1000;
    struct Case {
        std::uint64_t capacity;
        std::uint64_t sourceBytes;
        const char* warning;  // what the first warning says; empty: none
        int warnedAfter;      // volumes read when it came
    };
    const Case cases[] = {
        {200, 100 * kVolumeBytes, "more than the 200", 1},
        {310, 100 * kVolumeBytes, "of the 310 blocks", 1},
        // 301 is not within 10 % of 335; the second volume's forecast
        // (1 + 50 × 7 spilled blocks) is over it.
        {335, 100 * kVolumeBytes, "more than the 335", 2},
        {100000, 100 * kVolumeBytes, "", 0},
        // Before a hundredth is read nothing is forecast.
        {200, 300 * kVolumeBytes, "more than the 200", 3},
        // Read from a pipe: the size is not known.
        {200, 0, "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.capacity);
        SCOPED_TRACE(c.sourceBytes);
        TempDir dir;
        build::CorpusBuilder builder(dir.Path().string(), "", c.capacity);
        build::CapacityForecast forecast(c.sourceBytes);
        int warnings = 0;
        for (int v = 1; v <= 4; ++v) {
            builder.AddVolume(volume);
            const std::string warning = forecast.Check(builder, v * kVolumeBytes);
            if (warning.empty()) continue;
            ++warnings;
            EXPECT_EQ(v, c.warnedAfter);
            EXPECT_NE(warning.find(c.warning), std::string::npos) << warning;
            EXPECT_NE(warning.find("postings of Index-idx.m will"), std::string::npos) << warning;
        }
        EXPECT_EQ(warnings, *c.warning == '\0' ? 0 : 1);
    }
}

}  // namespace
}  // namespace toolstest
