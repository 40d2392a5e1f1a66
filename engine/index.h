// CIndex: one loaded corpus index and everything a search needs.
//
// Holds the header tables of one scope's index in memory, the postings file
// mapped read-only, the page store (m_list), the variant table and the hit
// list of the last search. Load opens <dataDir>/<baseName><suffix>-idx.h and
// -idx.m (suffix "" whole text, "_desc" annotations, "_content" main text)
// and the page store <dataDir>/<baseName>-fl.*, taking a shared advisory lock
// on both index files so that any number of readers may share one corpus.
//
// Reports by return values only; nothing is thrown. Damaged postings (a block
// number beyond the file, a chain that loops) end that character's postings
// and set PostingsDamaged(). Not thread-safe: one caller at a time.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/indexcode.h"
#include "pages/filelist.h"

namespace engine {

inline constexpr std::uint32_t kBlockSize = 4096;
inline constexpr std::uint32_t kHeaderTablesSize = 1400000;

enum IndexScope { Full = 0, Desc = 1, Content = 2 };
enum MergeMode { Replace = 0, Union = 1, Intersect = 2 };

// Why the last search answered as it did.
enum class SearchStatus {
    Ok,             // ran; the hit list holds the result
    Refused,        // empty, only separators, or a character below U+0100 other
                    // than space, '*' and '?': the hit list is unchanged
    TermTooLong,    // a term exceeds 319 code units after normalisation
    TooManyParts,   // a term needs more than 300 cursors or segments
};

// The message a user should see for a status other than Ok.
const char* SearchStatusMessage(SearchStatus status);

class CIndex {
public:
    CIndex();
    virtual ~CIndex();
    CIndex(const CIndex&) = delete;
    CIndex& operator=(const CIndex&) = delete;

    // Loads one scope (IndexScope; any other value behaves as Full). Reloads
    // the variant table first (a missing one leaves it empty). False when a
    // file is missing, unreadable, too short or unmappable, or the page store
    // does not load: the index is then unloaded. Empties the hit pages.
    bool Load(const std::string& dataDir, const std::string& baseName, int scope);
    void Unload();
    bool IsLoaded() const;

    std::int32_t GetListHeaderValue() const;
    bool FindPage(std::uint32_t firstRecord, std::uint32_t pageNo, std::int64_t& recordIndex);
    bool GetPageSize(std::uint32_t recordIndex, std::uint32_t& size);
    bool ReadPage(std::uint32_t recordIndex, std::string& page);
    pages::CFileList& PageStore();

    // Composes a result page (see CFileList::ComposeHitPage); with useVariants
    // every character may stand for any member of its variant group.
    std::int32_t ComposeHitPage(std::uint32_t recordIndex, std::string& html,
                                std::u16string_view keywords, int textLayer, bool useVariants);

    // Variant table.
    void LoadVariants(const std::string& dataDir);
    bool MapVariant(char32_t codePoint, int& code) const;
    std::vector<std::u16string> ExpandVariants(std::u16string_view keywords) const;
    pages::VariantChoices VariantChoicesOf(std::u16string_view keywords) const;
    const std::vector<std::vector<std::uint32_t>>& Variants() const;

    // Search. query is rewritten in place: every U+0020 becomes U+3000 unless
    // the query is refused. Returns the sum of the terms' results.
    int CountTerms(std::u16string_view query) const;
    int SearchAnd(std::u16string& query, bool countHits, bool useVariants);
    int SearchOr(std::u16string& query, bool countHits, bool useVariants);
    int SearchTerm(std::u16string_view term, MergeMode mode, bool countHits, bool useVariants);
    SearchStatus LastStatus() const;
    bool PostingsDamaged() const;

    const std::vector<std::uint32_t>& GetHitPages() const;
    const std::vector<std::uint32_t>& GetHitCounts() const;
    std::int32_t HitPageCount() const;

private:
    // Members are the implementation's own; see index.cpp.
};

}  // namespace engine
