// libFuzzer entry of the catalogue target.
#include "tests/fuzz/fuzztargets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return fuzz::FuzzCatalogue(data, size);
}
