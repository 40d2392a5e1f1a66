// How orvale-cli ends: the standard output is flushed and checked, so that a
// write that failed (a full disk, a closed pipe) is never reported as
// success, and an allocation failure becomes a message instead of an abort.
#pragma once

#include <functional>

namespace cli {

// Restores the default action of SIGPIPE, so that output cut short by a
// closed pipe (`| head`) ends the program quietly, as the shell tools do.
void QuietOnBrokenPipe();

// Runs the command and returns its exit status, or kExitMissing with one
// line on stderr when the standard output could not be written or memory ran
// out.
int RunAndFinish(const std::function<int()>& command);

}  // namespace cli
