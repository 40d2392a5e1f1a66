// Fixtures of the reliability tests: a small valid corpus in a private
// folder that a test may then damage file by file, a guard that ends the
// process when a call hangs, and running orvale-cli on a folder.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tests/engine/indexfixture.h"

namespace reliability {

// A folder holding the small corpus of the fuzz targets (index, page store,
// yitizi.txt) plus a kvt.dir of one category, one title and two volumes.
class CorpusFolder {
  public:
    CorpusFolder();
    const std::string& Dir() const { return m_dir.Path(); }
    std::string PathOf(const std::string& name) const { return Dir() + "/" + name; }
    std::string Read(const std::string& name) const;
    void Write(const std::string& name, const std::string& bytes) const;
    void Remove(const std::string& name) const;
    // Cuts a file to size bytes.
    void Truncate(const std::string& name, std::uint64_t size) const;
    // Overwrites 4 bytes at offset with a little-endian value.
    void Patch32(const std::string& name, std::uint64_t offset, std::uint32_t value) const;
    // Puts a FIFO in the file's place.
    void MakeFifo(const std::string& name) const;
    // Writes the manifest orvale-build would write for the files as they are.
    void WriteManifest() const;

  private:
    enginetest::TempDir m_dir;
};

// Ends the process (a test failure ctest reports) when still alive after
// seconds: a hang must not pass as a slow test or stall the suite.
class HangGuard {
  public:
    explicit HangGuard(unsigned seconds);
    ~HangGuard();
    HangGuard(const HangGuard&) = delete;
    HangGuard& operator=(const HangGuard&) = delete;
};

struct CliResult {
    int status = -1;  // exit status; -1 when the program did not exit normally
    std::string out;
    std::string err;
};
// Runs orvale-cli --data dir args...
CliResult RunCli(const std::string& dir, const std::vector<std::string>& args);

// A catalogue record of kvt.dir (216 bytes).
std::string CatalogueRecordBytes(const std::u16string& name, std::int32_t level, std::int32_t docID,
                                 std::int32_t docNo, std::uint16_t firstPage);

}  // namespace reliability
