#include "tests/reliability/corpusfolder.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "engine/corpusfolder.h"
#include "tests/fuzz/smallcorpus.h"

namespace reliability {

CorpusFolder::CorpusFolder() {
    if (Dir().empty() || !fuzz::WriteSmallCorpus(Dir())) {
        throw std::runtime_error("cannot write the small corpus");
    }
    std::string catalogue =
        CatalogueRecordBytes(u"經部", 1, 1, 12, 1) + CatalogueRecordBytes(u"周易", 2, 1, 12, 1) +
        CatalogueRecordBytes(u"卷一", 3, 1, 6, 1) + CatalogueRecordBytes(u"卷二", 3, 7, 6, 7);
    Write("kvt.dir", catalogue);
}

std::string CorpusFolder::Read(const std::string& name) const {
    std::ifstream in(PathOf(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void CorpusFolder::Write(const std::string& name, const std::string& bytes) const {
    if (!enginetest::WriteFile(PathOf(name), bytes)) throw std::runtime_error("cannot write");
}

void CorpusFolder::Remove(const std::string& name) const {
    std::error_code ignored;
    std::filesystem::remove(PathOf(name), ignored);
}

void CorpusFolder::Truncate(const std::string& name, std::uint64_t size) const {
    std::filesystem::resize_file(PathOf(name), size);
}

void CorpusFolder::Patch32(const std::string& name, std::uint64_t offset,
                           std::uint32_t value) const {
    std::string bytes = Read(name);
    if (offset + 4 > bytes.size()) throw std::runtime_error("patch beyond the file");
    std::memcpy(bytes.data() + offset, &value, 4);
    Write(name, bytes);
}

void CorpusFolder::MakeFifo(const std::string& name) const {
    Remove(name);
    if (::mkfifo(PathOf(name).c_str(), 0600) != 0) throw std::runtime_error("cannot make a FIFO");
}

void CorpusFolder::WriteManifest() const {
    engine::CorpusFolder folder;
    if (!folder.Open(Dir())) throw std::runtime_error("cannot open the folder");
    engine::Manifest manifest;
    manifest.stamp = std::string(32, 'a');
    for (const auto& entry : std::filesystem::directory_iterator(Dir())) {
        const std::string name = entry.path().filename().string();
        std::uint64_t size = 0;
        std::uint64_t digest = 0;
        const engine::FileHandle file = folder.OpenFile(name, size);
        if (!file.IsOpen() || !engine::FileDigest(file.Get(), size, digest)) continue;
        manifest.files[name] = {size, digest};
    }
    Write(engine::kManifestName, engine::ManifestText(manifest));
}

HangGuard::HangGuard(unsigned seconds) {
    ::signal(SIGALRM, SIG_DFL);
    ::alarm(seconds);
}

HangGuard::~HangGuard() { ::alarm(0); }

namespace {

std::string ReadFd(int fd) {
    std::string out;
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0) out.append(buffer, n);
    return out;
}

}  // namespace

CliResult RunCli(const std::string& dir, const std::vector<std::string>& args) {
    CliResult result;
    const std::string temp = std::filesystem::temp_directory_path().string();
    std::string outName = temp + "/orvale-cli-out-XXXXXX";
    std::string errName = temp + "/orvale-cli-err-XXXXXX";
    const int outFd = ::mkstemp(outName.data());
    const int errFd = ::mkstemp(errName.data());
    if (outFd < 0 || errFd < 0) return result;
    std::vector<std::string> argv = {ORVALE_CLI_EXE, "--data", dir};
    argv.insert(argv.end(), args.begin(), args.end());
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(outFd, 1);
        ::dup2(errFd, 2);
        const int null = ::open("/dev/null", O_RDONLY);
        ::dup2(null, 0);
        std::vector<char*> raw;
        for (std::string& arg : argv) raw.push_back(arg.data());
        raw.push_back(nullptr);
        ::execv(raw[0], raw.data());
        ::_exit(127);
    }
    int status = 0;
    if (pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status)) {
        result.status = WEXITSTATUS(status);
    }
    ::lseek(outFd, 0, SEEK_SET);
    ::lseek(errFd, 0, SEEK_SET);
    result.out = ReadFd(outFd);
    result.err = ReadFd(errFd);
    ::close(outFd);
    ::close(errFd);
    ::unlink(outName.c_str());
    ::unlink(errName.c_str());
    return result;
}

std::string CatalogueRecordBytes(const std::u16string& name, std::int32_t level, std::int32_t docID,
                                 std::int32_t docNo, std::uint16_t firstPage) {
    std::string record(216, '\0');
    for (std::size_t i = 0; i < name.size() && i < 99; ++i) {
        record[2 * i] = static_cast<char>(name[i] & 0xFF);
        record[2 * i + 1] = static_cast<char>(name[i] >> 8);
    }
    std::memcpy(record.data() + 200, &level, 4);
    std::memcpy(record.data() + 204, &docID, 4);
    std::memcpy(record.data() + 208, &docNo, 4);
    std::memcpy(record.data() + 212, &firstPage, 2);
    return record;
}

}  // namespace reliability
