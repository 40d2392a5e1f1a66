#include "engine/mappedfile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

namespace engine {

MappedFile::~MappedFile() { Close(); }

bool MappedFile::Open(const std::string& path) {
    Close();
    FileHandle file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    std::uint64_t size = 0;
    if (!file.IsOpen() || !IsRegularFile(file.Get(), size)) return false;
    return Lock(std::move(file), size);
}

bool MappedFile::Open(const CorpusFolder& folder, std::string_view name) {
    Close();
    std::uint64_t size = 0;
    FileHandle file = folder.OpenFile(name, size);
    if (!file.IsOpen()) return false;
    return Lock(std::move(file), size);
}

bool MappedFile::Lock(FileHandle file, std::uint64_t size) {
    if (::flock(file.Get(), LOCK_SH | LOCK_NB) != 0) return false;
    m_fd = file.Release();
    m_size = size;
    return true;
}

bool MappedFile::Map() {
    if (m_fd < 0 || m_size == 0 || m_size > SIZE_MAX) return false;
    void* data = ::mmap(nullptr, static_cast<std::size_t>(m_size), PROT_READ, MAP_SHARED, m_fd, 0);
    if (data == MAP_FAILED) return false;
    m_data = static_cast<const std::uint8_t*>(data);
    return true;
}

bool MappedFile::ReadAt(std::uint64_t offset, void* buffer, std::size_t size) const {
    return ReadFully(m_fd, buffer, size, offset);
}

void MappedFile::Close() {
    if (m_data != nullptr) {
        ::munmap(const_cast<std::uint8_t*>(m_data), static_cast<std::size_t>(m_size));
        m_data = nullptr;
    }
    if (m_fd >= 0) {
        ::close(m_fd);  // also releases the lock
        m_fd = -1;
    }
    m_size = 0;
}

}  // namespace engine
