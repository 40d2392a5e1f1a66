// Fuzz target: the page composer. The input holds the parity, the text
// layer, a keyword string (UTF-16) with variant choices and, as the rest,
// the page bytes; the page is parsed, split into runs and composed for each
// keyword and for the widened keyword string.
#include <array>
#include <string>
#include <vector>

#include "engine/codeconverter.h"
#include "pages/filelist.h"
#include "pages/pagecomposer.h"
#include "pages/widening.h"
#include "tests/fuzz/fuzzinput.h"
#include "tests/fuzz/fuzztargets.h"
#include "tests/fuzz/invariants.h"

namespace fuzz {

int FuzzComposer(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    const std::uint8_t flags = in.Byte();
    const int parity = flags & 1;
    const int textLayer = flags >> 1 & 3;
    const std::u16string keywords = FuzzInput::Units(in.Bytes(in.Byte() % 16 * 2));
    // Each unit may be replaced by itself and by the units after it.
    pages::VariantChoices choices;
    for (std::size_t i = 0; i < keywords.size(); ++i) {
        std::vector<char16_t> list = {keywords[i]};
        const std::size_t extra = in.Byte() % 3;
        for (std::size_t k = 1; k <= extra && i + k < keywords.size(); ++k) {
            list.push_back(keywords[i + k]);
        }
        choices.push_back(list);
    }
    const std::string_view page = in.Rest();

    const std::array<pages::HTMLNode, 3> parts = pages::ParsePage(page);
    std::size_t partBytes = 0;
    for (const pages::HTMLNode& part : parts) {
        partBytes += part.text.size();
        const std::vector<pages::FilterItem> runs = pages::SplitRuns(part.text);
        Require(!runs.empty() && runs.front().kind == pages::kMainText,
                "a cell's runs must start with main text");
    }
    Require(partBytes <= page.size(), "the parts hold more than the page");

    std::string composed(page);
    std::int32_t anchors = 0;
    std::size_t start = 0;
    while (start < keywords.size()) {
        std::size_t stop = start;
        while (stop < keywords.size() && !pages::IsKeywordSeparator(keywords[stop])) ++stop;
        if (stop > start) {
            std::string keyword;
            engine::Utf16ToUtf8(std::u16string_view(keywords).substr(start, stop - start), keyword,
                                true);
            std::string html;
            pages::ComposeTermPass(composed, html, keyword, parity, textLayer, anchors);
            composed.swap(html);
        }
        start = stop + 1;
    }
    std::string widened;
    const std::int32_t widenedAnchors =
        pages::ComposeWidened(page, parity, widened, choices, textLayer, 4096);
    Require(widenedAnchors >= 0 && anchors >= 0, "a negative anchor count");
    return 0;
}

}  // namespace fuzz
