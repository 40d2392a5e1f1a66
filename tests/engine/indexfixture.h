// Writers of small corpus files for the engine tests and the search benchmark:
// index header and postings files laid out in any block order and with packed
// numbers in any length form, a minimal page store, and a temporary folder
// that removes itself.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace enginetest {

enum class PackedForm { Shortest, Longest, Mixed };
enum class BlockOrder { Sequential, Reversed, Shuffled };

// Appends value as a packed number of the given byte count (1 to 3; the
// value must fit that form).
void AppendPacked(std::string& out, std::uint32_t value, int bytes);

struct IndexFiles {
    std::string header;    // -idx.h
    std::string postings;  // -idx.m
};

class IndexWriter {
  public:
    explicit IndexWriter(PackedForm form = PackedForm::Shortest, std::uint32_t seed = 1);

    // Appends a page entry to code's stream: pages ascend per code, positions
    // are absolute, ascending and not empty.
    void AddEntry(int code, std::uint32_t page, const std::vector<std::uint32_t>& positions);
    // Appends raw bytes to code's stream and sets its last page.
    void AddRawStream(int code, const std::string& bytes, std::uint32_t lastPage);
    // Indexes the pages, record indexes firstRecord, firstRecord + 1, ...: each
    // indexed character takes the next position; a character of variant group
    // g also counts under the group's code.
    void AddPages(std::uint32_t firstRecord, const std::vector<std::u32string>& pages,
                  const std::vector<std::vector<std::uint32_t>>& groups = {});

    // Lays the streams over 4096-byte blocks. Without a next-block table the
    // header is exactly the five fixed tables (every stream must fit in one
    // block).
    IndexFiles Build(BlockOrder order, std::uint32_t seed = 1, bool nextTable = true) const;

    // The stream bytes of a code, as written so far.
    const std::string& Stream(int code) const;
    // Number of the block that holds byte 0 of code's stream in the last
    // Build, and the block holding the stream's k-th block of bytes.
    std::uint32_t BlockOf(int code, std::size_t k) const;

  private:
    struct CodeStream {
        std::string bytes;
        std::uint32_t lastPage = 0;
        bool any = false;
    };
    int FormBytes(std::uint32_t value);

    PackedForm m_form;
    std::uint32_t m_random;
    std::map<int, CodeStream> m_streams;
    mutable std::map<int, std::vector<std::uint32_t>> m_blocks;
};

// A folder under the system temp folder, removed with everything in it.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& Path() const { return m_path; }

  private:
    std::string m_path;
};

bool WriteFile(const std::string& path, const std::string& bytes);

// Writes <dir>/<baseName><suffix>-idx.h and -idx.m.
bool WriteIndex(const std::string& dir, const std::string& baseName, const std::string& suffix,
                const IndexFiles& files);

// Writes <dir>/<baseName>-fl.h and -fl.cnt holding the given pages, record i
// named "a\b\<names[i]>" (or "a\b\<i>.htm" when names is short).
bool WritePageStore(const std::string& dir, const std::string& baseName,
                    const std::vector<std::string>& pages, std::int32_t headerValue = 0,
                    const std::vector<std::string>& names = {});

}  // namespace enginetest

namespace enginetest {

// Writes a whole corpus for CIndex::Load into dir with base name "Index":
// the whole-text index of the pages (record indexes from 0, the given layout),
// a page store with one small page per text page, and yitizi.txt listing the
// groups when there are any.
bool WriteCorpus(const std::string& dir, const std::vector<std::u32string>& pages,
                 const std::vector<std::vector<std::uint32_t>>& groups = {},
                 PackedForm form = PackedForm::Shortest, BlockOrder order = BlockOrder::Sequential,
                 std::uint32_t seed = 1);

}  // namespace enginetest
