#include "tests/fuzz/fuzzfolder.h"

#include <cstdio>

#include "tests/engine/indexfixture.h"

namespace fuzz {

const std::string& FuzzFolder() {
    // Removed at exit; files still open in it then are unlinked with it.
    static const enginetest::TempDir folder;
    return folder.Path();
}

bool WriteFuzzFile(const std::string& name, std::string_view bytes) {
    if (FuzzFolder().empty()) return false;
    return enginetest::WriteFile(FuzzFolder() + "/" + name, std::string(bytes));
}

void RemoveFuzzFile(const std::string& name) {
    if (FuzzFolder().empty()) return;
    std::remove((FuzzFolder() + "/" + name).c_str());
}

}  // namespace fuzz
