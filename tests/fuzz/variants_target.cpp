// Fuzz target: the variant table. The input holds a short keyword, code
// points to map and, as the rest, the content of yitizi.txt, which is read
// through CIndex::LoadVariants as the reader reads it.
#include <string>

#include "engine/index.h"
#include "engine/varianttable.h"
#include "tests/fuzz/fuzzfolder.h"
#include "tests/fuzz/fuzzinput.h"
#include "tests/fuzz/fuzztargets.h"
#include "tests/fuzz/invariants.h"

namespace fuzz {

int FuzzVariants(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    const char32_t codePoints[] = {in.U32(), in.U32() & 0x1FFFFF, in.U16(), 0x4E00, 0};
    const std::u16string keyword = FuzzInput::Units(in.Bytes(in.Byte() % 8 * 2));
    const std::string_view table = in.Rest();
    if (!WriteFuzzFile("yitizi.txt", table)) return 0;

    static engine::CIndex index;
    index.LoadVariants(FuzzFolder());
    engine::VariantTable parsed;
    parsed.Parse(table);
    Require(parsed.Groups() == index.Variants(), "file and in-memory parse differ");

    for (char32_t cp : codePoints) {
        int code = -7;
        if (index.MapVariant(cp, code)) {
            Require(code >= engine::kVariantCodeBase, "a group code below the group base");
        } else {
            Require(code == -7, "MapVariant changed the code of a character in no group");
        }
    }
    const pages::VariantChoices choices = index.VariantChoicesOf(keyword);
    Require(choices.size() == keyword.size(), "one choice list per unit");
    std::uint64_t spellings = 1;
    for (const auto& list : choices) {
        Require(!list.empty(), "an empty choice list");
        spellings *= list.size();
        if (spellings > 4096) return 0;  // the expansion itself has no bound
    }
    const std::vector<std::u16string> expanded = index.ExpandVariants(keyword);
    Require(expanded.size() == spellings, "spelling count is not the product of the lists");
    for (const auto& spelling : expanded) {
        Require(spelling.size() == keyword.size(), "a spelling of another length");
    }
    return 0;
}

}  // namespace fuzz
