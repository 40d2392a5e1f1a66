#include "tests/engine/indexfixture.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <random>
#include <unordered_map>

#include "engine/indexcode.h"
#include "pages/filelist.h"

namespace enginetest {
namespace {

constexpr std::uint32_t kBlock = 4096;

void AppendU32(std::string& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

void PutU32(std::string& out, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

int ShortestBytes(std::uint32_t value) { return value < 0x80 ? 1 : (value < 0x4000 ? 2 : 3); }

}  // namespace

void AppendPacked(std::string& out, std::uint32_t value, int bytes) {
    if (bytes == 1) {
        out.push_back(static_cast<char>(value));
    } else if (bytes == 2) {
        out.push_back(static_cast<char>(0x80 | (value >> 8)));
        out.push_back(static_cast<char>(value & 0xFF));
    } else {
        out.push_back(static_cast<char>(0xC0 | (value >> 16)));
        out.push_back(static_cast<char>((value >> 8) & 0xFF));
        out.push_back(static_cast<char>(value & 0xFF));
    }
}

IndexWriter::IndexWriter(PackedForm form, std::uint32_t seed) : m_form(form), m_random(seed) {}

int IndexWriter::FormBytes(std::uint32_t value) {
    const int shortest = ShortestBytes(value);
    if (m_form == PackedForm::Shortest) return shortest;
    if (m_form == PackedForm::Longest) return 3;
    m_random = m_random * 1103515245u + 12345u;
    return shortest + static_cast<int>((m_random >> 16) % static_cast<std::uint32_t>(4 - shortest));
}

void IndexWriter::AddEntry(int code, std::uint32_t page,
                           const std::vector<std::uint32_t>& positions) {
    CodeStream& stream = m_streams[code];
    const std::uint32_t delta = stream.any ? page - stream.lastPage : page;
    std::string body;
    std::uint32_t previous = 0;
    for (std::size_t i = 0; i < positions.size(); ++i) {
        const std::uint32_t value = i == 0 ? positions[0] : positions[i] - previous;
        AppendPacked(body, value, FormBytes(value));
        previous = positions[i];
    }
    AppendPacked(stream.bytes, delta, FormBytes(delta));
    stream.bytes.push_back(static_cast<char>(body.size() & 0xFF));
    stream.bytes.push_back(static_cast<char>((body.size() >> 8) & 0xFF));
    stream.bytes += body;
    stream.lastPage = page;
    stream.any = true;
}

void IndexWriter::AddRawStream(int code, const std::string& bytes, std::uint32_t lastPage) {
    CodeStream& stream = m_streams[code];
    stream.bytes += bytes;
    stream.lastPage = lastPage;
    stream.any = true;
}

void IndexWriter::AddPages(std::uint32_t firstRecord, const std::vector<std::u32string>& pages,
                           const std::vector<std::vector<std::uint32_t>>& groups) {
    std::unordered_map<std::uint32_t, std::vector<int>> groupCodes;
    for (std::size_t g = 0; g < groups.size(); ++g) {
        const int code = engine::kVariantCodeBase + static_cast<int>(g);
        if (code >= engine::kCodeCount) break;
        for (std::uint32_t member : groups[g]) {
            std::vector<int>& codes = groupCodes[member];
            if (std::find(codes.begin(), codes.end(), code) == codes.end()) codes.push_back(code);
        }
    }
    std::map<int, std::vector<std::uint32_t>> positions;
    for (std::size_t i = 0; i < pages.size(); ++i) {
        positions.clear();
        std::uint32_t position = 0;
        for (char32_t cp : pages[i]) {
            const int code = engine::IndexCodeOf(cp);
            if (code < 0) continue;
            positions[code].push_back(position);
            const auto it = groupCodes.find(cp);
            if (it != groupCodes.end()) {
                for (int groupCode : it->second) positions[groupCode].push_back(position);
            }
            ++position;
        }
        for (const auto& [code, list] : positions) {
            AddEntry(code, firstRecord + static_cast<std::uint32_t>(i), list);
        }
    }
}

IndexFiles IndexWriter::Build(BlockOrder order, std::uint32_t seed, bool nextTable) const {
    struct Chunk {
        int code;
        std::size_t index;
    };
    std::vector<Chunk> chunks;
    for (const auto& [code, stream] : m_streams) {
        const std::size_t count =
            std::max<std::size_t>(1, (stream.bytes.size() + kBlock - 1) / kBlock);
        for (std::size_t k = 0; k < count; ++k) chunks.push_back({code, k});
    }
    std::vector<std::uint32_t> blockOf(chunks.size());
    std::iota(blockOf.begin(), blockOf.end(), 0u);
    if (order == BlockOrder::Reversed) {
        std::reverse(blockOf.begin(), blockOf.end());
    } else if (order == BlockOrder::Shuffled) {
        std::mt19937 random(seed);
        std::shuffle(blockOf.begin(), blockOf.end(), random);
    }

    IndexFiles files;
    files.postings.assign(chunks.size() * kBlock, '\0');
    std::string a(400000, '\xFF');
    std::string b(200000, '\0');
    std::string c(400000, '\0');
    std::string d(400000, '\0');
    std::vector<std::uint32_t> next(chunks.size(), 0xFFFFFFFFu);
    m_blocks.clear();
    for (std::size_t i = 0; i < chunks.size(); ++i) {
        const CodeStream& stream = m_streams.at(chunks[i].code);
        const std::uint32_t block = blockOf[i];
        const std::size_t from = chunks[i].index * kBlock;
        const std::size_t length = std::min<std::size_t>(kBlock, stream.bytes.size() - from);
        std::copy_n(stream.bytes.data() + from, length, files.postings.data() + block * kBlock);
        m_blocks[chunks[i].code].push_back(block);
        if (chunks[i].index == 0) {
            PutU32(a, static_cast<std::size_t>(chunks[i].code) * 4, block);
            PutU32(d, static_cast<std::size_t>(chunks[i].code) * 4, stream.lastPage);
        } else {
            next[blockOf[i - 1]] = block;
        }
    }
    files.header = a + b + c + d;
    if (nextTable) {
        for (std::uint32_t value : next) AppendU32(files.header, value);
    }
    return files;
}

const std::string& IndexWriter::Stream(int code) const { return m_streams.at(code).bytes; }

std::uint32_t IndexWriter::BlockOf(int code, std::size_t k) const {
    return m_blocks.at(code).at(k);
}

TempDir::TempDir() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "orvale-engine-XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) m_path = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    if (!m_path.empty()) std::filesystem::remove_all(m_path, ignored);
}

bool WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

bool WriteIndex(const std::string& dir, const std::string& baseName, const std::string& suffix,
                const IndexFiles& files) {
    const std::string stem = dir + "/" + baseName + suffix;
    return WriteFile(stem + "-idx.h", files.header) && WriteFile(stem + "-idx.m", files.postings);
}

bool WritePageStore(const std::string& dir, const std::string& baseName,
                    const std::vector<std::string>& pages, std::int32_t headerValue,
                    const std::vector<std::string>& names) {
    constexpr std::uint32_t kWidth = 32;
    std::string header;
    AppendU32(header, static_cast<std::uint32_t>(headerValue));
    AppendU32(header, kWidth);
    header.append(pages::kHeaderBlockSize, '\0');
    std::string content;
    for (std::size_t i = 0; i < pages.size(); ++i) {
        std::string name = "a\\b\\" + (i < names.size() ? names[i] : std::to_string(i) + ".htm");
        name.resize(kWidth, '\0');
        header += name;
        for (char ch : pages[i]) content.push_back(static_cast<char>(ch ^ pages::kScrambleKey));
        AppendU32(header, static_cast<std::uint32_t>(content.size()));
        AppendU32(header, static_cast<std::uint32_t>(pages[i].size()));
    }
    return WriteFile(dir + "/" + baseName + "-fl.h", header) &&
           WriteFile(dir + "/" + baseName + "-fl.cnt", content);
}

}  // namespace enginetest

namespace enginetest {

bool WriteCorpus(const std::string& dir, const std::vector<std::u32string>& pages,
                 const std::vector<std::vector<std::uint32_t>>& groups, PackedForm form,
                 BlockOrder order, std::uint32_t seed) {
    IndexWriter writer(form, seed);
    writer.AddPages(0, pages, groups);
    std::vector<std::string> stored;
    for (std::size_t i = 0; i < pages.size(); ++i) stored.push_back("<p>" + std::to_string(i));
    std::string table;
    for (const auto& group : groups) {
        for (std::size_t k = 0; k < group.size(); ++k) {
            char field[16];
            std::snprintf(field, sizeof field, k == 0 ? "%X" : ",%X", group[k]);
            table += field;
        }
        table += "\n";
    }
    return WriteIndex(dir, "Index", "", writer.Build(order, seed)) &&
           WritePageStore(dir, "Index", stored, static_cast<std::int32_t>(pages.size())) &&
           (groups.empty() || WriteFile(dir + "/yitizi.txt", table));
}

}  // namespace enginetest
