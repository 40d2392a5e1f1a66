// CFileList: the page store. Opens the pair <dataDir>/<baseName>-fl.h (a
// directory of fixed-width page records) and <baseName>-fl.cnt (the scrambled
// page texts) and answers: which record holds page P of a document, how long a
// page is, what its bytes are, and what it looks like rebuilt with the hits of
// a keyword string highlighted and anchored.
//
// Owned by CIndex, which opens and closes it with the index. Not thread-safe:
// one caller at a time. Every operation on a store that is not loaded, and on
// a record that does not exist or whose offsets point outside the content
// file, answers false (or 0 anchors) without touching its outputs.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/corpusfolder.h"

namespace pages {

// Every stored byte is the page byte XOR this key.
inline constexpr std::uint8_t kScrambleKey = 0xA7;
// Header: header value, name width, 260-byte block, then the records.
inline constexpr std::uint32_t kHeaderBlockSize = 260;
inline constexpr std::uint32_t kRecordsOffset = 268;
// Name width before a header is read, and the width orvale-build writes.
inline constexpr std::int32_t kDefaultNameWidth = 100;
inline constexpr std::int32_t kBuilderNameWidth = 32;
// Widest name field a header may declare; a wider one marks a damaged header.
inline constexpr std::int32_t kMaxNameWidth = 4096;
// Most records a store may hold: record indexes are packed numbers of the
// postings, which go up to 4,194,303.
inline constexpr std::uint64_t kMaxRecords = 4194304;

// Variant widening for the composer: for each UTF-16 unit of a keyword
// string, in order, the units it may be replaced by (a unit outside every
// variant group has the list holding itself alone).
using VariantChoices = std::vector<std::vector<char16_t>>;

class CFileList {
  public:
    CFileList();
    virtual ~CFileList();
    CFileList(const CFileList&) = delete;
    CFileList& operator=(const CFileList&) = delete;

    // Closes any open pair, then opens <baseName>-fl.h and -fl.cnt of the
    // folder (see engine::CorpusFolder) and reads the header. False when
    // either file cannot be opened or is not a regular file, the header is
    // shorter than its 268 fixed bytes, its name width is not in
    // 1..kMaxNameWidth, or it holds more than kMaxRecords records; the store
    // is then not loaded.
    bool Load(const engine::CorpusFolder& folder, const std::string& baseName);
    // The same after opening the folder dataDir.
    bool Load(const std::string& dataDir, const std::string& baseName);
    void Close();
    bool IsLoaded() const;

    // The header's first field (orvale-build writes the number of pages).
    std::int32_t HeaderValue() const;
    std::int32_t NameWidth() const;
    // Number of whole records in the header file; 0 when not loaded.
    std::uint32_t RecordCount() const;

    // The first record at or after firstRecord whose name carries page number
    // pageNo. recordIndex is left at the match, at the last record examined,
    // or at firstRecord - 1 when none was examined. False when not loaded, no
    // record matches, or the header cannot be read.
    bool FindPage(std::uint32_t firstRecord, std::uint32_t pageNo, std::int64_t& recordIndex);
    // The length field of a record. False (size untouched) when not loaded,
    // the record does not exist, or its offsets lie outside the content file.
    bool GetPageSize(std::uint32_t recordIndex, std::uint32_t& size);
    // The descrambled bytes of a record; page is resized to the page length.
    // False (page untouched) in the cases of GetPageSize and on a read error.
    bool ReadPage(std::uint32_t recordIndex, std::string& page);
    // The page number carried by a record's name, or -1 when it has none.
    // False (pageNo untouched) when not loaded or the record does not exist.
    bool GetPageNumber(std::uint32_t recordIndex, std::int32_t& pageNo);
    // ReadPage, and which cell holds the text (0 first, 1 second) as the
    // composer picks it from the page number.
    bool ReadPageAndParity(std::uint32_t recordIndex, std::string& page, int& parity) const {
        return ReadForComposition(recordIndex, page, parity);
    }

    // The page rebuilt in the frame template with every match of the keywords
    // (UTF-16, separated by U+0020 or U+3000) marked in the chosen text layer
    // (0 whole text, 1 main text, 2 annotations) and anchored 0000, 0001, ...
    // Returns the number of anchors; html is left untouched when the store is
    // not loaded, the record does not exist or no keyword is given.
    std::int32_t ComposeHitPage(std::uint32_t recordIndex, std::string& html,
                                std::u16string_view keywords, int textLayer);

    // The same bytes and count as ComposeHitPage with the keyword string that
    // lists every spelling obtainable from the choices (first unit varying
    // slowest, members in list order, spellings joined by single spaces),
    // without enumerating the spellings that cannot match the page. When a choice list offers a
    // separator beside other units, the words of a spelling depend on the
    // choice: the spellings are then enumerated one by one, and more than
    // kMaxEnumeratedSpellings of them answer 0 with html untouched.
    // typed: the keyword string the choices were made from (see ComposeWidened).
    std::int32_t ComposeHitPageWidened(std::uint32_t recordIndex, std::string& html,
                                       const VariantChoices& choices, int textLayer,
                                       std::u16string_view typed = {});

    static constexpr std::uint64_t kMaxEnumeratedSpellings = 1u << 20;

  private:
    struct Record {
        std::uint64_t endOffset = 0;
        std::uint32_t length = 0;
    };

    // Reads the end offset and length of an existing record and checks that
    // the page lies inside the content file.
    bool ReadRecord(std::uint32_t recordIndex, Record& record) const;
    // Reads the name field of an existing record (without its padding).
    bool ReadName(std::uint32_t recordIndex, std::string& name) const;
    bool ReadPageBytes(const Record& record, std::string& page) const;
    // Reads the page of a record and the parity of its page number.
    bool ReadForComposition(std::uint32_t recordIndex, std::string& page, int& parity) const;
    std::uint64_t RecordOffset(std::uint32_t recordIndex) const;

    int m_headerFd = -1;
    int m_contentFd = -1;
    bool m_loaded = false;
    std::int32_t m_nameWidth = kDefaultNameWidth;
    std::int32_t m_headerValue = 0;
    std::array<unsigned char, kHeaderBlockSize> m_headerBlock{};
    std::uint64_t m_headerSize = 0;
    std::uint64_t m_contentSize = 0;
};

}  // namespace pages
