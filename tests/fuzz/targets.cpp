#include "tests/fuzz/fuzztargets.h"

namespace fuzz {

std::span<const Target> Targets() {
    static constexpr Target kTargets[] = {
        {"indexfiles", FuzzIndexFiles}, {"pagestore", FuzzPageStore},
        {"catalogue", FuzzCatalogue},   {"variants", FuzzVariants},
        {"query", FuzzQuery},           {"highlight", FuzzHighlight},
        {"composer", FuzzComposer},     {"corpusopen", FuzzCorpusOpen},
    };
    return kTargets;
}

}  // namespace fuzz
