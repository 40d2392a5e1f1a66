#include "pages/filelist.h"

#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <optional>
#include <unordered_set>

#include "engine/codeconverter.h"
#include "pages/characterpass.h"
#include "pages/findbytes.h"
#include "pages/highlight.h"
#include "pages/pagecomposer.h"
#include "pages/pagenumber.h"
#include "pages/widening.h"

namespace pages {

namespace {

std::uint32_t ReadLe32(const unsigned char* p) {
    return std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) |
           (std::uint32_t{p[3]} << 24);
}

// Whether keyword holds no wildcard: '*', '?' or the full-width question mark.
bool IsLiteral(std::string_view keyword) {
    return keyword.find_first_of("*?") == std::string_view::npos &&
           keyword.find("\xEF\xBC\x9F") == std::string_view::npos;
}

// The name field up to its first NUL (the whole field when it has none).
std::string_view NameOfField(const char* field, std::size_t width) {
    const void* nul = std::memchr(field, 0, width);
    return {field, nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - field) : width};
}

}  // namespace

CFileList::CFileList() = default;

CFileList::~CFileList() { Close(); }

bool CFileList::Load(const std::string& dataDir, const std::string& baseName) {
    engine::CorpusFolder folder;
    if (!folder.Open(dataDir)) {
        Close();
        return false;
    }
    return Load(folder, baseName);
}

bool CFileList::Load(const engine::CorpusFolder& folder, const std::string& baseName) {
    Close();
    std::uint64_t headerSize = 0;
    std::uint64_t contentSize = 0;
    m_headerFd = folder.OpenFile(baseName + "-fl.h", headerSize).Release();
    if (m_headerFd < 0) return false;
    m_contentFd = folder.OpenFile(baseName + "-fl.cnt", contentSize).Release();
    if (m_contentFd < 0) {
        Close();
        return false;
    }

    unsigned char fixed[kRecordsOffset];
    if (headerSize < kRecordsOffset || !engine::ReadFully(m_headerFd, fixed, sizeof fixed, 0)) {
        Close();
        return false;
    }
    const auto nameWidth = static_cast<std::int32_t>(ReadLe32(fixed + 4));
    if (nameWidth <= 0 || nameWidth > kMaxNameWidth ||
        (headerSize - kRecordsOffset) / (static_cast<std::uint64_t>(nameWidth) + 8) > kMaxRecords) {
        Close();
        return false;
    }
    m_headerValue = static_cast<std::int32_t>(ReadLe32(fixed));
    m_nameWidth = nameWidth;
    std::memcpy(m_headerBlock.data(), fixed + 8, kHeaderBlockSize);
    m_headerSize = headerSize;
    m_contentSize = contentSize;
    m_loaded = true;
    return true;
}

void CFileList::Close() {
    if (m_headerFd >= 0) close(m_headerFd);
    if (m_contentFd >= 0) close(m_contentFd);
    m_headerFd = -1;
    m_contentFd = -1;
    m_loaded = false;
    m_headerSize = 0;
    m_contentSize = 0;
}

bool CFileList::IsLoaded() const { return m_loaded; }

std::int32_t CFileList::HeaderValue() const { return m_headerValue; }

std::int32_t CFileList::NameWidth() const { return m_nameWidth; }

std::uint32_t CFileList::RecordCount() const {
    if (!m_loaded) return 0;
    const std::uint64_t count =
        (m_headerSize - kRecordsOffset) / (static_cast<std::uint64_t>(m_nameWidth) + 8);
    return count > UINT32_MAX ? UINT32_MAX : static_cast<std::uint32_t>(count);
}

std::uint64_t CFileList::RecordOffset(std::uint32_t recordIndex) const {
    return kRecordsOffset +
           std::uint64_t{recordIndex} * (static_cast<std::uint64_t>(m_nameWidth) + 8);
}

bool CFileList::FindPage(std::uint32_t firstRecord, std::uint32_t pageNo,
                         std::int64_t& recordIndex) {
    recordIndex = std::int64_t{firstRecord} - 1;
    if (!m_loaded) return false;
    const std::uint32_t count = RecordCount();
    const std::size_t recordSize = static_cast<std::size_t>(m_nameWidth) + 8;
    // Names are read many records at a time: a scan may cross the whole file.
    const std::size_t perChunk = std::max<std::size_t>(1, (256u << 10) / recordSize);
    std::string chunk;
    for (std::uint32_t first = firstRecord; first < count;) {
        const std::size_t n = std::min<std::size_t>(perChunk, count - first);
        chunk.resize(n * recordSize);
        if (!engine::ReadFully(m_headerFd, chunk.data(), chunk.size(), RecordOffset(first))) {
            recordIndex = first;
            return false;
        }
        for (std::size_t k = 0; k < n; ++k) {
            recordIndex = std::int64_t{first} + static_cast<std::int64_t>(k);
            std::int32_t number = 0;
            const std::string_view name =
                NameOfField(chunk.data() + k * recordSize, static_cast<std::size_t>(m_nameWidth));
            if (PageNumberOfName(name, number) && number >= 0 &&
                static_cast<std::uint32_t>(number) == pageNo) {
                return true;
            }
        }
        first += static_cast<std::uint32_t>(n);
    }
    return false;
}

