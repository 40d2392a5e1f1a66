#include "tools/orvale-build/filewriter.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "tools/orvale-build/builderror.h"

namespace build {

FileWriter::FileWriter(std::string path, std::size_t bufferSize)
    : m_path(std::move(path)), m_capacity(bufferSize) {
    m_fd = ::open(m_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (m_fd < 0) Fail("cannot create");
    m_buffer.reserve(m_capacity);
}

FileWriter::~FileWriter() {
    if (m_fd >= 0) ::close(m_fd);
}

void FileWriter::Fail(const char* what) const {
    throw BuildError(kExitIoFailure,
                     std::string(what) + " " + m_path + ": " + std::strerror(errno));
}

void FileWriter::Write(const void* data, std::size_t size) {
    const char* bytes = static_cast<const char*>(data);
    if (m_buffer.size() + size > m_capacity) Flush();
    if (size >= m_capacity) {
        while (size > 0) {
            const ssize_t n = ::write(m_fd, bytes, size);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) Fail("cannot write");
            bytes += n, size -= static_cast<std::size_t>(n),
                m_flushed += static_cast<std::uint64_t>(n);
        }
        return;
    }
    m_buffer.insert(m_buffer.end(), bytes, bytes + size);
}

void FileWriter::Flush() {
    std::size_t done = 0;
    while (done < m_buffer.size()) {
        const ssize_t n = ::write(m_fd, m_buffer.data() + done, m_buffer.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) Fail("cannot write");
        done += static_cast<std::size_t>(n);
    }
    m_flushed += done;
    m_buffer.clear();
}

void FileWriter::WriteAt(std::uint64_t offset, const void* data, std::size_t size) {
    Flush();
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::pwrite(m_fd, bytes, size, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) Fail("cannot write");
        bytes += n, size -= static_cast<std::size_t>(n), offset += static_cast<std::uint64_t>(n);
    }
}

void FileWriter::Close() {
    if (m_fd < 0) return;
    Flush();
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0) Fail("cannot write");
}

}  // namespace build
