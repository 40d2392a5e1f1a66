// FileWriter: an output file written through a large buffer, with every
// failure turned into a BuildError naming the file. Owns its descriptor.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace build {

class FileWriter {
  public:
    // Creates (or truncates) path for writing. Throws BuildError on failure.
    explicit FileWriter(std::string path, std::size_t bufferSize = 8u << 20);
    ~FileWriter();
    FileWriter(const FileWriter&) = delete;
    FileWriter& operator=(const FileWriter&) = delete;

    void Write(const void* data, std::size_t size);
    void Write(std::string_view bytes) { Write(bytes.data(), bytes.size()); }
    // Writes at an absolute offset, bypassing (and first flushing) the buffer.
    void WriteAt(std::uint64_t offset, const void* data, std::size_t size);
    // Bytes written so far, buffered ones included.
    std::uint64_t Size() const { return m_flushed + m_buffer.size(); }
    // Flushes and closes; throws BuildError when the data cannot be written.
    void Close();
    int Descriptor() const { return m_fd; }
    const std::string& Path() const { return m_path; }

  private:
    void Flush();
    [[noreturn]] void Fail(const char* what) const;

    std::string m_path;
    int m_fd = -1;
    std::vector<char> m_buffer;
    std::size_t m_capacity;
    std::uint64_t m_flushed = 0;
};

// Little-endian stores into a byte buffer.
inline void PutU16(std::uint8_t* out, std::uint16_t v) {
    out[0] = static_cast<std::uint8_t>(v);
    out[1] = static_cast<std::uint8_t>(v >> 8);
}
inline void PutU32(std::uint8_t* out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

}  // namespace build
