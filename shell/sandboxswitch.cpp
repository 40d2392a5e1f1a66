#include "shell/sandboxswitch.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace shell {

void SwitchSandboxForRoot() {
    if (::geteuid() != 0) return;
    ::setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 1);
    std::fputs("orvale: running as root: the page view runs without its sandbox\n", stderr);
}

}  // namespace shell
