// Test helpers: catalogue files made in memory and in a temporary folder.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "panel/cataloguerecord.h"

namespace panel::testing {

struct Entry {
    std::string name;
    std::int32_t level;
    std::int32_t docID;
    std::int32_t docNo;
    std::uint16_t curFileName;
};

inline std::string CatalogueBytes(const std::vector<Entry>& entries) {
    std::string bytes;
    for (const Entry& e : entries) {
        const CatalogueRecord record =
            CatalogueRecord::Make(e.name, e.level, e.docID, e.docNo, e.curFileName);
        bytes.append(reinterpret_cast<const char*>(record.bytes.data()), record.bytes.size());
    }
    return bytes;
}

// A fresh folder under the system temporary folder, removed with the object.
class TempDir {
  public:
    TempDir() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "orvale-panel-XXXXXX").string();
        if (::mkdtemp(pattern.data())) m_path = pattern;
    }
    ~TempDir() {
        std::error_code ignored;
        if (!m_path.empty()) std::filesystem::remove_all(m_path, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return m_path; }
    std::string File(std::string_view name) const { return m_path + "/" + std::string(name); }
    void Write(std::string_view name, std::string_view bytes) const {
        std::ofstream out(File(name), std::ios::binary);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    std::string Read(std::string_view name) const {
        std::ifstream in(File(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

  private:
    std::string m_path;
};

}  // namespace panel::testing
