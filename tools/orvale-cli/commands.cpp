#include "tools/orvale-cli/commands.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <iostream>

#include "engine/index.h"
#include "tools/orvale-build/utf8.h"
#include "tools/orvale-cli/batch_search.h"
#ifdef ORVALE_HAVE_ROWS_COMMAND
#include "tools/orvale-cli/rows_command.h"
#endif

namespace cli {
namespace {

constexpr const char* kOpenFailed = "データを開けませんでした。";

bool LoadCorpus(engine::CIndex& index, const std::string& dataDir, int scope) {
    if (index.Load(dataDir, "Index", scope)) return true;
    std::cerr << kOpenFailed << std::endl;
    return false;
}

bool WriteOut(const std::string& bytes) {
    return std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size() &&
           std::fflush(stdout) == 0;
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
    engine::CIndex index;
    if (!LoadCorpus(index, dataDir, EngineScope(request.scope))) return kExitMissing;
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
#ifdef ORVALE_HAVE_ROWS_COMMAND
    if (!request.raw) return PrintSearchRows(index, dataDir, request.entrySlot, request.json);
#endif
    return PrintRawHits(index);
}

int RunPage(const std::string& dataDir, std::uint32_t record,
            const std::optional<std::string>& keywords, int textLayer, bool variants) {
    std::u16string keywords16;
    if (keywords && !build::Utf8ToUtf16(*keywords, keywords16)) {
        std::cerr << "orvale-cli: the keywords are not valid UTF-8" << std::endl;
        return kExitRefused;
    }
    engine::CIndex index;
    if (!LoadCorpus(index, dataDir, engine::Full)) return kExitMissing;
    const std::uint32_t count = index.PageStore().RecordCount();
    if (record >= count) {
        std::cerr << "orvale-cli: there is no page record " << record << "; the store holds "
                  << count << std::endl;
        return kExitMissing;
    }
    std::string bytes;
    if (!index.ReadPage(record, bytes)) {
        std::cerr << "orvale-cli: page record " << record
                  << " cannot be read: the page store is damaged" << std::endl;
        return kExitMissing;
    }
    if (!keywords) return WriteOut(bytes) ? kExitOk : kExitMissing;
    bytes.clear();
    const std::int32_t anchors =
        index.ComposeHitPage(record, bytes, keywords16, textLayer, variants && !keywords16.empty());
    if (!WriteOut(bytes)) return kExitMissing;
    std::cerr << "anchors: " << anchors << std::endl;
    return kExitOk;
}

int RunFindPage(const std::string& dataDir, std::uint32_t firstRecord, std::uint32_t pageNo) {
    engine::CIndex index;
    if (!LoadCorpus(index, dataDir, engine::Full)) return kExitMissing;
    std::int64_t record = 0;
    if (!index.FindPage(firstRecord, pageNo, record)) {
        std::cerr << "orvale-cli: no page " << pageNo << " at or after record " << firstRecord
                  << std::endl;
        return kExitMissing;
    }
    std::cout << record << std::endl;
    return kExitOk;
}

int RunCatalogue(const std::string& dataDir) {
#ifdef ORVALE_HAVE_ROWS_COMMAND
    return PrintCatalogue(dataDir);
#else
    (void)dataDir;
    std::cerr << "orvale-cli: this build has no catalogue listing" << std::endl;
    return kExitRefused;
#endif
}

}  // namespace cli
