// Fuzz target: the highlighter. The input holds one keyword (UTF-8 bytes,
// or UTF-16 units converted as the composer converts them) and one run of
// page text; the run is marked and the output checked against the run.
#include <string>
#include <vector>

#include "engine/codeconverter.h"
#include "pages/highlight.h"
#include "tests/fuzz/fuzzinput.h"
#include "tests/fuzz/fuzztargets.h"
#include "tests/fuzz/invariants.h"

namespace fuzz {

int FuzzHighlight(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    const std::uint8_t flags = in.Byte();
    std::string keyword(in.Piece());
    if ((flags & 1) != 0) {
        const std::u16string units = FuzzInput::Units(keyword);
        keyword.clear();
        engine::Utf16ToUtf8(units, keyword, true);
    }
    const std::string_view run = in.Rest();

    std::vector<pages::Seg> segs;
    pages::SplitTerm(keyword, segs);
    for (const pages::Seg& seg : segs) Require(!seg.text.empty(), "an empty piece");

    std::string text;
    std::int32_t counter = (flags & 2) != 0 ? 9998 : 0;
    const std::int32_t start = counter;
    pages::HighlightRun(run, segs, text, counter);
    Require(counter >= start, "the anchor counter went back");
    if (counter == start) Require(text == run, "a run without anchors was changed");
    Require(pages::RunHasMatch(run, segs) == (counter != start),
            "RunHasMatch disagrees with HighlightRun");

    std::string again;
    std::int32_t counter2 = start;
    pages::HighlightRun(run, keyword, again, counter2);
    Require(again == text && counter2 == counter, "the two HighlightRun forms differ");
    return 0;
}

}  // namespace fuzz
