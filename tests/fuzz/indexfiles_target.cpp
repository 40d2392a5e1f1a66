// Fuzz target: the index header and postings. The input describes one index
// pair: the first block and last page of four characters, the next-block
// table and the postings bytes, and how the header file is cut. It is written
// beside a small valid page store, loaded into one CIndex (reused, as the
// reader reuses its index on every scope switch) and searched; then again
// with an accelerator file, intact and with one byte changed.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "engine/index.h"
#include "engine/indexcode.h"
#include "tests/fuzz/acceleratorcheck.h"
#include "tests/fuzz/fuzzfolder.h"
#include "tests/fuzz/fuzzinput.h"
#include "tests/fuzz/fuzztargets.h"
#include "tests/fuzz/invariants.h"

namespace fuzz {
namespace {

constexpr char32_t kCharacters[] = {U'一', U'二', U'三', U'四'};

void PutU32(std::string& bytes, std::size_t offset, std::uint32_t value) {
    if (offset + 4 > bytes.size()) return;
    std::memcpy(bytes.data() + offset, &value, 4);
}

// A header of the five tables with no postings for any code.
const std::string& EmptyHeader() {
    static const std::string header = [] {
        std::string bytes(engine::kHeaderTablesSize, '\0');
        std::fill(bytes.begin(), bytes.begin() + 400000, '\xFF');
        return bytes;
    }();
    return header;
}

bool WritePageStoreOnce() {
    static const bool written = [] {
        std::string header;
        const auto le32 = [&header](std::uint32_t v) {
            header.append(reinterpret_cast<const char*>(&v), 4);
        };
        le32(1);
        le32(16);
        header.append(260, '\0');
        const std::string page = "<html><title>t</title><TD>一二三四</TD><TD>一二三四</TD></html>";
        std::string name = "a\\b\\1.htm";
        name.resize(16, '\0');
        header += name;
        le32(static_cast<std::uint32_t>(page.size()));
        le32(static_cast<std::uint32_t>(page.size()));
        std::string content = page;
        for (char& c : content) c = static_cast<char>(c ^ 0xA7);
        return WriteFuzzFile("Index-fl.h", header) && WriteFuzzFile("Index-fl.cnt", content);
    }();
    return written;
}

}  // namespace

int FuzzIndexFiles(const std::uint8_t* data, std::size_t size) {
    if (!WritePageStoreOnce()) return 0;
    FuzzInput in(data, size);
    const std::uint8_t flags = in.Byte();

    std::string header = EmptyHeader();
    for (char32_t c : kCharacters) {
        const auto code = static_cast<std::size_t>(engine::IndexCodeOf(c));
        PutU32(header, code * 4, in.U32());
        PutU32(header, 1000000 + code * 4, in.U32());
    }
    const std::uint8_t blocks = in.Byte();
    for (int b = 0; b < blocks; ++b) {
        const std::uint32_t next = in.U32();
        header.append(reinterpret_cast<const char*>(&next), 4);
    }
    switch (flags & 3) {
        case 1:  // one to three trailing bytes, ignored by the reader
            header.append(1 + flags / 4 % 3, '\x5A');
            break;
        case 2:  // a header too short to hold the tables
            header.resize(engine::kHeaderTablesSize - 1 - (flags >> 2));
            break;
        default:
            break;
    }
    const std::string_view postings = in.Rest();
    if (!WriteFuzzFile("Index-idx.h", header)) return 0;
    if ((flags & 0x40) != 0) {
        RemoveFuzzFile("Index-idx.m");
    } else if (!WriteFuzzFile("Index-idx.m", postings)) {
        return 0;
    }

    static engine::CIndex index;
    if (!index.Load(FuzzFolder(), "Index", engine::Full)) return 0;
    static const char16_t* const kQueries[] = {u"一",       u"一二", u"一*三",   u"二?四",
                                               u"四三二一", u"*一*", u"一？？四"};
    for (const char16_t* text : kQueries) {
        std::u16string query = text;
        index.SearchAnd(query, true, false);
        CheckHitList(index, true);
    }
    std::u16string anyOf = u"一 四";
    index.SearchOr(anyOf, (flags & 0x80) != 0, false);
    CheckHitList(index, false);
    std::string html;
    index.ComposeHitPage(0, html, u"一二", 0, false);
    CheckAccelerator(data, size);
    return 0;
}

}  // namespace fuzz
