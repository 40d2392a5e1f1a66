#include "tests/pages/storefixture.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "pages/filelist.h"

namespace pages::testing {

std::string Le32(std::uint32_t value) {
    std::string out(4, '\0');
    for (int i = 0; i < 4; ++i) out[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    return out;
}

StoreFixture::StoreFixture() {
    std::string pattern = (std::filesystem::temp_directory_path() / "pages-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    m_dir = pattern;
}

StoreFixture::~StoreFixture() {
    std::error_code ignored;
    std::filesystem::remove_all(m_dir, ignored);
}

void StoreFixture::Write(const std::vector<PageRecord>& records, std::int32_t nameWidth,
                         std::int32_t headerValue, const std::string& base) const {
    std::string header = Le32(static_cast<std::uint32_t>(headerValue)) +
                         Le32(static_cast<std::uint32_t>(nameWidth)) +
                         std::string(kHeaderBlockSize, 'B');
    std::string content;
    for (const PageRecord& r : records) {
        std::string name = r.name;
        name.resize(static_cast<std::size_t>(nameWidth), '\0');
        for (char c : r.bytes) content.push_back(static_cast<char>(c ^ kScrambleKey));
        header += name + Le32(static_cast<std::uint32_t>(content.size())) +
                  Le32(static_cast<std::uint32_t>(r.bytes.size()));
    }
    WriteFile(base + "-fl.h", header);
    WriteFile(base + "-fl.cnt", content);
}

void StoreFixture::WriteFile(const std::string& name, const std::string& bytes) const {
    std::ofstream out(m_dir + "/" + name, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + name);
}

std::string StoreFixture::ReadFile(const std::string& name) const {
    std::ifstream in(m_dir + "/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void StoreFixture::Remove(const std::string& name) const {
    std::filesystem::remove(m_dir + "/" + name);
}

}  // namespace pages::testing
