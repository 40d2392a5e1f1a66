#include "engine/mappedfile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace engine {

MappedFile::~MappedFile() { Close(); }

bool MappedFile::Open(const std::string& path) {
    Close();
    m_fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (m_fd < 0) return false;
    struct stat info {};
    if (::flock(m_fd, LOCK_SH | LOCK_NB) != 0 || ::fstat(m_fd, &info) != 0 ||
        !S_ISREG(info.st_mode)) {
        Close();
        return false;
    }
    m_size = static_cast<std::uint64_t>(info.st_size);
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
    auto* out = static_cast<char*>(buffer);
    while (size > 0) {
        const ssize_t n = ::pread(m_fd, out, size, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        out += n;
        size -= static_cast<std::size_t>(n);
        offset += static_cast<std::uint64_t>(n);
    }
    return true;
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
