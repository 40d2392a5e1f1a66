// orvale-cli: searches and reads an Orvale corpus from the command line.
// Commands: search (also --kwic), stats, page, find-page, catalogue,
// parallels (see --help of each). Exit status: 0 success, 1 the thing asked
// for does not exist, the corpus cannot be opened or the output cannot be
// written, 2 a refused or malformed request, 3 the corpus is damaged (what
// could be read is printed).
#include <CLI/CLI.hpp>
#include <charconv>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "tools/orvale-cli/batch_search.h"
#include "tools/orvale-cli/commands.h"
#include "tools/orvale-cli/output.h"
#include "tools/orvale-cli/parallels_command.h"

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
    int entrySlot = 0;
    auto* entryOption =
        searchCommand
            ->add_option("--entry", entrySlot,
                         "catalogue slot limiting the search (default: the whole corpus)")
            ->check(CLI::Range(0, 65535));
    auto* raw = searchCommand->add_flag("--raw", search.raw,
                                        "the engine's hit list: record<TAB>hits per page");
    auto* json = searchCommand->add_flag("--json", search.json, "the rows as JSON");
    raw->excludes(json);
    std::string sort = "position";
    auto* kwic = searchCommand->add_flag("--kwic", search.kwic,
                                         "every hit in context: category, title, volume, page, "
                                         "record, left, hit, right");
    kwic->excludes(raw);
    searchCommand->add_option("--width", search.width, "context characters on either side")
        ->check(CLI::Range(0, 200))
        ->needs(kwic);
    searchCommand->add_option("--sort", sort, "order of the hits: position, left or right")
        ->check(CLI::IsMember({"position", "left", "right"}))
        ->needs(kwic);
    auto* keywordOption = searchCommand->add_option("KEYWORD", search.keywords,
                                                    "keywords ('*' and '?' are wildcards)");
    bool fromStdin = false;
    searchCommand
        ->add_flag("--stdin", fromStdin,
                   "one keyword string per input line; each answer ends with an empty line "
                   "(with --json: one object per line)")
        ->excludes(keywordOption);

    cli::SearchRequest stats;
    std::string statsScope = "full";
    bool statsNoVariants = false;
    auto* statsCommand = app.add_subcommand("stats", "pages and hits per category and title");
    statsCommand->add_flag("--or", stats.anyKeyword, "any keyword instead of all keywords");
    statsCommand->add_option("--scope", statsScope, "text searched: full, main or notes")
        ->check(CLI::IsMember({"full", "main", "notes"}));
    statsCommand->add_flag("--no-variants", statsNoVariants,
                           "variant forms do not count as the same");
    statsCommand->add_option("--entry", stats.entrySlot, "catalogue slot limiting the search")
        ->check(CLI::Range(0, 65535));
    statsCommand->add_flag("--json", stats.json, "as JSON");
    statsCommand->add_option("KEYWORD", stats.keywords, "keywords ('*' and '?' are wildcards)")
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

    cli::ParallelsRequest parallels;
    std::uint32_t passageRecord = 0;
    std::string passageText;
    bool parallelsExact = false;
    auto* parallelsCommand =
        app.add_subcommand("parallels", "pages sharing a run of characters with a passage");
    auto* recordOption =
        parallelsCommand->add_option("--record", passageRecord, "the whole page of this record");
    auto* textOption = parallelsCommand->add_option("--text", passageText, "this passage");
    recordOption->excludes(textOption);
    parallelsCommand->add_option("--min", parallels.minRun, "shortest shared run (3 to 20)")
        ->check(CLI::Range(3, 20));
    parallelsCommand->add_flag("--no-variants", parallelsExact,
                               "variant forms do not count as the same");
    parallelsCommand->add_flag("--json", parallels.json, "the rows as JSON");

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
            if (entryOption->count() > 0) search.entrySlot = entrySlot;
            if (scope == "main") search.scope = cli::SearchScope::Main;
            if (scope == "notes") search.scope = cli::SearchScope::Notes;
            search.sort = sort == "left" ? 1 : sort == "right" ? 2 : 0;
            if (fromStdin) return cli::RunSearchBatch(dataDir, search, std::cin);
            if (search.keywords.empty()) {
                std::cerr << "orvale-cli: search needs KEYWORD or --stdin" << std::endl;
                return cli::kExitRefused;
            }
            return cli::RunSearch(dataDir, search);
        }
        if (statsCommand->parsed()) {
            stats.stats = true;
            stats.variants = !statsNoVariants;
            if (statsScope == "main") stats.scope = cli::SearchScope::Main;
            if (statsScope == "notes") stats.scope = cli::SearchScope::Notes;
            return cli::RunSearch(dataDir, stats);
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
        if (parallelsCommand->parsed()) {
            if (recordOption->count() + textOption->count() == 0) {
                std::cerr << "orvale-cli: parallels needs --record or --text" << std::endl;
                return cli::kExitRefused;
            }
            if (recordOption->count() > 0) parallels.record = passageRecord;
            if (textOption->count() > 0) parallels.text = passageText;
            parallels.variants = !parallelsExact;
            return cli::RunParallels(dataDir, parallels, std::cout, std::cerr);
        }
        return cli::kExitRefused;
    });
}