bool CFileList::ReadRecord(std::uint32_t recordIndex, Record& record) const {
    if (!m_loaded || recordIndex >= RecordCount()) return false;
    unsigned char numbers[8];
    if (!engine::ReadFully(m_headerFd, numbers, sizeof numbers,
                           RecordOffset(recordIndex) + static_cast<std::uint64_t>(m_nameWidth))) {
        return false;
    }
    const std::uint32_t endOffset = ReadLe32(numbers);
    const std::uint32_t length = ReadLe32(numbers + 4);
    // A damaged record must not send a read before the file or past its end.
    if (length > endOffset || endOffset > m_contentSize) return false;
    record.endOffset = endOffset;
    record.length = length;
    return true;
}

bool CFileList::ReadName(std::uint32_t recordIndex, std::string& name) const {
    if (!m_loaded || recordIndex >= RecordCount()) return false;
    std::string field(static_cast<std::size_t>(m_nameWidth), '\0');
    if (!engine::ReadFully(m_headerFd, field.data(), field.size(), RecordOffset(recordIndex))) {
        return false;
    }
    name = NameOfField(field.data(), field.size());
    return true;
}

bool CFileList::ReadPageBytes(const Record& record, std::string& page) const {
    // A damaged record may name a length no process can hold: a failed read.
    std::string bytes;
    try {
        bytes.resize(record.length);
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (!engine::ReadFully(m_contentFd, bytes.data(), bytes.size(),
                           record.endOffset - record.length)) {
        return false;
    }
    for (char& c : bytes) c = static_cast<char>(static_cast<unsigned char>(c) ^ kScrambleKey);
    page.swap(bytes);
    return true;
}

bool CFileList::GetPageSize(std::uint32_t recordIndex, std::uint32_t& size) {
    Record record;
    if (!ReadRecord(recordIndex, record)) return false;
    size = record.length;
    return true;
}

bool CFileList::ReadPage(std::uint32_t recordIndex, std::string& page) {
    Record record;
    return ReadRecord(recordIndex, record) && ReadPageBytes(record, page);
}

bool CFileList::GetPageNumber(std::uint32_t recordIndex, std::int32_t& pageNo) {
    std::string name;
    if (!ReadName(recordIndex, name)) return false;
    std::int32_t number = -1;
    pageNo = PageNumberOfName(name, number) ? number : -1;
    return true;
}

bool CFileList::ReadForComposition(std::uint32_t recordIndex, std::string& page,
                                   int& parity) const {
    std::string name;
    Record record;
    if (!ReadName(recordIndex, name) || !ReadRecord(recordIndex, record) ||
        !ReadPageBytes(record, page)) {
        return false;
    }
    std::int32_t number = 0;
    if (!PageNumberOfName(name, number)) number = 0;
    parity = (number % 2 == 0) ? 0 : 1;
    return true;
}

std::int32_t CFileList::ComposeHitPage(std::uint32_t recordIndex, std::string& html,
                                       std::u16string_view keywords, int textLayer) {
    std::string page;
    int parity = 0;
    if (!ReadForComposition(recordIndex, page, parity)) return 0;
    if (keywords.empty()) return 0;

    std::int32_t anchors = 0;
    bool framed = false;
    std::unordered_set<std::string> seen;
    // Keywords of one character in a row are marked together in one pass;
    // any other keyword is a pass of its own, in the keywords' order.
    std::vector<std::string> characters;
    std::optional<CrossCounter> crossCounter;  // counted once, for the longer keywords
    const auto pass = [&](auto&& compose) {
        html.clear();
        compose();
        page.swap(html);
        framed = true;
    };
    const auto flushCharacters = [&] {
        if (characters.empty()) return;
        pass([&] { ComposeCharacterPass(page, html, characters, parity, textLayer, anchors); });
        characters.clear();
    };
    std::size_t start = 0;
    while (start < keywords.size()) {
        if (IsKeywordSeparator(keywords[start])) {
            ++start;
            continue;
        }
        std::size_t stop = start;
        while (stop < keywords.size() && !IsKeywordSeparator(keywords[stop])) ++stop;
        std::string keyword;
        engine::Utf16ToUtf8(keywords.substr(start, stop - start), keyword, true);
        start = stop;
        // Once the page holds as many anchors as it may, no pass can add one.
        if (framed && anchors >= kMaxPageAnchors) break;
        if (!seen.insert(keyword).second) continue;
        // A keyword that cannot match leaves a composed page as it is; the
        // first pass also puts the stored page into the result frame.
        if (framed && !MayMatchIn(page, keyword)) continue;
        if (IsOneIndexedCharacter(keyword)) {
            characters.push_back(std::move(keyword));
            continue;
        }
        flushCharacters();
        if (!crossCounter) crossCounter.emplace(CrossCounterOf(page, parity, textLayer));
        // A keyword without wildcards whose bytes stand nowhere in the page
        // and that matches nothing across markup would leave it unchanged.
        if (framed && IsLiteral(keyword) && FindBytes(page, keyword) == std::string_view::npos &&
            !crossCounter->Any(keyword)) {
            continue;
        }
        pass([&] {
            ComposeTermPass(page, html, keyword, parity, textLayer, anchors, &*crossCounter);
        });
    }
    flushCharacters();
    if (framed) html.swap(page);
    return anchors;
}

std::int32_t CFileList::ComposeHitPageWidened(std::uint32_t recordIndex, std::string& html,
                                              const VariantChoices& choices, int textLayer,
                                              std::u16string_view typed) {
    std::string page;
    int parity = 0;
    if (!ReadForComposition(recordIndex, page, parity)) return 0;
    return ComposeWidened(page, parity, html, choices, textLayer, kMaxEnumeratedSpellings,
                          kMaxWidenedWorkBytes, typed);
}

}  // namespace pages
