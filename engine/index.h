// CIndex: one loaded corpus index and everything a search needs.
//
// Holds the header tables of one scope's index in memory, the postings file
// mapped read-only, the page store (m_list), the variant table and the hit
// list of the last search. Load opens <dataDir>/<baseName><suffix>-idx.h and
// -idx.m (suffix "" whole text, "_desc" annotations, "_content" main text)
// and the page store <dataDir>/<baseName>-fl.*, taking a shared advisory lock
// on both index files so that any number of readers may share one corpus.
//
// Reports by return values only; nothing is thrown and nothing is shown: a
// failed Load returns false and the caller tells the user. Damaged postings
// (a block number beyond the file or the next-block table, a chain that
// loops, an entry running past the file, pages out of order) end that
// character's postings and set PostingsDamaged(); nothing is read outside the
// mapping. Not thread-safe: one caller at a time.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/accelerator.h"
#include "engine/corpusfolder.h"
#include "engine/hitlist.h"
#include "engine/indexcode.h"
#include "engine/mappedfile.h"
#include "engine/termmatcher.h"
#include "engine/termplan.h"
#include "engine/varianttable.h"
#include "pages/filelist.h"

namespace engine {

inline constexpr std::uint32_t kBlockSize = kPostingsBlockSize;
inline constexpr std::uint32_t kHeaderTablesSize = 1400000;

enum IndexScope { Full = 0, Desc = 1, Content = 2 };

// Why the last search answered as it did.
enum class SearchStatus {
    Ok,            // ran; the hit list holds the result
    Refused,       // empty, only separators, or a character below U+0100 other
                   // than space, '*' and '?': the hit list is unchanged
    TermTooLong,   // a term exceeds 319 code units after normalisation
    TooManyParts,  // a term needs more than 300 cursors or segments
    TooManyTerms,  // more than kMaxQueryTerms different terms
};

// Different terms one query may hold: each term is a pass over its
// characters' postings, and the bound keeps any query's work bounded (a term
// repeated counts once).
inline constexpr std::size_t kMaxQueryTerms = 64;

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
    // The header's table E may not list more blocks than a postings file
    // under 4 GiB holds, and the postings file must be under 4 GiB. Every
    // file is opened through one folder handle (see CorpusFolder), so one
    // Load never mixes two corpora; the dataDir form opens the folder first.
    bool Load(const CorpusFolder& folder, const std::string& baseName, int scope);
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
    std::vector<std::vector<std::uint32_t>> Variants() const;
    const VariantTable& VariantGroups() const { return m_variants; }

    // Search. Terms are separated by U+0020 or U+3000; '*' stands for 0 to 300
    // characters, '?' and U+FF1F for exactly one. SearchAnd keeps the pages
    // holding every term (ascending), SearchOr the pages holding any term (the
    // first term's pages, then each later term's new pages). With countHits
    // the counts are the hit places of all terms on each page.
    //
    // CountTerms: the number of terms, 0 when the query must be refused.
    // SearchAnd / SearchOr: the sum of the terms' results (0 when refused).
    // SearchAnd runs its terms rarest first, each only on the pages the
    // earlier ones left, and sums the results in that order; the hit list is
    // the same in any order.
    // A refused query (LastStatus() other than Ok: see SearchStatus) leaves
    // the hit list and the query untouched; otherwise every U+0020 of query
    // becomes U+3000. SearchTerm runs one term and folds it in by mode;
    // returns the hit page count afterwards, or 0 for a term without cursor
    // (which empties the list unless mode is Union).
    int CountTerms(std::u16string_view query) const;
    int SearchAnd(std::u16string& query, bool countHits, bool useVariants);
    int SearchOr(std::u16string& query, bool countHits, bool useVariants);
    int SearchTerm(std::u16string_view term, MergeMode mode, bool countHits, bool useVariants);
    SearchStatus LastStatus() const;
    // Checks every term of a query (or of the keywords a page is composed
    // with) as a search would, changing nothing. Ok, or the reason the query
    // is refused.
    SearchStatus CheckQuery(std::u16string_view query);
    // Whether the last SearchAnd / SearchOr (or the SearchTerm calls since)
    // met damaged postings; the result then lacks what lay beyond the damage.
    bool PostingsDamaged() const;

