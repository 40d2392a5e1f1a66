#include "engine/index.h"

#include <algorithm>
#include <bit>
#include <new>

namespace engine {
namespace {

static_assert(std::endian::native == std::endian::little,
              "the index tables are read in place as little-endian values");

constexpr std::uint64_t kTableABytes = 400000;
constexpr std::uint64_t kTableBBytes = 200000;
constexpr std::uint64_t kTableCBytes = 400000;
constexpr std::uint64_t kTableDBytes = 400000;
static_assert(kTableABytes + kTableBBytes + kTableCBytes + kTableDBytes == kHeaderTablesSize,
              "table E follows the four tables of one entry per code");
// Blocks of a postings file under 4 GiB.
constexpr std::uint64_t kMaxBlockCount = (std::uint64_t{1} << 32) / kBlockSize;

const char* ScopeSuffix(int scope) {
    if (scope == Content) return "_content";
    if (scope == Desc) return "_desc";
    return "";
}

bool IsSeparator(char16_t u) { return u == u' ' || u == u'\u3000'; }

// Calls f(term) for every term of query, in order.
template <typename F>
void ForEachTerm(std::u16string_view query, F f) {
    std::size_t start = 0;
    for (std::size_t i = 0; i <= query.size(); ++i) {
        if (i == query.size() || IsSeparator(query[i])) {
            if (i > start) f(query.substr(start, i - start));
            start = i + 1;
        }
    }
}

}  // namespace

const char* SearchStatusMessage(SearchStatus status) {
    switch (status) {
        case SearchStatus::Ok:
            return "";
        case SearchStatus::Refused:
            return "検索語がないか、検索できない文字（半角の英数字や記号など）が含まれています。";
        case SearchStatus::TermTooLong:
            return "検索語が長すぎます。一つの検索語は318字以内にしてください。";
        case SearchStatus::TooManyParts:
            return "一つの検索語の文字数、または「*」で区切った部分の数が300を超えています。";
        case SearchStatus::TooManyTerms:
            return "検索語が多すぎます。一度に検索できる語は64個までです。";
    }
    return "";
}

CIndex::CIndex() = default;

CIndex::~CIndex() { Unload(); }

bool CIndex::Load(const std::string& dataDir, const std::string& baseName, int scope) {
    CorpusFolder folder;
    if (!folder.Open(dataDir)) {
        Unload();
        m_variants.Clear();
        m_hits.Clear();
        return false;
    }
    return Load(folder, baseName, scope);
}

bool CIndex::Load(const CorpusFolder& folder, const std::string& baseName, int scope) {
    Unload();
    m_variants.Load(folder);
    // The pages of the previous search belong to another scope; the counts go
    // with them so that the two arrays stay the same length.
    m_hits.Clear();

    const std::string stem = baseName + ScopeSuffix(scope);
    if (!m_header.Open(folder, stem + "-idx.h") || m_header.Size() < kHeaderTablesSize ||
        !m_header.Map()) {
        Unload();
        return false;
    }
    // Table E has one entry per postings block, and the postings file holds
    // fewer than 4 GiB: a longer table is not an index header.
    const std::uint64_t blockCount = (m_header.Size() - kHeaderTablesSize) / 4;
    if (blockCount > kMaxBlockCount) {
        Unload();
        return false;
    }
    // The mapping starts on a page boundary and every table on a multiple of
    // four bytes, so the entries are aligned.
    const std::uint8_t* bytes = m_header.Data();
    std::uint64_t offset = 0;
    m_firstBlock = {reinterpret_cast<const std::uint32_t*>(bytes), kCodeCount};
    m_auxWords = {reinterpret_cast<const std::uint16_t*>(bytes + (offset += kTableABytes)),
                  kCodeCount};
    m_auxLongs = {reinterpret_cast<const std::uint32_t*>(bytes + (offset += kTableBBytes)),
                  kCodeCount};
    m_lastPage = {reinterpret_cast<const std::uint32_t*>(bytes + (offset += kTableCBytes)),
                  kCodeCount};
    m_nextBlock = {reinterpret_cast<const std::uint32_t*>(bytes + kHeaderTablesSize),
                   static_cast<std::size_t>(blockCount)};
    m_headerSize = m_header.Size();
    m_blockCount = static_cast<std::uint32_t>(blockCount);
    if (!m_postings.Open(folder, stem + "-idx.m") ||
        m_postings.Size() >= kMaxBlockCount * kBlockSize || !m_postings.Map() ||
        !m_list.Load(folder, baseName)) {
        Unload();
        return false;
    }
    m_loaded = true;
    m_acceleratorName = baseName + ScopeSuffix(scope) + kAcceleratorSuffix;
    m_noticed = AcceleratorState::Used;
    if (m_accelerator.Open(
            folder, stem + kAcceleratorSuffix, m_headerSize, m_postings.Size(),
            [this] { return Identity(); }, Tables().view) == AcceleratorState::Used)
        m_entryTables.SetSource(&m_accelerator);
    return true;
}

AcceleratorState CIndex::AcceleratorStatus() { return m_accelerator.Verify(); }

IndexIdentity CIndex::Identity() const {
    IndexIdentity identity;
    if (!m_loaded) return identity;
    identity.headerSize = m_headerSize;
    identity.postingsSize = m_postings.Size();
    std::uint64_t h = HashBytes(m_firstBlock.data(), m_firstBlock.size() * 4);
    h = HashBytes(m_auxWords.data(), m_auxWords.size() * 2, h);
    h = HashBytes(m_auxLongs.data(), m_auxLongs.size() * 4, h);
    h = HashBytes(m_lastPage.data(), m_lastPage.size() * 4, h);
    identity.headerHash = HashBytes(m_nextBlock.data(), m_nextBlock.size() * 4, h);
    return identity;
}

std::string CIndex::TakeAcceleratorNotice() {
    const AcceleratorState state = m_accelerator.State();
    if (!m_loaded || state == m_noticed) return {};
    m_noticed = state;
    return AcceleratorNotice(state, m_acceleratorName);
}

void CIndex::Unload() {
    m_auxLongs = {};
    m_auxWords = {};
    m_firstBlock = {};
    m_lastPage = {};
    m_nextBlock = {};
    m_header.Close();
    m_blockCount = 0;
    m_entryTables.Clear();
    m_entryTables.SetSource(nullptr);
    m_accelerator.Close();
    m_postings.Close();
    m_list.Close();
    m_loaded = false;
}

bool CIndex::IsLoaded() const { return m_loaded; }

PostingsTables CIndex::Tables() const {
    PostingsTables tables;
    if (!m_loaded) return tables;
    tables.firstBlock = m_firstBlock.data();
    tables.lastPage = m_lastPage.data();
    tables.pageCount = m_auxLongs.data();
    tables.view.bytes = m_postings.Data();
    tables.view.size = static_cast<std::size_t>(m_postings.Size());
    tables.view.nextBlock = m_nextBlock.data();
    tables.view.blockCount = m_blockCount;
    tables.entries = &m_entryTables;
    return tables;
}

void CIndex::SetEntryTableBudget(std::size_t bytes) { m_entryTables.SetBudget(bytes); }

std::int32_t CIndex::GetListHeaderValue() const { return m_list.HeaderValue(); }

bool CIndex::FindPage(std::uint32_t firstRecord, std::uint32_t pageNo, std::int64_t& recordIndex) {
    return m_list.FindPage(firstRecord, pageNo, recordIndex);
}

bool CIndex::GetPageSize(std::uint32_t recordIndex, std::uint32_t& size) {
    return m_list.GetPageSize(recordIndex, size);
}

bool CIndex::ReadPage(std::uint32_t recordIndex, std::string& page) {
    return m_list.ReadPage(recordIndex, page);
}

pages::CFileList& CIndex::PageStore() { return m_list; }

std::int32_t CIndex::ComposeHitPage(std::uint32_t recordIndex, std::string& html,
                                    std::u16string_view keywords, int textLayer, bool useVariants) {
    if (!useVariants) return m_list.ComposeHitPage(recordIndex, html, keywords, textLayer);
    return m_list.ComposeHitPageWidened(recordIndex, html, VariantChoicesOf(keywords), textLayer,
                                        keywords);
}

void CIndex::LoadVariants(const std::string& dataDir) { m_variants.Load(dataDir); }

bool CIndex::MapVariant(char32_t codePoint, int& code) const {
    return m_variants.MapVariant(codePoint, code);
}

std::vector<std::u16string> CIndex::ExpandVariants(std::u16string_view keywords) const {
    return m_variants.Expand(keywords);
}

pages::VariantChoices CIndex::VariantChoicesOf(std::u16string_view keywords) const {
    return m_variants.ChoicesOf(keywords);
}

std::vector<std::vector<std::uint32_t>> CIndex::Variants() const { return m_variants.Groups(); }

int CIndex::CountTerms(std::u16string_view query) const {
    int terms = 0;
    bool open = false;
    for (char16_t u : query) {
        if (IsSeparator(u)) {
            open = false;
            continue;
        }
        if (u < 0x100 && u != u'*' && u != u'?') return 0;
        if (!open) {
            ++terms;
            open = true;
        }
    }
    return terms;
}

SearchStatus CIndex::CheckQuery(std::u16string_view query) {
    if (CountTerms(query) == 0) return SearchStatus::Refused;
    std::vector<std::u16string_view>& texts = m_termTexts;
    texts.clear();
    ForEachTerm(query, [&texts](std::u16string_view term) { texts.push_back(term); });
    std::sort(texts.begin(), texts.end());
    if (std::unique(texts.begin(), texts.end()) - texts.begin() >
        static_cast<std::ptrdiff_t>(kMaxQueryTerms)) {
        return SearchStatus::TooManyTerms;
    }
    SearchStatus status = SearchStatus::Ok;
    ForEachTerm(query, [this, &status](std::u16string_view term) {
        if (status != SearchStatus::Ok) return;
        switch (BuildTermPlan(term, false, m_variants, m_plan)) {
            case PlanStatus::Ok:
                break;
            case PlanStatus::TooLong:
                status = SearchStatus::TermTooLong;
                break;
            case PlanStatus::TooManyParts:
                status = SearchStatus::TooManyParts;
                break;
        }
    });
    return status;
}

void CIndex::CollectTerms(std::u16string_view query) {
    m_terms.clear();
    m_termOf.clear();
    m_byText.clear();
    std::vector<std::u16string_view>& texts = m_termTexts;
    texts.clear();
    ForEachTerm(query, [&texts](std::u16string_view term) { texts.push_back(term); });
    // Group equal terms by sorting their indexes by text; each group is
    // named after its first occurrence.
    for (std::uint32_t i = 0; i < texts.size(); ++i) m_byText.push_back(i);
    std::sort(m_byText.begin(), m_byText.end(), [&texts](std::uint32_t a, std::uint32_t b) {
        return texts[a] != texts[b] ? texts[a] < texts[b] : a < b;
    });
    m_termOf.assign(texts.size(), 0);
    for (std::size_t k = 0; k < m_byText.size(); ++k) {
        const bool opensGroup = k == 0 || texts[m_byText[k]] != texts[m_byText[k - 1]];
        m_termOf[m_byText[k]] = opensGroup ? m_byText[k] : m_termOf[m_byText[k - 1]];
    }
    // m_termOf holds first occurrences; renumber them as distinct terms.
    for (std::uint32_t i = 0; i < texts.size(); ++i) {
        if (m_termOf[i] == i) {
            m_termOf[i] = static_cast<std::uint32_t>(m_terms.size());
            m_terms.push_back({texts[i], 0, 0, false});
        } else {
            m_termOf[i] = m_termOf[m_termOf[i]];
        }
        ++m_terms[m_termOf[i]].repeats;
    }
}

int CIndex::RunQuery(std::u16string& query, bool isAnd, bool countHits, bool useVariants) {
    m_postingsDamaged = false;
    const SearchStatus status = CheckQuery(query);
    m_lastStatus = status;
    if (status != SearchStatus::Ok) return 0;

    m_hits.Clear();
    for (char16_t& u : query) {
        if (u == u' ') u = u'\u3000';
    }
    CollectTerms(query);
    std::int64_t total = 0;
    if (isAnd) {
        total = RunAndTerms(countHits, useVariants);
    } else {
        // Every term in order, so that the pages keep the order of the terms
        // that found them first; a repeated term adds its counts as often as
        // it occurs, in its first run. A term's result is the page count
        // after its merge; a repeat's is the count at its place, unless the
        // term has no cursor.
        std::vector<bool>& done = m_termDone;
        done.assign(m_terms.size(), false);
        for (std::uint32_t d : m_termOf) {
            DistinctTerm& term = m_terms[d];
            if (!done[d]) {
                done[d] = true;
                total += RunTerm(term.text, Union, countHits, useVariants, term.repeats, nullptr);
                term.hasCursor = m_termHadCursor;
            } else if (term.hasCursor) {
                total += m_hits.m_hitPageCount;
            }
        }
    }
    m_entryTables.Trim();
    m_lastStatus = SearchStatus::Ok;
    return static_cast<int>(std::min<std::int64_t>(total, INT32_MAX));
}

std::int64_t CIndex::RunAndTerms(bool countHits, bool useVariants) {
    // The cost of a term is the number of pages of its rarest character: no
    // page outside them can hold the term. A term without cursor costs 0 and
    // empties the result at once. A code's pages are counted by its table
    // when that is at hand, else by the header's count (table C), so that
    // ordering the terms builds no table; only a count of 0, which a writer
    // may leave there, makes it build one. A lone term needs no order.
    const PostingsTables tables = Tables();
    for (DistinctTerm& term : m_terms) {
        term.cost = 0;
        if (!m_loaded || m_terms.size() == 1 ||
            BuildTermPlan(term.text, useVariants, m_variants, m_plan) != PlanStatus::Ok)
            continue;
        std::uint64_t cost = m_plan.cursorCount > 0 ? UINT64_MAX : 0;
        for (int i = 0; i < m_plan.cursorCount; ++i) {
            const int code = m_plan.code[i];
            if (code < 0 || code >= kCodeCount || tables.firstBlock[code] == kNoPostings) {
                cost = 0;
                break;
            }
            const EntryTable* kept = m_entryTables.Kept(code);
            std::uint64_t pages = kept != nullptr ? kept->pages.size() : m_auxLongs[code];
            if (pages == 0) {
                pages = m_entryTables
                            .For(code, tables.firstBlock[code], tables.lastPage[code], tables.view)
                            .pages.size();
            }
            cost = std::min<std::uint64_t>(cost, pages);
        }
        term.cost = cost;
    }
    std::vector<std::uint32_t>& order = m_runOrder;
    order.clear();
    for (std::uint32_t d = 0; d < m_terms.size(); ++d) order.push_back(d);
    std::stable_sort(order.begin(), order.end(), [this](std::uint32_t a, std::uint32_t b) {
        return m_terms[a].cost < m_terms[b].cost;
    });
    std::int64_t total = 0;
    bool first = true;
    for (std::uint32_t d : order) {
        // Once the result is empty no later term can add to it.
        if (!first && m_hits.m_hitPageCount == 0) break;
        const DistinctTerm& term = m_terms[d];
        const int result = RunTerm(term.text, first ? Replace : Intersect, countHits, useVariants,
                                   term.repeats, first ? nullptr : &m_hits.m_hitPages);
        total += std::int64_t{result} * term.repeats;
        first = false;
    }
    return total;
}

int CIndex::SearchAnd(std::u16string& query, bool countHits, bool useVariants) {
    return RunQuery(query, true, countHits, useVariants);
}

int CIndex::SearchOr(std::u16string& query, bool countHits, bool useVariants) {
    return RunQuery(query, false, countHits, useVariants);
}

int CIndex::SearchTerm(std::u16string_view term, MergeMode mode, bool countHits, bool useVariants) {
    return RunTerm(term, mode, countHits, useVariants, 1, nullptr);
}

int CIndex::RunTerm(std::u16string_view term, MergeMode mode, bool countHits, bool useVariants,
                    std::uint32_t repeats, const std::vector<std::uint32_t>* within) {
    m_lastStatus = SearchStatus::Ok;
    m_termHadCursor = false;
    m_termPages.clear();
    m_termCounts.clear();
    // Counts that do not pair with the pages cannot be added to.
    if (countHits && m_hits.m_hitCounts.size() != m_hits.m_hitPages.size()) {
        m_hits.Clear();
        return 0;
    }
    switch (BuildTermPlan(term, useVariants, m_variants, m_plan)) {
        case PlanStatus::Ok:
            break;
        case PlanStatus::TooLong:
            m_lastStatus = SearchStatus::TermTooLong;
            return 0;
        case PlanStatus::TooManyParts:
            m_lastStatus = SearchStatus::TooManyParts;
            return 0;
    }
    const bool hasCursor =
        m_loaded && m_matcher.Run(m_plan, Tables(), countHits, within, m_termPages, m_termCounts);
    if (m_loaded && m_matcher.Damaged()) m_postingsDamaged = true;
    m_termHadCursor = hasCursor;
    if (!hasCursor) {
        if (mode != Union) m_hits.Clear();
        return 0;
    }
    if (repeats > 1) {
        for (std::uint32_t& count : m_termCounts) count = SaturatingHitProduct(count, repeats);
    }
    if (within != nullptr && mode == Intersect) {
        // The term ran on the listed pages only: what it found is the
        // intersection; each page adds the count it had.
        const LargeArray<std::uint32_t>& at = m_matcher.WithinAt();
        if (countHits) {
            for (std::size_t k = 0; k < m_termCounts.size(); ++k)
                m_termCounts[k] = SaturatingHitSum(m_termCounts[k], m_hits.m_hitCounts[at[k]]);
        }
        m_hits.Adopt(m_termPages, m_termCounts, countHits);
        return m_hits.m_hitPageCount;
    }
    // The first term's pages become the list as they are: the arrays change
    // hands instead of being copied, which in a fresh process would also
    // touch as much new memory again.
    if (mode == Replace) {
        m_hits.Adopt(m_termPages, m_termCounts, countHits);
    } else {
        m_hits.Merge(mode, m_termPages, m_termCounts, countHits);
    }
    return m_hits.m_hitPageCount;
}

SearchStatus CIndex::LastStatus() const { return m_lastStatus; }

bool CIndex::PostingsDamaged() const { return m_postingsDamaged; }

const std::vector<std::uint32_t>& CIndex::GetHitPages() const { return m_hits.m_hitPages; }

const std::vector<std::uint32_t>& CIndex::GetHitCounts() const { return m_hits.m_hitCounts; }

std::int32_t CIndex::HitPageCount() const { return m_hits.m_hitPageCount; }

}  // namespace engine
