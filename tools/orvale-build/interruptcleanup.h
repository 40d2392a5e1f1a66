// InterruptCleanup: removes the work folder of a build that is interrupted.
//
// Install blocks SIGINT, SIGTERM and SIGHUP in the calling thread (call it
// in main before any other thread starts, so that every thread inherits the
// mask) and starts a thread that waits for them. On a signal that thread
// removes the registered work folder and ends the process with status
// 128 + the signal number, as a shell reports a death by that signal.
//
// The folder is registered by OutputFolder while it exists and unregistered
// when it has been committed; Hold keeps a signal from acting while the
// folder is being committed, so a finished corpus is never removed.
#pragma once

#include <filesystem>
#include <mutex>

namespace build {

class InterruptCleanup {
  public:
    static void Install();
    // The folder removed on a signal; empty for none.
    static void SetWorkFolder(const std::filesystem::path& folder);
    // While the returned lock is held, a signal waits.
    static std::unique_lock<std::mutex> Hold();
};

// Removes the work folders that builds of target left behind when they were
// killed: siblings named .<name>.build-<pid> (or .<pid>.old) whose process is
// gone. Folders of running builds, and anything not named so, stay.
void RemoveStaleWorkFolders(const std::filesystem::path& parent, const std::string& name);

}  // namespace build
