// Parsing of one source line: pages are taken out of the line while it is
// parsed, yet the faults come in the same order as if the whole line were
// read first, and the last of repeated fields wins.
#include "tools/orvale-build/sourcevolume.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace toolstest {
namespace {

const std::string kNames = R"("category": "c", "title": "t", "volume": "v")";

struct LineCase {
    const char* what;
    std::string line;
    std::string error;                   // part of the expected error; empty: parses
    std::vector<std::string> pageTexts;  // each page's runs joined, notes in []
};

std::string PageText(const build::SourcePage& page) {
    std::string text;
    for (const build::SourceRun& run : page.runs)
        text += run.note ? "[" + run.text + "]" : run.text;
    return text;
}

TEST(SourceVolume, PagesTakenWhileParsingKeepTheOrderOfFaults) {
    const std::vector<LineCase> cases = {
        {"pages before the names",
         R"({"pages": [{"runs": ["甲", {"note": "乙"}]}], )" + kNames + "}",
         "",
         {"甲[乙]"}},
        {"a bad name wins over a bad page that comes first",
         R"({"pages": [5], "category": 5, "title": "t", "volume": "v"})",
         "\"category\" must be a string",
         {}},
        {"malformed JSON wins over a bad page",
         R"({"pages": [5], "category": )",
         "malformed JSON",
         {}},
        {"the first bad page is named",
         "{" + kNames + R"(, "pages": [{"runs": ["甲"]}, 3, {"runs": 1}]})",
         "page 2: must be an object",
         {}},
        {"a later \"pages\" replaces a bad one",
         "{" + kNames + R"(, "pages": [5], "pages": [{"runs": ["乙"]}]})",
         "",
         {"乙"}},
        {"a later bad \"pages\" replaces a good one",
         "{" + kNames + R"(, "pages": [{"runs": ["乙"]}], "pages": [{"runs": 7}]})",
         "page 1: \"runs\" must be an array",
         {}},
        {"a later \"pages\" that is no array",
         "{" + kNames + R"(, "pages": [{"runs": ["乙"]}], "pages": 5})",
         "\"pages\" must be an array",
         {}},
        {"\"pages\" deeper down is just an unknown field",
         "{" + kNames +
             R"(, "x": {"pages": [1]}, "pages": [{"runs": [{"note": "丙", "pages": [2]}]}]})",
         "",
         {"[丙]"}},
        {"no pages", "{" + kNames + R"(, "pages": []})", "at least one page", {}},
        {"empty runs add nothing, empty pages stay",
         "{" + kNames +
             R"(, "pages": [{"runs": ["", "甲", {"note": ""}]}, {"runs": [""]}, {"runs": []}]})",
         "",
         {"甲", "", ""}},
        {"an array of volumes is no volume",
         "[{" + kNames + R"(, "pages": [{"runs": ["甲"]}]}])",
         "one JSON object",
         {}},
    };
    for (const LineCase& c : cases) {
        SCOPED_TRACE(c.what);
        build::SourceVolume volume;
        std::string error;
        const bool parsed = build::ParseSourceVolume(c.line, volume, error);
        if (!c.error.empty()) {
            EXPECT_FALSE(parsed);
            EXPECT_NE(error.find(c.error), std::string::npos) << error;
            continue;
        }
        ASSERT_TRUE(parsed) << error;
        std::vector<std::string> texts;
        for (const build::SourcePage& page : volume.pages) texts.push_back(PageText(page));
        EXPECT_EQ(texts, c.pageTexts);
        EXPECT_EQ(volume.category, "c");
    }
}

}  // namespace
}  // namespace toolstest
