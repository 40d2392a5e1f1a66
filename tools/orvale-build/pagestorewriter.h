// PageStoreWriter: writes the page store pair, <stem>-fl.h (the directory of
// fixed-width page records) and <stem>-fl.cnt (the page texts, each byte
// XOR pages::kScrambleKey, laid end to end in record order). Records are
// appended as pages arrive; the 268-byte header is written last, by Finish.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "tools/orvale-build/filewriter.h"
#include "tools/orvale-build/manifestwriter.h"

namespace build {

class PageStoreWriter {
  public:
    // Creates both files. Throws BuildError when they cannot be created.
    explicit PageStoreWriter(const std::string& stem);

    // Appends one page; returns its record index. Throws BuildError when the
    // name does not fit the record's name field (31 bytes and the NUL) or the
    // content file would reach 4 GiB (its offsets are 32-bit).
    std::uint32_t AddPage(std::string_view name, std::string_view page);

    std::uint32_t PageCount() const { return m_count; }
    std::uint64_t ContentBytes() const { return m_content.Size(); }

    // Writes the header, with the build stamp at engine::kStampOffset, and
    // closes both files. Throws BuildError on failure.
    void Finish(const BuildStamp& stamp);

  private:
    FileWriter m_header;
    FileWriter m_content;
    std::uint32_t m_count = 0;
    std::string m_scrambled;
};

}  // namespace build
