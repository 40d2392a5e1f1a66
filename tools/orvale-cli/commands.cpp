#include "tools/orvale-cli/commands.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <iostream>

#include "engine/index.h"
#include "pages/highlight.h"
#include "tools/orvale-build/utf8.h"
#include "tools/orvale-cli/batch_search.h"
#ifdef ORVALE_HAVE_ROWS_COMMAND
#include "tools/orvale-cli/kwic_command.h"
#include "tools/orvale-cli/rows_command.h"
#endif

namespace cli {
namespace {

constexpr const char* kOpenFailed = "データを開けませんでした。";

// Opens the corpus folder once and loads the index, and whatever else the
// command reads (alsoLoad), through it, so every file comes from one corpus.
// A rebuild that swaps the folder meanwhile can make the old files vanish;
// the load is then tried again on the new folder.
bool LoadCorpus(engine::CIndex& index, const std::string& dataDir, int scope,
                engine::CorpusFolder& folder,
                const std::function<bool(const engine::CorpusFolder&)>& alsoLoad = {}) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (folder.Open(dataDir) && index.Load(folder, "Index", scope) &&
            (!alsoLoad || alsoLoad(folder))) {
            return true;
        }
        if (folder.IsOpen() && folder.StillAt(dataDir)) break;
    }
    folder.Close();
    std::cerr << kOpenFailed << std::endl;
    return false;
}

bool WriteOut(const std::string& bytes) {
    return std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size() &&
           std::fflush(stdout) == 0;
}

const char* ScopeStem(int scope) {
    if (scope == engine::Content) return "Index_content";
    if (scope == engine::Desc) return "Index_desc";
    return "Index";
}

// One line on stderr naming the damaged postings; the hits found before the
// damage have been printed.
int ReportDamagedPostings(const std::string& dataDir, int scope, int status) {
    const std::string stem = dataDir + "/" + ScopeStem(scope);
    std::cerr << "orvale-cli: " << stem << "-idx.m (or its block table in " << stem
              << "-idx.h) is damaged; the result is incomplete" << std::endl;
    return status == kExitOk ? kExitDamaged : status;
}

int PrintRawHits(const engine::CIndex& index) {
    return WriteOut(RawHitLines(index)) ? kExitOk : kExitMissing;
}

}  // namespace

std::string ExecutableFolder() {
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec || !exe.has_parent_path()) return ".";
    return exe.parent_path().string();
}

int RunSearch(const std::string& dataDir, const SearchRequest& request) {
    std::string joined;
    for (const std::string& keyword : request.keywords) {
        if (!joined.empty()) joined += ' ';
        joined += keyword;
    }
    std::u16string query;
    if (!build::Utf8ToUtf16(joined, query)) {
        std::cerr << "orvale-cli: the keywords are not valid UTF-8" << std::endl;
        return kExitRefused;
    }
    const int scope = EngineScope(request.scope);
    engine::CIndex index;
    engine::CorpusFolder folder;
#ifdef ORVALE_HAVE_ROWS_COMMAND
    // The rows name the pages by the catalogue of the same corpus. A missing
    // kvt.dir is reported with the rows, unless a rebuild took it away.
    panel::Catalogue catalogue;
    panel::CatalogueLoadResult catalogueLoad;
    const auto loadCatalogue = [&](const engine::CorpusFolder& opened) {
        if (request.raw) return true;
        catalogueLoad = catalogue.LoadCatalogue(opened, "");
        return catalogueLoad.opened || opened.StillAt(dataDir);
    };
    if (!LoadCorpus(index, dataDir, scope, folder, loadCatalogue)) return kExitMissing;
#else
    if (!LoadCorpus(index, dataDir, scope, folder)) return kExitMissing;
#endif
    TellAccelerator(index);
    if (request.anyKeyword) {
        index.SearchOr(query, true, request.variants);
    } else {
        index.SearchAnd(query, true, request.variants);
    }
    TellAccelerator(index);
    if (const engine::SearchStatus status = index.LastStatus();
        status != engine::SearchStatus::Ok) {
        std::cerr << engine::SearchStatusMessage(status) << std::endl;
        return kExitRefused;
    }
    int status = kExitOk;
#ifdef ORVALE_HAVE_ROWS_COMMAND
    const int slot = EntrySlotOf(request);
    if (request.kwic || request.stats) {
        const KwicOptions options{request.width, static_cast<engine::KwicSort>(request.sort),
                                  request.scope == SearchScope::Main    ? 1
                                  : request.scope == SearchScope::Notes ? 2
                                                                        : 0,
                                  request.variants, request.json};
        status = PrintSearchOutput(index, dataDir, slot, query, options, request.stats);
    } else if (!request.raw) {
        status = PrintSearchRows(index, catalogue, catalogueLoad, dataDir, slot, request.json);
    } else
#endif
    {
        status = PrintRawHits(index);
    }
    if (index.PostingsDamaged()) return ReportDamagedPostings(dataDir, scope, status);
    return status;
}

