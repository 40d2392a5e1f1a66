#include "tools/orvale-build/pagestorewriter.h"

#include <array>
#include <cstring>

#include "pages/filelist.h"
#include "tools/orvale-build/builderror.h"

namespace build {
namespace {

constexpr std::uint32_t kNameWidth = static_cast<std::uint32_t>(pages::kBuilderNameWidth);
constexpr std::uint32_t kRecordSize = kNameWidth + 8;
constexpr std::uint64_t kMaxContent = 0xFFFFFFFFull;
constexpr std::uint32_t kFormatVersion = 1;
constexpr char kMagic[16] = "ORVALE-PAGES";  // NUL-padded to 16 bytes

}  // namespace

PageStoreWriter::PageStoreWriter(const std::string& stem)
    : m_header(stem + "-fl.h"), m_content(stem + "-fl.cnt") {
    const std::array<std::uint8_t, pages::kRecordsOffset> placeholder{};
    m_header.Write(placeholder.data(), placeholder.size());
}

std::uint32_t PageStoreWriter::AddPage(std::string_view name, std::string_view page) {
    if (name.size() >= kNameWidth) {
        throw BuildError(kExitBadInput, "page record name \"" + std::string(name) +
                                            "\" does not fit the 32-byte name field");
    }
    const std::uint64_t end = m_content.Size() + page.size();
    if (end > kMaxContent) {
        throw BuildError(kExitBadInput,
                         "the page texts exceed 4 GiB, the limit of the page store's offsets");
    }
    m_scrambled.assign(page);
    for (char& c : m_scrambled)
        c = static_cast<char>(static_cast<std::uint8_t>(c) ^ pages::kScrambleKey);
    m_content.Write(m_scrambled);

    std::array<std::uint8_t, kRecordSize> record{};
    std::memcpy(record.data(), name.data(), name.size());
    PutU32(record.data() + kNameWidth, static_cast<std::uint32_t>(end));
    PutU32(record.data() + kNameWidth + 4, static_cast<std::uint32_t>(page.size()));
    m_header.Write(record.data(), record.size());
    return m_count++;
}

void PageStoreWriter::Finish(const BuildStamp& stamp) {
    std::array<std::uint8_t, pages::kRecordsOffset> header{};
    PutU32(header.data(), m_count);
    PutU32(header.data() + 4, kNameWidth);
    std::uint8_t* block = header.data() + 8;
    std::memcpy(block, kMagic, sizeof kMagic);
    PutU32(block + 16, kFormatVersion);
    PutU32(block + 20, m_count);
    const std::uint64_t contentSize = m_content.Size();
    PutU32(block + 24, static_cast<std::uint32_t>(contentSize));
    PutU32(block + 28, static_cast<std::uint32_t>(contentSize >> 32));
    block[32] = pages::kScrambleKey;
    std::memcpy(header.data() + engine::kStampOffset, stamp.data(), stamp.size());
    m_content.Close();
    m_header.WriteAt(0, header.data(), header.size());
    m_header.Close();
}

}  // namespace build
