// AppOptions: what the reader's command line asks for. "--data DIR" (or
// "--data=DIR") chooses the corpus folder, by default the folder of the
// executable. The framework switches "Embedding" and "Automation", written
// with a leading '/' or '-' in any letter case, suppress the splash. Other
// arguments (a document name) are accepted and ignored.
#pragma once

#include <string>
#include <vector>

namespace shell {

struct AppOptions {
    std::string dataDir;
    bool allowSplash = true;
    std::string error;  // non-empty when the command line is unusable
};

// args excludes the program name; programDir is the executable's folder.
AppOptions ParseAppOptions(const std::vector<std::string>& args, const std::string& programDir);

}  // namespace shell