int RunPage(const std::string& dataDir, std::uint32_t record,
            const std::optional<std::string>& keywords, int textLayer, bool variants) {
    std::u16string keywords16;
    if (keywords && !build::Utf8ToUtf16(*keywords, keywords16)) {
        std::cerr << "orvale-cli: the keywords are not valid UTF-8" << std::endl;
        return kExitRefused;
    }
    engine::CIndex index;
    // The keywords that mark a page are the ones a search accepts.
    if (keywords) {
        if (const engine::SearchStatus status = index.CheckQuery(keywords16);
            status != engine::SearchStatus::Ok) {
            std::cerr << engine::SearchStatusMessage(status) << " (--keywords '" << *keywords
                      << "')" << std::endl;
            return kExitRefused;
        }
    }
    engine::CorpusFolder folder;
    if (!LoadCorpus(index, dataDir, engine::Full, folder)) return kExitMissing;
    const std::uint32_t count = index.PageStore().RecordCount();
    if (record >= count) {
        std::cerr << "orvale-cli: there is no page record " << record << "; the store holds "
                  << count << std::endl;
        return kExitMissing;
    }
    std::string bytes;
    if (!index.ReadPage(record, bytes)) {
        std::cerr << "orvale-cli: page record " << record << " cannot be read: " << dataDir
                  << "/Index-fl.h or " << dataDir << "/Index-fl.cnt is damaged" << std::endl;
        return kExitDamaged;
    }
    if (!keywords) return WriteOut(bytes) ? kExitOk : kExitMissing;
    bytes.clear();
    const std::int32_t anchors =
        index.ComposeHitPage(record, bytes, keywords16, textLayer, variants && !keywords16.empty());
    if (!WriteOut(bytes)) return kExitMissing;
    std::cerr << "anchors: " << anchors << std::endl;
    if (anchors >= pages::kMaxPageAnchors) {
        std::cerr << "orvale-cli: the page holds more matches than a page may mark; the first "
                  << pages::kMaxPageAnchors << " anchors are marked" << std::endl;
    }
    return kExitOk;
}

int RunFindPage(const std::string& dataDir, std::uint32_t firstRecord, std::uint32_t pageNo) {
    engine::CIndex index;
    engine::CorpusFolder folder;
    if (!LoadCorpus(index, dataDir, engine::Full, folder)) return kExitMissing;
    std::int64_t record = 0;
    if (!index.FindPage(firstRecord, pageNo, record)) {
        std::cerr << "orvale-cli: no page " << pageNo << " at or after record " << firstRecord
                  << std::endl;
        return kExitMissing;
    }
    std::cout << record << '\n';
    return kExitOk;
}

int RunCatalogue(const std::string& dataDir) {
#ifdef ORVALE_HAVE_ROWS_COMMAND
    engine::CorpusFolder folder;
    folder.Open(dataDir);
    return PrintCatalogue(folder, dataDir);
#else
    (void)dataDir;
    std::cerr << "orvale-cli: this build has no catalogue listing" << std::endl;
    return kExitRefused;
#endif
}

}  // namespace cli
