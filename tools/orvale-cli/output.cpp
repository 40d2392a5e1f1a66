#include "tools/orvale-cli/output.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <new>

#include "tools/orvale-cli/commands.h"

namespace cli {

void QuietOnBrokenPipe() { std::signal(SIGPIPE, SIG_DFL); }

int RunAndFinish(const std::function<int()>& command) {
    int status = kExitMissing;
    try {
        status = command();
    } catch (const std::bad_alloc&) {
        std::cerr << "orvale-cli: out of memory" << std::endl;
        return kExitMissing;
    }
    std::cout.flush();
    errno = 0;
    const bool flushed = std::fflush(stdout) == 0;
    const int error = errno;
    if (flushed && !std::ferror(stdout) && !std::cout.fail()) return status;
    // A closed pipe ends the output quietly; the reader has what it wanted.
    if (error != EPIPE) {
        std::cerr << "orvale-cli: cannot write the output"
                  << (error != 0 ? std::string(": ") + std::strerror(error) : std::string())
                  << std::endl;
    }
    return status == kExitOk ? kExitMissing : status;
}

}  // namespace cli
