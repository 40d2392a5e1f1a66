// Runs every committed seed and regression input of every fuzz target
// through the target's function, so that each build (and the sanitizer
// build) replays what the fuzzers found. A target that crashes, trips a
// sanitizer or breaks one of its invariants fails here as it did there.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/fuzz/fuzztargets.h"

namespace {

namespace fs = std::filesystem;

const fs::path kFuzzDir = ORVALE_FUZZ_SOURCE_DIR;

std::vector<fs::path> InputsOf(const fs::path& folder) {
    std::vector<fs::path> inputs;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        if (entry.is_regular_file()) inputs.push_back(entry.path());
    }
    std::sort(inputs.begin(), inputs.end());
    return inputs;
}

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class FuzzReplay : public ::testing::TestWithParam<fuzz::Target> {};

TEST_P(FuzzReplay, EverySeedAndRegressionInputRuns) {
    const fuzz::Target& target = GetParam();
    const std::vector<fs::path> seeds = InputsOf(kFuzzDir / "seeds" / target.name);
    EXPECT_FALSE(seeds.empty()) << "no seed for " << target.name;
    std::vector<fs::path> inputs = seeds;
    const std::vector<fs::path> regressions = InputsOf(kFuzzDir / "regressions" / target.name);
    inputs.insert(inputs.end(), regressions.begin(), regressions.end());
    for (const fs::path& input : inputs) {
        SCOPED_TRACE(input.filename().string());
        const std::string bytes = ReadAll(input);
        EXPECT_EQ(target.run(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()), 0);
    }
}

TEST_P(FuzzReplay, EmptyAndTinyInputsRun) {
    const fuzz::Target& target = GetParam();
    const std::uint8_t bytes[] = {0xFF, 0x00, 0x80, 0x7F};
    for (std::size_t size = 0; size <= sizeof bytes; ++size) {
        EXPECT_EQ(target.run(bytes, size), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzReplay,
                         ::testing::ValuesIn(fuzz::Targets().begin(), fuzz::Targets().end()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
