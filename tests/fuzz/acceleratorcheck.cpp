#include "tests/fuzz/acceleratorcheck.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/accelerator.h"
#include "engine/index.h"
#include "tests/fuzz/fuzzfolder.h"
#include "tests/fuzz/invariants.h"
#include "tools/orvale-build/acceleratorwriter.h"

namespace fuzz {
namespace {

constexpr const char16_t* kQueries[] = {u"一", u"一二", u"一*三", u"二?四", u"四三二一", u"一二三"};

struct Result {
    std::vector<std::uint32_t> pages;
    std::vector<std::uint32_t> counts;
    bool operator==(const Result&) const = default;
};

std::vector<Result> Search(engine::CIndex& index) {
    std::vector<Result> results;
    for (const char16_t* text : kQueries) {
        std::u16string query = text;
        index.SearchAnd(query, true, false);
        CheckHitList(index, true);
        results.push_back({index.GetHitPages(), index.GetHitCounts()});
    }
    return results;
}

// Copies of the file's records, read and written at any offset (a changed
// byte may leave them unaligned or outside the file).
template <typename T>
bool Get(const std::string& bytes, std::uint64_t offset, T& out) {
    if (offset > bytes.size() || sizeof(T) > bytes.size() - offset) return false;
    std::memcpy(&out, bytes.data() + offset, sizeof(T));
    return true;
}
template <typename T>
void Put(std::string& bytes, std::uint64_t offset, const T& value) {
    std::memcpy(bytes.data() + offset, &value, sizeof(T));
}

// Recomputes every checksum that can be found, so that a changed byte
// reaches the structural checks behind them.
void Seal(std::string& bytes) {
    engine::AcceleratorHeader header{};
    if (!Get(bytes, 0, header)) return;
    const auto rehash = [&bytes](std::uint64_t offset, std::uint64_t length, std::uint64_t& hash) {
        if (offset <= bytes.size() && length <= bytes.size() - offset)
            hash = engine::HashBytes(bytes.data() + offset, length);
    };
    for (std::uint32_t k = 0; k < header.count; ++k) {
        engine::AcceleratorEntry e{};
        const std::uint64_t at = header.directoryOffset + k * 32ull;
        if (!Get(bytes, at, e)) break;
        rehash(e.offset, engine::AcceleratorSectionBytes(e.pageCount, e.bitWords), e.hash);
        Put(bytes, at, e);
    }
    for (std::uint32_t k = 0; k < header.pairCount; ++k) {
        engine::AcceleratorPair p{};
        const std::uint64_t at = header.pairDirectoryOffset + k * 32ull;
        if (!Get(bytes, at, p)) break;
        rehash(p.offset, (p.pageCount * 4ull + 7) / 8 * 8, p.hash);
        Put(bytes, at, p);
    }
    rehash(header.directoryOffset, header.count * 32ull, header.directoryHash);
    rehash(header.pairDirectoryOffset, header.pairCount * 32ull, header.pairDirectoryHash);
    header.headerHash = engine::HashBytes(&header, offsetof(engine::AcceleratorHeader, headerHash));
    Put(bytes, 0, header);
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

void CheckAccelerator(const std::uint8_t* data, std::size_t size) {
    const std::string path = FuzzFolder() + "/Index-idx.acc";
    static engine::CIndex plain;
    static engine::CIndex accelerated;
    RemoveFuzzFile("Index-idx.acc");
    if (!plain.Load(FuzzFolder(), "Index", engine::Full)) return;
    const std::vector<Result> expected = Search(plain);
    build::WriteAccelerator(plain, path, {UINT64_MAX, 0, UINT64_MAX, 1});
    plain.Unload();
    Require(accelerated.Load(FuzzFolder(), "Index", engine::Full), "index with accelerator loads");
    Require(accelerated.AcceleratorStatus() == engine::AcceleratorState::Used,
            "a fresh accelerator is used");
    Require(Search(accelerated) == expected, "results with the accelerator are the same");

    std::string bytes = ReadAll(path);
    const std::uint64_t pick = engine::HashBytes(data, size);
    if (bytes.empty()) return;
    bytes[pick % bytes.size()] ^= static_cast<char>((pick >> 32) | 1);
    const bool sealed = ((pick >> 40) & 1) != 0;
    if (sealed) Seal(bytes);
    if (!WriteFuzzFile("Index-idx.acc", bytes)) return;
    Require(accelerated.Load(FuzzFolder(), "Index", engine::Full),
            "a changed accelerator does not stop the load");
    const std::vector<Result> changed = Search(accelerated);
    // Without fresh checksums the change is always caught.
    Require(sealed || changed == expected, "a changed accelerator changes no result");
    accelerated.Unload();
    RemoveFuzzFile("Index-idx.acc");
}

}  // namespace fuzz
