#include "engine/corpusfolder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <vector>

namespace engine {
namespace {

constexpr std::uint64_t kFnvOffset = 14695981039346656037ull;
constexpr std::uint64_t kFnvPrime = 1099511628211ull;

void Mix(std::uint64_t& hash, const unsigned char* bytes, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
        hash ^= bytes[i];
        hash *= kFnvPrime;
    }
}

bool IsHex(std::string_view text) {
    if (text.empty()) return false;
    for (const char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    }
    return true;
}

template <typename T>
bool ParseUnsigned(std::string_view text, int base, T& value) {
    if (text.empty()) return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    return error == std::errc() && end == text.data() + text.size();
}

// Splits a line at single spaces.
std::vector<std::string_view> Fields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= line.size(); ++i) {
        if (i == line.size() || line[i] == ' ') {
            fields.push_back(line.substr(start, i - start));
            start = i + 1;
        }
    }
    return fields;
}

// A plain file name: no folder part, nothing hidden.
bool IsPlainName(std::string_view name) {
    return !name.empty() && name.find('/') == std::string_view::npos && name.front() != '.';
}

}  // namespace

FileHandle::~FileHandle() {
    if (m_fd >= 0) ::close(m_fd);
}

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept {
    if (this != &other) {
        if (m_fd >= 0) ::close(m_fd);
        m_fd = other.Release();
    }
    return *this;
}

int FileHandle::Release() {
    const int fd = m_fd;
    m_fd = -1;
    return fd;
}

bool ParseManifest(std::string_view text, Manifest& manifest) {
    manifest = Manifest{};
    bool first = true;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        if (first) {
            if (line != kManifestMagic) return false;
            first = false;
            continue;
        }
        if (line.empty()) continue;
        const std::vector<std::string_view> fields = Fields(line);
        if (fields[0] == "stamp" && fields.size() == 2 && fields[1].size() == 2 * kStampBytes &&
            IsHex(fields[1]) && manifest.stamp.empty()) {
            manifest.stamp = fields[1];
            continue;
        }
        ManifestEntry entry;
        if (fields[0] == "file" && fields.size() == 4 && IsPlainName(fields[1]) &&
            ParseUnsigned(fields[2], 10, entry.size) && IsHex(fields[3]) &&
            fields[3].size() <= 16 && ParseUnsigned(fields[3], 16, entry.digest) &&
            manifest.files.emplace(std::string(fields[1]), entry).second) {
            continue;
        }
        return false;
    }
    return !first && !manifest.stamp.empty();
}

std::string ManifestText(const Manifest& manifest) {
    std::string text = std::string(kManifestMagic) + "\nstamp " + manifest.stamp + "\n";
    for (const auto& [name, entry] : manifest.files) {
        char digest[17];
        std::to_chars_result r = std::to_chars(digest, digest + 16, entry.digest, 16);
        text += "file " + name + " " + std::to_string(entry.size) + " " +
                std::string(digest, r.ptr) + "\n";
    }
    return text;
}

bool FileDigest(int fd, std::uint64_t size, std::uint64_t& digest) {
    std::uint64_t hash = kFnvOffset;
    unsigned char length[8];
    for (int i = 0; i < 8; ++i) length[i] = static_cast<unsigned char>(size >> (8 * i));
    Mix(hash, length, sizeof length);
    unsigned char span[kDigestSpan];
    const std::size_t bytes = static_cast<std::size_t>(std::min(size, kDigestSpan));
    for (std::uint64_t k = 0; k < kDigestSpans; ++k) {
        const std::uint64_t offset = k * (size - bytes) / (kDigestSpans - 1);
        if (!ReadFully(fd, span, bytes, offset)) return false;
        Mix(hash, span, bytes);
    }
    digest = hash;
    return true;
}

bool ReadFully(int fd, void* buffer, std::size_t size, std::uint64_t offset) {
    auto* out = static_cast<unsigned char*>(buffer);
    while (size > 0) {
        const ssize_t n = ::pread(fd, out, size, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        out += n;
        size -= static_cast<std::size_t>(n);
        offset += static_cast<std::uint64_t>(n);
    }
    return true;
}

bool IsRegularFile(int fd, std::uint64_t& size) {
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) return false;
    size = static_cast<std::uint64_t>(info.st_size);
    return true;
}

struct CorpusFolder::State {
    FileHandle fd;
    std::string path;
    dev_t device = 0;
    ino_t inode = 0;
    bool hasManifest = false;
    Manifest manifest;
};

bool CorpusFolder::Open(const std::string& path) {
    Close();
    if (path.empty()) return false;
    auto state = std::make_shared<State>();
    state->fd = FileHandle(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NONBLOCK | O_CLOEXEC));
    struct stat info {};
    if (!state->fd.IsOpen() || ::fstat(state->fd.Get(), &info) != 0) return false;
    state->path = path;
    state->device = info.st_dev;
    state->inode = info.st_ino;
    m_state = state;
    // The manifest is read through the folder like every other file.
    std::string text;
    std::uint64_t size = 0;
    FileHandle manifest = OpenFile(kManifestName, size);
    if (!manifest.IsOpen()) {
        // Absent is fine; present but not a readable regular file is not.
        if (::faccessat(state->fd.Get(), kManifestName, F_OK, AT_SYMLINK_NOFOLLOW) == 0) {
            Close();
            return false;
        }
        return true;
    }
    if (!ReadFile(kManifestName, kMaxManifestBytes, text) ||
        !ParseManifest(text, state->manifest)) {
        Close();
        return false;
    }
    state->hasManifest = true;
    return true;
}

void CorpusFolder::Close() { m_state.reset(); }

bool CorpusFolder::IsOpen() const { return m_state != nullptr; }

const std::string& CorpusFolder::Path() const {
    static const std::string kNone;
    return m_state ? m_state->path : kNone;
}

int CorpusFolder::Fd() const { return m_state ? m_state->fd.Get() : -1; }

const std::string& CorpusFolder::Stamp() const {
    static const std::string kNone;
    return m_state && m_state->hasManifest ? m_state->manifest.stamp : kNone;
}

bool CorpusFolder::StillAt(const std::string& path) const {
    struct stat info {};
    return m_state && ::stat(path.c_str(), &info) == 0 && info.st_dev == m_state->device &&
           info.st_ino == m_state->inode;
}

FileHandle CorpusFolder::OpenFile(std::string_view name, std::uint64_t& size) const {
    if (!m_state) return {};
    const std::string file(name);
    FileHandle fd(::openat(m_state->fd.Get(), file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    std::uint64_t length = 0;
    if (!fd.IsOpen() || !IsRegularFile(fd.Get(), length)) return {};
    if (m_state->hasManifest) {
        const auto it = m_state->manifest.files.find(name);
        std::uint64_t digest = 0;
        if (it != m_state->manifest.files.end() &&
            (it->second.size != length || !FileDigest(fd.Get(), length, digest) ||
             digest != it->second.digest)) {
            return {};
        }
    }
    size = length;
    return fd;
}

bool CorpusFolder::ReadFile(std::string_view name, std::uint64_t maxBytes,
                            std::string& content) const {
    std::uint64_t size = 0;
    const FileHandle fd = OpenFile(name, size);
    if (!fd.IsOpen() || size > maxBytes) return false;
    std::string bytes(static_cast<std::size_t>(size), '\0');
    if (!ReadFully(fd.Get(), bytes.data(), bytes.size(), 0)) return false;
    content.swap(bytes);
    return true;
}

}  // namespace engine
