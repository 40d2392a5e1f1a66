#include "shell/appoptions.h"

#include <algorithm>
#include <cctype>

namespace shell {

namespace {

bool IsServerSwitch(const std::string& arg) {
    if (arg.size() < 2 || (arg[0] != '/' && arg[0] != '-')) return false;
    std::string word = arg.substr(1);
    std::transform(word.begin(), word.end(), word.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return word == "embedding" || word == "automation";
}

}  // namespace

AppOptions ParseAppOptions(const std::vector<std::string>& args, const std::string& programDir) {
    AppOptions options;
    options.dataDir = programDir;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--data") {
            if (i + 1 >= args.size() || args[i + 1].empty()) {
                options.error = "--data needs a folder";
                return options;
            }
            options.dataDir = args[++i];
        } else if (arg.rfind("--data=", 0) == 0) {
            options.dataDir = arg.substr(7);
            if (options.dataDir.empty()) {
                options.error = "--data needs a folder";
                return options;
            }
        } else if (IsServerSwitch(arg)) {
            options.allowSplash = false;
        }
    }
    return options;
}

}  // namespace shell