    const std::vector<std::uint32_t>& GetHitPages() const;
    const std::vector<std::uint32_t>& GetHitCounts() const;
    std::int32_t HitPageCount() const;

    // The parts of the loaded index that matching reads (tables A and D, the
    // mapped postings and table E); all null when not loaded.
    PostingsTables Tables() const;
    // Bytes the codes' entry tables may keep between searches (tuning and
    // tests; the results never depend on it).
    void SetEntryTableBudget(std::size_t bytes);

    // The accelerator file of the loaded scope (see engine/accelerator.h):
    // whether it is used, after the checks a search leaves for its first use,
    // and the sizes and header checksum it must name. Results are the same
    // either way.
    AcceleratorState AcceleratorStatus();
    // Runs the accelerator's checks that wait for its first use now, e.g.
    // right after a load that a user does not wait for, so that the first
    // search does not pay for them.
    void CheckAcceleratorNow() { AcceleratorStatus(); }
    IndexIdentity Identity() const;
    // Once per load, and once more if the file turns out stale or damaged at
    // its first use: a message that the searches run without the
    // accelerator; empty otherwise.
    std::string TakeAcceleratorNotice();

  private:
    int RunQuery(std::u16string& query, bool isAnd, bool countHits, bool useVariants);
    // The AND search of the distinct terms, rarest first.
    std::int64_t RunAndTerms(bool countHits, bool useVariants);
    // Runs one term, limited to the pages of within when given (ascending),
    // with its counts taken `repeats` times, and merges it by mode.
    int RunTerm(std::u16string_view term, MergeMode mode, bool countHits, bool useVariants,
                std::uint32_t repeats, const std::vector<std::uint32_t>* within);
    // Fills m_terms with the query's distinct terms, in order of first
    // occurrence, and m_termOf with the distinct term of every term.
    void CollectTerms(std::u16string_view query);

    pages::CFileList m_list;
    MappedFile m_postings;
    // The header tables, read in place from the mapped header file: a search
    // touches only the entries of its characters.
    MappedFile m_header;
    std::span<const std::uint32_t> m_nextBlock;   // table E, indexed by block number
    std::span<const std::uint32_t> m_auxLongs;    // table C: steers the search, never its result
    std::span<const std::uint16_t> m_auxWords;    // table B, kept, not consulted
    std::span<const std::uint32_t> m_firstBlock;  // table A, indexed by code
    std::span<const std::uint32_t> m_lastPage;    // table D, indexed by code
    std::uint32_t m_blockCount = 0;
    bool m_loaded = false;

    mutable EntryTables m_entryTables;
    Accelerator m_accelerator;
    std::string m_acceleratorName;
    AcceleratorState m_noticed = AcceleratorState::Used;  // the state last told
    std::uint64_t m_headerSize = 0;
    HitList m_hits;
    VariantTable m_variants;
    SearchStatus m_lastStatus = SearchStatus::Ok;
    bool m_postingsDamaged = false;

    // Scratch for one term, reused by every search.
    TermPlan m_plan;
    TermMatcher m_matcher;
    std::vector<std::uint32_t> m_termPages;
    std::vector<std::uint32_t> m_termCounts;
    struct DistinctTerm {
        std::u16string_view text;
        std::uint32_t repeats = 0;
        std::uint64_t cost = 0;  // AND: pages of the term's rarest character
        bool hasCursor = false;  // OR: whether the term's run had a cursor
    };
    std::vector<DistinctTerm> m_terms;
    std::vector<std::uint32_t> m_termOf;
    std::vector<std::uint32_t> m_byText;    // term indexes sorted by text
    std::vector<std::uint32_t> m_runOrder;  // distinct terms in the order an AND runs them
    std::vector<std::u16string_view> m_termTexts;
    std::vector<bool> m_termDone;
    bool m_termHadCursor = false;  // whether the last RunTerm had a cursor
};

}  // namespace engine
