// OutputFolder: where a build writes, so that no partial corpus is ever left
// behind. The files go into a new hidden sibling of the target folder; Commit
// puts that folder in the target's place (an atomic exchange where the file
// system offers it) and removes the old corpus. Until Commit, the target is
// untouched; without Commit the destructor removes the temporary folder.
//
// An existing target is replaced only when it is empty or holds nothing but
// corpus files, so a mistyped OUTDIR cannot wipe out an unrelated folder.
//
// The temporary folder is .<name>.build-<pid> beside the target. It is
// removed when the build fails, when it is interrupted (SIGINT, SIGTERM,
// SIGHUP: see InterruptCleanup) and, for a build that was killed outright,
// by the next build of the same target once that process is gone.
#pragma once

#include <filesystem>
#include <string>

namespace build {

class OutputFolder {
  public:
    // Checks the target and creates the temporary folder (and the target's
    // parent folders). Throws BuildError: bad input when the target exists and
    // is not a folder or holds other files; I/O when a folder cannot be made.
    explicit OutputFolder(const std::string& target);
    ~OutputFolder();
    OutputFolder(const OutputFolder&) = delete;
    OutputFolder& operator=(const OutputFolder&) = delete;

    const std::filesystem::path& Path() const { return m_temp; }
    // Moves the finished corpus into place. Throws BuildError on failure.
    void Commit();

    // True for the names of the files a corpus folder may hold.
    static bool IsCorpusFile(const std::string& name);

  private:
    void CommitHeld();

    std::filesystem::path m_target;
    std::filesystem::path m_temp;
    bool m_committed = false;
};

}  // namespace build
