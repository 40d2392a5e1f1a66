// Fuzz target: the page store header and content. The input holds the
// header file, the content file (still scrambled) and the questions asked:
// a page number to find, records to size, read and compose.
#include <string>

#include "pages/filelist.h"
#include "tests/fuzz/fuzzfolder.h"
#include "tests/fuzz/fuzzinput.h"
#include "tests/fuzz/fuzztargets.h"
#include "tests/fuzz/invariants.h"

namespace fuzz {

int FuzzPageStore(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    const std::uint8_t flags = in.Byte();
    const std::uint32_t firstRecord = in.Byte();
    const std::uint32_t pageNo = in.U16();
    const std::uint32_t farRecord = in.U32();
    const std::string_view header = in.Piece();
    const std::string_view content = in.Rest();
    if (!WriteFuzzFile("Index-fl.h", header) || !WriteFuzzFile("Index-fl.cnt", content)) return 0;

    static pages::CFileList store;
    if (!store.Load(FuzzFolder(), "Index")) {
        Require(!store.IsLoaded(), "a failed load left the store loaded");
        return 0;
    }
    std::int64_t found = -1;
    store.FindPage(firstRecord, pageNo, found);

    const std::uint32_t records = store.RecordCount();
    const std::uint32_t probes[] = {0, 1, 2, firstRecord, records, farRecord};
    static const char16_t* const kKeywords[] = {u"一", u"一*三", u"二?四 三", u"?", u"*"};
    for (std::uint32_t record : probes) {
        std::uint32_t pageSize = 0;
        const bool sized = store.GetPageSize(record, pageSize);
        std::string page;
        const bool read = store.ReadPage(record, page);
        Require(sized == read, "GetPageSize and ReadPage disagree on a record");
        Require(!read || page.size() == pageSize, "ReadPage gave another length than GetPageSize");
        Require(record < records || !read, "a record beyond the header was read");
        std::string html;
        store.ComposeHitPage(record, html, kKeywords[flags % 5], flags / 5 % 3);
        std::int32_t pageNumber = 0;
        store.GetPageNumber(record, pageNumber);
    }
    return 0;
}

}  // namespace fuzz
