// orvale-cli: searches and reads an Orvale corpus from the command line.
// Commands: search, page, find-page, catalogue (see --help of each). Exit
// status: 0 success, 1 the thing asked for does not exist, the corpus cannot
// be opened or the output cannot be written, 2 a refused or malformed
// request, 3 the corpus is damaged (what could be read is printed).
#include <CLI/CLI.hpp>
#include <charconv>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "tools/orvale-cli/commands.h"
#include "tools/orvale-cli/output.h"

namespace {

// A record index or page number: decimal digits only, within 32 bits.
bool ParseNumber(const std::string& text, const char* what, std::uint32_t& value) {
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (!text.empty() && text.front() != '-' && text.front() != '+' && error == std::errc() &&
        stop == end) {
        return true;
    }
    std::cerr << "orvale-cli: " << what << " must be a number from 0 to 4294967295, not '" << text
              << "'" << std::endl;
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"Searches and reads an Orvale corpus.", "orvale-cli"};
    app.require_subcommand(1);
    app.fallthrough();
    std::string dataDir;
    auto* dataOption =
        app.add_option("--data", dataDir, "corpus folder (default: the folder of this program)");
    app.footer(
        "Exit status: 0 success, 1 not found, the corpus cannot be opened or the output cannot "
        "be written, 2 refused or malformed request, 3 the corpus is damaged (what could be "
        "read is printed, and the damaged file is named on stderr).\n");

    cli::SearchRequest search;
    std::string scope = "full";
    bool noVariants = false;
    auto* searchCommand = app.add_subcommand("search", "pages holding the keywords");
    searchCommand->add_flag("--or", search.anyKeyword, "any keyword instead of all keywords");
    searchCommand->add_option("--scope", scope, "text searched: full, main or notes")
        ->check(CLI::IsMember({"full", "main", "notes"}));
    searchCommand->add_flag("--no-variants", noVariants, "variant forms do not count as the same");
    searchCommand->add_option("--entry", search.entrySlot, "catalogue slot limiting the search")
        ->check(CLI::Range(0, 65535));
    auto* raw = searchCommand->add_flag("--raw", search.raw,
                                        "the engine's hit list: record<TAB>hits per page");
    auto* json = searchCommand->add_flag("--json", search.json, "the rows as JSON");
    raw->excludes(json);
    searchCommand->add_option("KEYWORD", search.keywords, "keywords ('*' and '?' are wildcards)")
        ->required();

    std::string record;
    std::string keywords;
    int layer = 0;
    bool variants = false;
    auto* pageCommand = app.add_subcommand("page", "a stored page, or composed with its hits");
    pageCommand->add_option("RECORD", record, "record index (0-based)")->required();
    auto* keywordsOption =
        pageCommand->add_option("--keywords", keywords, "mark these keywords' matches");
    pageCommand->add_option("--layer", layer, "text marked: 0 whole, 1 main, 2 annotations")
        ->check(CLI::IsMember({0, 1, 2}))
        ->needs(keywordsOption);
    pageCommand->add_flag("--variants", variants, "variant forms count as the same")
        ->needs(keywordsOption);

    std::string firstRecord;
    std::string pageNo;
    auto* findCommand = app.add_subcommand("find-page", "the record of a page number");
    findCommand->add_option("FIRST_RECORD", firstRecord, "record index to start at")->required();
    findCommand->add_option("PAGE_NO", pageNo, "page number")->required();

    auto* catalogueCommand = app.add_subcommand("catalogue", "the catalogue listing");

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        if (e.get_exit_code() == 0) return app.exit(e);
        std::cerr << "orvale-cli: " << e.what() << std::endl;
        return cli::kExitRefused;
    }
    if (dataOption->count() > 0 && dataDir.empty()) {
        std::cerr << "orvale-cli: --data names no folder" << std::endl;
        return cli::kExitRefused;
    }
    if (dataDir.empty()) dataDir = cli::ExecutableFolder();
    cli::QuietOnBrokenPipe();
    return cli::RunAndFinish([&]() {
        if (searchCommand->parsed()) {
            search.variants = !noVariants;
            if (scope == "main") search.scope = cli::SearchScope::Main;
            if (scope == "notes") search.scope = cli::SearchScope::Notes;
            return cli::RunSearch(dataDir, search);
        }
        if (pageCommand->parsed()) {
            std::uint32_t recordIndex = 0;
            if (!ParseNumber(record, "RECORD", recordIndex)) return cli::kExitRefused;
            std::optional<std::string> given;
            if (keywordsOption->count() > 0) given = keywords;
            return cli::RunPage(dataDir, recordIndex, given, layer, variants);
        }
        if (findCommand->parsed()) {
            std::uint32_t first = 0;
            std::uint32_t number = 0;
            if (!ParseNumber(firstRecord, "FIRST_RECORD", first) ||
                !ParseNumber(pageNo, "PAGE_NO", number)) {
                return cli::kExitRefused;
            }
            return cli::RunFindPage(dataDir, first, number);
        }
        if (catalogueCommand->parsed()) return cli::RunCatalogue(dataDir);
        return cli::kExitRefused;
    });
}
