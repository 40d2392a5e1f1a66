// CorpusFolder: one open corpus folder, the handle every corpus file is
// opened through.
//
// The folder is opened once; every file is then opened relative to that
// descriptor (openat), so a folder renamed or swapped by a rebuild while a
// reader loads can never give the reader files of two corpora. Files are
// opened read-only with O_NONBLOCK and O_CLOEXEC (a FIFO cannot block the
// reader) and refused unless they are regular files.
//
// Identity: orvale-build writes a manifest (kManifestName) naming the build's
// stamp and, for every file, its length and a digest of 16 spans of 4 KiB
// spread over it; the stamp is also written into the page store's header block. When
// the folder holds a manifest, a listed file that does not match it is
// refused like a missing file, so files of two builds are never read
// together. A folder without a manifest (another writer's corpus) loads as
// before; files the manifest does not list are not checked.
//
// Copies share the descriptor, which closes with the last copy. Not
// thread-safe: one caller at a time.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>

namespace engine {

inline constexpr const char* kManifestName = "corpus.id";
inline constexpr const char* kManifestMagic = "orvale-corpus 1";
// A digest hashes kDigestSpans spans of kDigestSpan bytes spread evenly over
// the file, the first at its start and the last at its end.
inline constexpr std::uint64_t kDigestSpan = 4096;
inline constexpr std::uint64_t kDigestSpans = 16;
// A manifest is a few short lines; anything longer is not one.
inline constexpr std::uint64_t kMaxManifestBytes = 65536;
// Where the stamp lies in Index-fl.h: inside the 260-byte header block,
// which starts at byte 8.
inline constexpr std::uint64_t kStampOffset = 8 + 40;
inline constexpr std::size_t kStampBytes = 16;

// An owned file descriptor (-1 when none).
class FileHandle {
  public:
    FileHandle() = default;
    explicit FileHandle(int fd) : m_fd(fd) {}
    ~FileHandle();
    FileHandle(FileHandle&& other) noexcept : m_fd(other.Release()) {}
    FileHandle& operator=(FileHandle&& other) noexcept;
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    int Get() const { return m_fd; }
    bool IsOpen() const { return m_fd >= 0; }
    int Release();

  private:
    int m_fd = -1;
};

// One file the manifest lists.
struct ManifestEntry {
    std::uint64_t size = 0;
    std::uint64_t digest = 0;
};

struct Manifest {
    std::string stamp;  // 32 hexadecimal digits
    std::map<std::string, ManifestEntry, std::less<>> files;
};

// Parses a manifest's text. False when it is not one (wrong first line, a
// malformed line, a name twice, no stamp).
bool ParseManifest(std::string_view text, Manifest& manifest);
std::string ManifestText(const Manifest& manifest);

// The digest of an open regular file of the given length: FNV-1a over the
// length (8 bytes, little-endian) and then the kDigestSpans spans of
// min(length, kDigestSpan) bytes at offsets k * (length - span) / 15,
// k = 0..15. False on a read error.
bool FileDigest(int fd, std::uint64_t size, std::uint64_t& digest);

// Reads exactly size bytes at offset, resuming after interruptions. False on
// an error or when the file ends first.
bool ReadFully(int fd, void* buffer, std::size_t size, std::uint64_t offset);

// Whether a descriptor names a regular file; gives its length.
bool IsRegularFile(int fd, std::uint64_t& size);

class CorpusFolder {
  public:
    // Opens the folder and reads its manifest. False when the path is not
    // an openable folder or its manifest is malformed or over
    // kMaxManifestBytes; the folder is then closed.
    bool Open(const std::string& path);
    void Close();
    bool IsOpen() const;
    const std::string& Path() const;
    // The folder's descriptor, for openat; -1 when not open.
    int Fd() const;
    // The build stamp of the manifest; empty without a manifest.
    const std::string& Stamp() const;
    // Whether path names the directory this folder opened (false after a
    // rebuild swapped another folder into its place).
    bool StillAt(const std::string& path) const;

    // Opens a file of the folder read-only. Not open when the file is
    // missing, unreadable, not a regular file, or listed in the manifest
    // with another length or digest. size receives its length.
    FileHandle OpenFile(std::string_view name, std::uint64_t& size) const;
    // Reads a whole file of at most maxBytes. False when it cannot be
    // opened (as OpenFile), is longer, or a read fails.
    bool ReadFile(std::string_view name, std::uint64_t maxBytes, std::string& content) const;

  private:
    struct State;
    std::shared_ptr<const State> m_state;
};

}  // namespace engine
