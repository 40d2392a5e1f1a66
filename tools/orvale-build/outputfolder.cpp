#include "tools/orvale-build/outputfolder.h"

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <string_view>
#include <system_error>

#include "tools/orvale-build/builderror.h"
#include "tools/orvale-build/interruptcleanup.h"

namespace build {
namespace fs = std::filesystem;

namespace {

constexpr std::array<std::string_view, 15> kCorpusFiles = {"Index-fl.h",
                                                           "Index-fl.cnt",
                                                           "Index-idx.h",
                                                           "Index-idx.m",
                                                           "Index_content-idx.h",
                                                           "Index_content-idx.m",
                                                           "Index_desc-idx.h",
                                                           "Index_desc-idx.m",
                                                           "kvt.dir",
                                                           "yitizi.txt",
                                                           "kvt.txt",
                                                           "corpus.id",
                                                           "Index-idx.acc",
                                                           "Index_content-idx.acc",
                                                           "Index_desc-idx.acc"};

[[noreturn]] void FailIo(const std::string& what, const fs::path& path, int error) {
    throw BuildError(kExitIoFailure, what + " " + path.string() + ": " + std::strerror(error));
}

void CheckTarget(const fs::path& target) {
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(target, ec);
    if (!fs::exists(status)) return;
    if (!fs::is_directory(status)) {
        throw BuildError(kExitBadInput, target.string() + " exists and is not a folder");
    }
    for (const auto& entry : fs::directory_iterator(target, ec)) {
        const std::string name = entry.path().filename().string();
        if (!entry.is_regular_file(ec) || !OutputFolder::IsCorpusFile(name)) {
            throw BuildError(kExitBadInput, target.string() + " holds " + name +
                                                ", which is not part of a corpus; "
                                                "refusing to replace that folder");
        }
    }
    if (ec) FailIo("cannot read", target, ec.value());
}

}  // namespace

bool OutputFolder::IsCorpusFile(const std::string& name) {
    for (const std::string_view file : kCorpusFiles) {
        if (name == file) return true;
    }
    return false;
}

OutputFolder::OutputFolder(const std::string& target) {
    fs::path path(target);
    while (path.has_relative_path() && !path.has_filename()) path = path.parent_path();
    const std::string name = path.filename().string();
    if (name.empty() || name == "." || name == "..") {
        throw BuildError(kExitBadInput, "OUTDIR must name a folder: " + target);
    }
    m_target = path;
    CheckTarget(m_target);
    fs::path parent = m_target.parent_path();
    if (parent.empty()) parent = ".";
    std::error_code ec;
    fs::create_directories(parent, ec);
    if (ec) FailIo("cannot create", parent, ec.value());
    RemoveStaleWorkFolders(parent, name);
    m_temp = parent / ("." + name + ".build-" + std::to_string(::getpid()));
    fs::remove_all(m_temp, ec);
    InterruptCleanup::SetWorkFolder(m_temp);
    if (!fs::create_directory(m_temp, ec)) {
        InterruptCleanup::SetWorkFolder({});
        FailIo("cannot create", m_temp, ec ? ec.value() : EEXIST);
    }
}

OutputFolder::~OutputFolder() {
    if (m_committed) return;
    auto hold = InterruptCleanup::Hold();
    std::error_code ec;
    fs::remove_all(m_temp, ec);
    hold.unlock();
    InterruptCleanup::SetWorkFolder({});
}

void OutputFolder::Commit() {
    // A signal during the swap would find the finished corpus (or the old
    // one) in the work folder's place; it waits until the swap is done.
    auto hold = InterruptCleanup::Hold();
    CommitHeld();
    hold.unlock();
    InterruptCleanup::SetWorkFolder({});
}

void OutputFolder::CommitHeld() {
    CheckTarget(m_target);
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(m_target, ec))) {
        if (::rename(m_temp.c_str(), m_target.c_str()) != 0)
            FailIo("cannot create", m_target, errno);
        m_committed = true;
        return;
    }
    // Swap in one step where possible: readers see either corpus, never none.
    if (::renameat2(AT_FDCWD, m_temp.c_str(), AT_FDCWD, m_target.c_str(), RENAME_EXCHANGE) == 0) {
        m_committed = true;
        fs::remove_all(m_temp, ec);  // now the old corpus
        return;
    }
    const fs::path old = m_temp.string() + ".old";
    if (::rename(m_target.c_str(), old.c_str()) != 0) FailIo("cannot replace", m_target, errno);
    if (::rename(m_temp.c_str(), m_target.c_str()) != 0) {
        const int error = errno;
        ::rename(old.c_str(), m_target.c_str());
        FailIo("cannot replace", m_target, error);
    }
    m_committed = true;
    fs::remove_all(old, ec);
}

}  // namespace build
