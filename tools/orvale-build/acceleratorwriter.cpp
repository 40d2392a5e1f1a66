#include "tools/orvale-build/acceleratorwriter.h"

#include <stdio.h>
#include <sys/mman.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "engine/accelerator.h"
#include "engine/index.h"
#include "tools/orvale-build/builderror.h"
#include "tools/orvale-build/filewriter.h"
#include "tools/orvale-build/outputfolder.h"
#include "tools/orvale-build/pairlists.h"

namespace build {
namespace {

namespace fs = std::filesystem;

constexpr std::array<int, 3> kScopes = {engine::Full, engine::Content, engine::Desc};
constexpr std::array<const char*, 3> kStems = {"Index", "Index_content", "Index_desc"};

struct Candidate {
    std::uint32_t firstBlock = 0;
    std::uint32_t lastPage = 0;
    std::uint64_t streamBytes = 0;  // what a build decodes
    std::uint64_t sectionBytes = 0;
    std::vector<std::uint32_t> codes;  // sharing the stream
};

std::uint64_t CorpusBytes(const fs::path& folder) {
    std::uint64_t bytes = 0;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        const std::string name = entry.path().filename().string();
        if (OutputFolder::IsCorpusFile(name) &&
            name.find(engine::kAcceleratorSuffix) == std::string::npos)
            bytes += entry.file_size(ec);
    }
    return bytes;
}

// Ranking reads every stream once, and a corpus of many rare characters has
// a block per character: its whole postings file. The postings are a
// read-only file mapping (CIndex maps them), so the pages of the streams
// turned down are dropped from the resident set every so often, and all
// pages when a scope is done; they stay in the page cache. The streams that
// may get a table stay: the tables and the pair lists read them again.
class ReadPages {
  public:
    explicit ReadPages(const engine::PostingsView& view) : m_view(view) {}
    ~ReadPages() { Release(); }
    ReadPages(const ReadPages&) = delete;
    ReadPages& operator=(const ReadPages&) = delete;

    void Add(std::uint64_t bytes) {
        m_read += bytes;
        if (m_read >= kBetweenReleases) Release();
    }
    void Release() {
        if (m_view.bytes != nullptr && m_view.size != 0)
            ::madvise(const_cast<std::uint8_t*>(m_view.bytes), m_view.size, MADV_DONTNEED);
        m_read = 0;
    }

  private:
    static constexpr std::uint64_t kBetweenReleases = 32u << 20;
    engine::PostingsView m_view;
    std::uint64_t m_read = 0;
};

// The streams of the index worth a table, most costly first.
std::vector<Candidate> RankStreams(const engine::PostingsTables& tables,
                                   std::uint64_t leastStreamBytes, ReadPages& pages) {
    std::map<std::pair<std::uint32_t, std::uint32_t>, Candidate> streams;
    for (int code = 0; code < engine::kCodeCount; ++code) {
        const std::uint32_t first = tables.firstBlock[code];
        if (first == engine::kNoPostings) continue;
        Candidate& c = streams[{first, tables.lastPage[code]}];
        c.firstBlock = first;
        c.lastPage = tables.lastPage[code];
        c.codes.push_back(static_cast<std::uint32_t>(code));
    }
    std::vector<Candidate> ranked;
    for (auto& [key, c] : streams) {
        engine::EntryTable table;
        engine::BuildEntryTable(tables.view, c.firstBlock, c.lastPage, table);
        for (const engine::EntryPlace& place : table.places) c.streamBytes += place.length + 3;
        // A damaged stream is left to the reader, which reports the damage.
        if (table.damaged || table.pages.empty() || c.streamBytes < leastStreamBytes) {
            pages.Add(c.streamBytes + engine::kBlockSize);
            continue;
        }
        c.sectionBytes = engine::AcceleratorSectionBytes(table.pages.size(), table.bits.size()) +
                         c.codes.size() * sizeof(engine::AcceleratorEntry);
        ranked.push_back(std::move(c));
    }
    std::sort(ranked.begin(), ranked.end(), [](const Candidate& a, const Candidate& b) {
        return a.streamBytes != b.streamBytes ? a.streamBytes > b.streamBytes
                                              : a.firstBlock < b.firstBlock;
    });
    return ranked;
}

template <typename T>
void Append(std::vector<std::uint8_t>& out, std::span<const T> items) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(items.data());
    out.insert(out.end(), bytes, bytes + items.size_bytes());
    out.resize((out.size() + 7) / 8 * 8, 0);
}

}  // namespace

