#include "tests/tools/corpusfiles.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>

namespace toolstest {
namespace {

std::uint32_t U32(const std::string& bytes, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<std::uint8_t>(bytes[at + i]);
    return v;
}

std::uint16_t U16(const std::string& bytes, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<std::uint8_t>(bytes[at]) |
                                      (static_cast<std::uint8_t>(bytes[at + 1]) << 8));
}

// A cursor over one code's chain, following the reading rules: the move to
// the next block happens before a read at offset 4,096.
class ChainReader {
  public:
    ChainReader(const IndexFiles& index, const std::string& postings, std::uint32_t first)
        : m_index(index), m_postings(postings), m_block(first) {
        m_ok = Enter(first);
    }
    bool Ok() const { return m_ok; }
    std::uint8_t Byte() {
        if (!m_ok) return 0;
        if (m_offset == 4096) {
            const std::uint32_t next =
                m_block < m_index.nextBlock.size() ? m_index.nextBlock[m_block] : 0xFFFFFFFF;
            if (!Enter(next)) return 0;
            m_offset = 0;
        }
        return static_cast<std::uint8_t>(
            m_postings[static_cast<std::size_t>(m_block) * 4096 + m_offset++]);
    }
    std::uint32_t Packed(int* size = nullptr) {
        int unused = 0;
        int& bytes = size ? *size : unused;
        const std::uint8_t b0 = Byte();
        if (b0 < 0x80) {
            bytes = 1;
            return b0;
        }
        if (b0 < 0xC0) {
            bytes = 2;
            return ((b0 & 0x3Fu) << 8) | Byte();
        }
        bytes = 3;
        const std::uint32_t b1 = Byte();
        return ((b0 & 0x3Fu) << 16) | (b1 << 8) | Byte();
    }

  private:
    bool Enter(std::uint32_t block) {
        if (static_cast<std::uint64_t>(block + 1ull) * 4096 > m_postings.size() ||
            !m_seen.insert(block).second) {
            ADD_FAILURE() << "chain leaves the postings file or loops at block " << block;
            m_ok = false;
            return false;
        }
        m_block = block;
        return true;
    }
    const IndexFiles& m_index;
    const std::string& m_postings;
    std::uint32_t m_block;
    std::uint32_t m_offset = 0;
    bool m_ok = true;
    std::set<std::uint32_t> m_seen;
};

}  // namespace

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

PageStore ReadPageStore(const std::filesystem::path& dir) {
    PageStore store;
    const std::string header = ReadFile(dir / "Index-fl.h");
    const std::string content = ReadFile(dir / "Index-fl.cnt");
    if (header.size() < 268) {
        ADD_FAILURE() << "page directory shorter than its header";
        return store;
    }
    store.headerValue = static_cast<std::int32_t>(U32(header, 0));
    store.nameWidth = static_cast<std::int32_t>(U32(header, 4));
    store.headerBlock = header.substr(8, 260);
    const std::size_t width = static_cast<std::size_t>(store.nameWidth);
    for (std::size_t at = 268; at + width + 8 <= header.size(); at += width + 8) {
        PageRecord record;
        record.name = header.substr(at, width);
        record.name.resize(record.name.find('\0') == std::string::npos ? width
                                                                       : record.name.find('\0'));
        record.endOffset = U32(header, at + width);
        record.length = U32(header, at + width + 4);
        if (record.endOffset > content.size() || record.length > record.endOffset) {
            ADD_FAILURE() << "record " << store.records.size() << " points outside the content";
        } else {
            record.page = content.substr(record.endOffset - record.length, record.length);
            for (char& c : record.page) c = static_cast<char>(c ^ 0xA7);
        }
        store.records.push_back(record);
    }
    EXPECT_EQ((header.size() - 268) % (width + 8), 0u) << "trailing bytes in the page directory";
    return store;
}

std::vector<CatalogueRecord> ReadCatalogue(const std::filesystem::path& dir) {
    const std::string bytes = ReadFile(dir / "kvt.dir");
    EXPECT_EQ(bytes.size() % 216, 0u);
    std::vector<CatalogueRecord> records;
    for (std::size_t at = 0; at + 216 <= bytes.size(); at += 216) {
        CatalogueRecord record;
        for (std::size_t i = 0; i < 100; ++i) {
            const char16_t unit = U16(bytes, at + 2 * i);
            if (unit == 0) break;
            record.name += unit;
        }
        record.level = static_cast<std::int32_t>(U32(bytes, at + 200));
        record.docID = static_cast<std::int32_t>(U32(bytes, at + 204));
        record.docNo = static_cast<std::int32_t>(U32(bytes, at + 208));
        record.curFileName = U16(bytes, at + 212);
        records.push_back(record);
    }
    return records;
}

IndexFiles ReadIndex(const std::filesystem::path& dir, const std::string& stem) {
    IndexFiles index;
    const std::string header = ReadFile(dir / (stem + "-idx.h"));
    const std::string postings = ReadFile(dir / (stem + "-idx.m"));
    index.postingsSize = postings.size();
    if (header.size() < 1400000) {
        ADD_FAILURE() << stem << "-idx.h is shorter than its tables";
        return index;
    }
    for (std::size_t code = 0; code < 100000; ++code) {
        index.firstBlock.push_back(U32(header, 4 * code));
        index.blockCounts.push_back(U16(header, 400000 + 2 * code));
        index.pageCounts.push_back(U32(header, 600000 + 4 * code));
        index.lastPage.push_back(U32(header, 1000000 + 4 * code));
    }
    for (std::size_t at = 1400000; at + 4 <= header.size(); at += 4) {
        index.nextBlock.push_back(U32(header, at));
    }
    for (std::uint32_t code = 0; code < 100000; ++code) {
        if (index.firstBlock[code] == 0xFFFFFFFF) continue;
        ChainReader reader(index, postings, index.firstBlock[code]);
        std::vector<PageEntry>& entries = index.postings[code];
        std::uint32_t record = 0;
        while (reader.Ok()) {
            record += reader.Packed();
            const std::uint32_t length = reader.Byte() + 256u * reader.Byte();
            PageEntry entry{record, {}};
            std::uint32_t position = 0;
            for (std::uint32_t used = 0; used < length && reader.Ok();) {
                int size = 0;
                position += reader.Packed(&size);
                used += static_cast<std::uint32_t>(size);
                entry.positions.push_back(position);
            }
            entries.push_back(entry);
            if (record >= index.lastPage[code]) break;
        }
        EXPECT_EQ(entries.back().record, index.lastPage[code]) << stem << " code " << code;
    }
    return index;
}

}  // namespace toolstest
