// libFuzzer entry of the indexfiles target.
#include "tests/fuzz/fuzztargets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return fuzz::FuzzIndexFiles(data, size);
}
