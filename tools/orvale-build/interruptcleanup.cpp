#include "tools/orvale-build/interruptcleanup.h"

#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <string_view>
#include <system_error>
#include <thread>

namespace build {
namespace fs = std::filesystem;

namespace {

std::mutex g_mutex;
fs::path g_workFolder;

sigset_t CleanupSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGHUP);
    return signals;
}

[[noreturn]] void WaitAndClean() {
    const sigset_t signals = CleanupSignals();
    int signal = SIGTERM;
    while (sigwait(&signals, &signal) != 0) {
    }
    const std::lock_guard<std::mutex> lock(g_mutex);
    if (!g_workFolder.empty()) {
        // The build may still be adding a file; try again until it is gone.
        for (int attempt = 0; attempt < 20; ++attempt) {
            std::error_code ec;
            fs::remove_all(g_workFolder, ec);
            if (!fs::exists(fs::symlink_status(g_workFolder, ec))) break;
        }
    }
    ::_exit(128 + signal);
}

// The process id of a work folder name, or 0 when the name is not one.
pid_t WorkFolderPid(std::string_view entry, std::string_view prefix) {
    if (!entry.starts_with(prefix)) return 0;
    std::string_view rest = entry.substr(prefix.size());
    if (rest.ends_with(".old")) rest.remove_suffix(4);
    pid_t pid = 0;
    const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), pid);
    if (error != std::errc() || end != rest.data() + rest.size() || pid <= 0) return 0;
    return pid;
}

}  // namespace

void InterruptCleanup::Install() {
    const sigset_t signals = CleanupSignals();
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    std::thread(WaitAndClean).detach();
}

void InterruptCleanup::SetWorkFolder(const fs::path& folder) {
    const std::lock_guard<std::mutex> lock(g_mutex);
    g_workFolder = folder;
}

std::unique_lock<std::mutex> InterruptCleanup::Hold() { return std::unique_lock(g_mutex); }

void RemoveStaleWorkFolders(const fs::path& parent, const std::string& name) {
    const std::string prefix = "." + name + ".build-";
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(parent, ec)) {
        const std::string entryName = entry.path().filename().string();
        const pid_t pid = WorkFolderPid(entryName, prefix);
        if (pid == 0 || pid == ::getpid()) continue;
        // Only real folders, never what a link points to.
        if (!fs::is_directory(fs::symlink_status(entry.path(), ec))) continue;
        // A process that still exists (ours or not) keeps its folder.
        if (::kill(pid, 0) == 0 || errno != ESRCH) continue;
        fs::remove_all(entry.path(), ec);
    }
}

}  // namespace build