AcceleratorCounts WriteAccelerator(const engine::CIndex& index, const std::string& path,
                                   const AcceleratorLimits& limits) {
    const engine::PostingsTables tables = index.Tables();
    ReadPages pages(tables.view);
    const std::vector<Candidate> ranked = RankStreams(tables, limits.leastStreamBytes, pages);
    AcceleratorCounts counts;
    FileWriter out(path);
    engine::AcceleratorHeader header{};
    out.Write(&header, sizeof header);
    std::vector<engine::AcceleratorEntry> directory;
    std::vector<std::uint8_t> section;
    std::vector<PairStream> common;
    std::uint64_t used = 0;
    for (const Candidate& c : ranked) {
        if (used + c.sectionBytes > limits.budget) continue;
        used += c.sectionBytes;
        engine::EntryTable table;
        engine::BuildEntryTable(tables.view, c.firstBlock, c.lastPage, table);
        section.clear();
        Append(section, table.pages);
        Append(section, table.places);
        Append(section, table.bits);
        Append(section, table.ranks);
        const engine::AcceleratorEntry entry{0,
                                             static_cast<std::uint32_t>(table.pages.size()),
                                             static_cast<std::uint32_t>(table.bits.size()),
                                             0,
                                             out.Size(),
                                             engine::HashBytes(section.data(), section.size())};
        for (std::uint32_t code : c.codes) {
            directory.push_back(entry);
            directory.back().code = code;
        }
        out.Write(section.data(), section.size());
        if (!table.bits.empty()) {
            common.push_back({c.firstBlock, static_cast<std::uint32_t>(table.pages.size()),
                              c.lastPage, c.codes});
        }
    }
    std::vector<PairList> pairs =
        CollectPairs(tables.view, common, limits.narrowing, limits.pairBudget);
    std::vector<engine::AcceleratorPair> pairDirectory;
    for (const PairList& pair : pairs) {
        section.clear();
        Append(section, std::span<const std::uint32_t>(pair.pages));
        pairDirectory.push_back({pair.first, pair.second,
                                 static_cast<std::uint32_t>(pair.pages.size()), 0, out.Size(),
                                 engine::HashBytes(section.data(), section.size())});
        out.Write(section.data(), section.size());
    }
    std::sort(pairDirectory.begin(), pairDirectory.end(),
              [](const engine::AcceleratorPair& a, const engine::AcceleratorPair& b) {
                  return std::pair(a.first, a.second) < std::pair(b.first, b.second);
              });
    std::sort(directory.begin(), directory.end(),
              [](const engine::AcceleratorEntry& a, const engine::AcceleratorEntry& b) {
                  return a.code < b.code;
              });
    const std::size_t directoryBytes = directory.size() * sizeof(engine::AcceleratorEntry);
    const std::size_t pairBytes = pairDirectory.size() * sizeof(engine::AcceleratorPair);
    std::memcpy(header.magic, engine::kAcceleratorMagic, sizeof header.magic);
    header.version = engine::kAcceleratorVersion;
    header.count = static_cast<std::uint32_t>(directory.size());
    header.directoryOffset = out.Size();
    header.pairCount = static_cast<std::uint32_t>(pairDirectory.size());
    header.pairDirectoryOffset = out.Size() + directoryBytes;
    header.pairDirectoryHash = engine::HashBytes(pairDirectory.data(), pairBytes);
    header.fileSize = header.pairDirectoryOffset + pairBytes;
    header.identity = index.Identity();
    header.directoryHash = engine::HashBytes(directory.data(), directoryBytes);
    header.headerHash = engine::HashBytes(&header, offsetof(engine::AcceleratorHeader, headerHash));
    out.Write(directory.data(), directoryBytes);
    out.Write(pairDirectory.data(), pairBytes);
    out.WriteAt(0, &header, sizeof header);
    out.Close();
    counts.bytes = header.fileSize;
    counts.tables = header.count;
    counts.pairs = header.pairCount;
    return counts;
}

AcceleratorCounts WriteAccelerators(const std::string& folder) {
    std::array<std::unique_ptr<engine::CIndex>, 3> indexes;
    std::uint64_t postings = 0;
    for (std::size_t s = 0; s < kScopes.size(); ++s) {
        indexes[s] = std::make_unique<engine::CIndex>();
        if (!indexes[s]->Load(folder, "Index", kScopes[s])) {
            throw BuildError(kExitBadInput, folder + " is not a corpus folder (" + kStems[s] +
                                                "-idx.h/.m or the page store do not open); "
                                                "nothing was written");
        }
        postings += indexes[s]->Tables().view.size;
    }
    const double folderBytes = static_cast<double>(CorpusBytes(folder));
    AcceleratorCounts total;
    for (std::size_t s = 0; s < kScopes.size(); ++s) {
        const double share = static_cast<double>(indexes[s]->Tables().view.size) /
                             static_cast<double>(std::max<std::uint64_t>(postings, 1));
        AcceleratorLimits limits;
        limits.budget = static_cast<std::uint64_t>(kAcceleratorShare * folderBytes * share);
        limits.pairBudget = static_cast<std::uint64_t>(kPairShare * folderBytes * share);
        const std::string path = folder + "/" + kStems[s] + engine::kAcceleratorSuffix;
        const std::string temp = path + ".tmp";
        AcceleratorCounts counts;
        try {
            counts = WriteAccelerator(*indexes[s], temp, limits);
        } catch (...) {
            ::remove(temp.c_str());
            throw;
        }
        if (::rename(temp.c_str(), path.c_str()) != 0) {
            const int error = errno;
            ::remove(temp.c_str());
            throw BuildError(kExitIoFailure, "cannot write " + path + ": " + std::strerror(error));
        }
        total.bytes += counts.bytes;
        total.tables += counts.tables;
        total.pairs += counts.pairs;
    }
    return total;
}

}  // namespace build
