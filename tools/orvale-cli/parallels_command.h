// The parallels command of orvale-cli: the pages sharing a run of at least N
// indexed characters with a whole page or a given text.
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

namespace cli {

struct ParallelsRequest {
    std::optional<std::uint32_t> record;  // the whole page of this record
    std::optional<std::string> text;      // or this text (UTF-8)
    int minRun = 5;
    bool variants = true;
    bool json = false;
};

// Prints one line per result page, ranked, tab-separated: category, title,
// volume, page, record, longest run, number of runs, the longest run's text;
// or with json {"pages": N, "rows": [...], "formulas": [...]}. Formulas
// (stretches shared by very many pages) and the summary go to err in the
// tab-separated form. Returns 0; 1 when the corpus or the record cannot be
// read; 2 for a passage that is too short or not UTF-8.
int RunParallels(const std::string& dataDir, const ParallelsRequest& request, std::ostream& out,
                 std::ostream& err);

}  // namespace cli
