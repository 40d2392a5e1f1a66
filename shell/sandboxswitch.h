// The web engine refuses to start its sandbox for the root user, and the
// reader would abort at its first page. Run as root, the reader turns the
// sandbox off itself before the application object exists and says so.
#pragma once

namespace shell {

// When the effective user is root: sets QTWEBENGINE_DISABLE_SANDBOX=1 and
// writes one line to stderr. Must run before the QApplication is made.
void SwitchSandboxForRoot();

}  // namespace shell
