// The commands of orvale-cli, each taking the corpus folder and its own
// arguments and returning the exit status: 0 success, 1 the thing asked for
// does not exist (or the corpus cannot be opened), 2 a refused or malformed
// request, 3 the corpus is damaged: what could be read is printed and one
// line on stderr names the damaged file. Data goes to stdout; every failure
// is one line on stderr.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitMissing = 1;
inline constexpr int kExitRefused = 2;
inline constexpr int kExitDamaged = 3;

enum class SearchScope { Whole, Main, Notes };

struct SearchRequest {
    std::vector<std::string> keywords;  // UTF-8; joined by single spaces
    bool anyKeyword = false;            // or instead of and
    SearchScope scope = SearchScope::Whole;
    bool variants = true;
    // Catalogue slot limiting the search; none: the whole corpus.
    std::optional<int> entrySlot;
    bool raw = false;
    bool json = false;
    bool kwic = false;   // every hit in context instead of the rows
    bool stats = false;  // pages and hits per category and title instead of the rows
    int width = 12;      // context characters on either side
    int sort = 0;        // 0 position, 1 left context, 2 right context
};

int RunSearch(const std::string& dataDir, const SearchRequest& request);

// The stored page; with keywords, the page composed with its hits marked.
int RunPage(const std::string& dataDir, std::uint32_t record,
            const std::optional<std::string>& keywords, int textLayer, bool variants);

int RunFindPage(const std::string& dataDir, std::uint32_t firstRecord, std::uint32_t pageNo);

int RunCatalogue(const std::string& dataDir);

// The folder of the running executable, or "." when it cannot be told.
std::string ExecutableFolder();

}  // namespace cli
