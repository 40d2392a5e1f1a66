// MappedFile: a file opened read-only under a shared advisory lock
// (flock LOCK_SH) and, on request, mapped read-only in whole. Any number of
// readers may hold one file at once; a writer holding an exclusive lock makes
// Open fail instead of waiting. Closing releases the mapping, the lock and
// the descriptor.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

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
    // Maps the whole open file. False for an empty file or a failed mapping.
    bool Map();
    // Reads exactly size bytes from offset into buffer. False on a short read.
    bool ReadAt(std::uint64_t offset, void* buffer, std::size_t size) const;
    void Close();

    bool IsOpen() const { return m_fd >= 0; }
    std::uint64_t Size() const { return m_size; }
    const std::uint8_t* Data() const { return m_data; }

  private:
    int m_fd = -1;
    std::uint64_t m_size = 0;
    const std::uint8_t* m_data = nullptr;
};

}  // namespace engine
