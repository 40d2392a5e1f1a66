// Builds page-store pairs (<base>-fl.h and -fl.cnt) in a private temporary
// folder for the page-store tests; the folder is removed with the fixture.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pages::testing {

struct PageRecord {
    std::string name;   // record name, e.g. "a\\b\\0012.htm"
    std::string bytes;  // descrambled page
};

class StoreFixture {
  public:
    StoreFixture();
    ~StoreFixture();
    StoreFixture(const StoreFixture&) = delete;
    StoreFixture& operator=(const StoreFixture&) = delete;

    const std::string& Dir() const { return m_dir; }
    // Writes Index-fl.h and Index-fl.cnt with consecutive pages.
    void Write(const std::vector<PageRecord>& records, std::int32_t nameWidth = 100,
               std::int32_t headerValue = 0, const std::string& base = "Index") const;
    // Raw access for damaged stores.
    void WriteFile(const std::string& name, const std::string& bytes) const;
    std::string ReadFile(const std::string& name) const;
    void Remove(const std::string& name) const;

  private:
    std::string m_dir;
};

// Little-endian 32-bit value as 4 bytes.
std::string Le32(std::uint32_t value);

}  // namespace pages::testing
