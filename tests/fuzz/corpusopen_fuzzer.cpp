// libFuzzer entry of the corpus-open target.
#include "tests/fuzz/fuzztargets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return fuzz::FuzzCorpusOpen(data, size);
}
