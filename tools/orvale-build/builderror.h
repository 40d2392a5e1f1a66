// BuildError: why a corpus build stopped, with the exit status the
// command-line tool reports (kExitBadInput for a bad source or variant table,
// kExitIoFailure for a file that cannot be read or written).
#pragma once

#include <stdexcept>
#include <string>

namespace build {

inline constexpr int kExitIoFailure = 1;
inline constexpr int kExitBadInput = 2;

class BuildError : public std::runtime_error {
  public:
    BuildError(int exitStatus, const std::string& message)
        : std::runtime_error(message), m_exitStatus(exitStatus) {}
    int ExitStatus() const { return m_exitStatus; }

  private:
    int m_exitStatus;
};

}  // namespace build
