// orvale-cli: searches and reads an Orvale corpus from the command line.
// Commands: search, page, find-page, catalogue (see --help of each). Exit
// status: 0 success, 1 the thing asked for does not exist or the corpus
// cannot be opened, 2 a refused or malformed request.
#include <CLI/CLI.hpp>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "tools/orvale-cli/batch_search.h"
#include "tools/orvale-cli/commands.h"

int main(int argc, char** argv) {
    CLI::App app{"Searches and reads an Orvale corpus.", "orvale-cli"};
    app.require_subcommand(1);
    app.fallthrough();
    std::string dataDir;
    app.add_option("--data", dataDir, "corpus folder (default: the folder of this program)");
    app.footer(
        "Exit status: 0 success, 1 not found or the corpus cannot be opened, 2 refused or "
        "malformed request.\n");

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
    auto* keywordOption = searchCommand->add_option("KEYWORD", search.keywords,
                                                    "keywords ('*' and '?' are wildcards)");
    bool fromStdin = false;
    searchCommand
        ->add_flag("--stdin", fromStdin,
                   "one keyword string per input line; each answer ends with an empty line "
                   "(with --json: one object per line)")
        ->excludes(keywordOption);

    std::uint32_t record = 0;
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

    std::uint32_t firstRecord = 0;
    std::uint32_t pageNo = 0;
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
    if (dataDir.empty()) dataDir = cli::ExecutableFolder();

    if (searchCommand->parsed()) {
        search.variants = !noVariants;
        if (scope == "main") search.scope = cli::SearchScope::Main;
        if (scope == "notes") search.scope = cli::SearchScope::Notes;
        if (fromStdin) return cli::RunSearchBatch(dataDir, search, std::cin);
        if (search.keywords.empty()) {
            std::cerr << "orvale-cli: search needs KEYWORD or --stdin" << std::endl;
            return cli::kExitRefused;
        }
        return cli::RunSearch(dataDir, search);
    }
    if (pageCommand->parsed()) {
        std::optional<std::string> given;
        if (keywordsOption->count() > 0) given = keywords;
        return cli::RunPage(dataDir, record, given, layer, variants);
    }
    if (findCommand->parsed()) return cli::RunFindPage(dataDir, firstRecord, pageNo);
    if (catalogueCommand->parsed()) return cli::RunCatalogue(dataDir);
    return cli::kExitRefused;
}
