// MappedFile: a file opened read-only under a shared advisory lock
// (flock LOCK_SH) and, on request, mapped read-only in whole. Any number of
// readers may hold one file at once; a writer holding an exclusive lock makes
// Open fail instead of waiting. Closing releases the mapping, the lock and
// the descriptor. Files are opened with O_NONBLOCK, so a FIFO in a file's
// place cannot block, and refused unless they are regular files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/corpusfolder.h"

namespace engine {

class MappedFile {
  public:
    MappedFile() = default;
    ~MappedFile();
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    // Opens and locks the file. False when it is missing, unreadable or held
    // exclusively by another process.
    bool Open(const std::string& path);
    // The same for a file of an open corpus folder (see CorpusFolder).
    bool Open(const CorpusFolder& folder, std::string_view name);
    // Maps the whole open file. False for an empty file or a failed mapping.
    bool Map();
    // Reads exactly size bytes from offset into buffer. False on a short read.
    bool ReadAt(std::uint64_t offset, void* buffer, std::size_t size) const;
    void Close();

    bool IsOpen() const { return m_fd >= 0; }
    std::uint64_t Size() const { return m_size; }
    const std::uint8_t* Data() const { return m_data; }

  private:
    // Takes the shared lock on an open regular file of the given length.
    bool Lock(FileHandle file, std::uint64_t size);

    int m_fd = -1;
    std::uint64_t m_size = 0;
    const std::uint8_t* m_data = nullptr;
};

}  // namespace engine
