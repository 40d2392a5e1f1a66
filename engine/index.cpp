#include "engine/index.h"

#include <bit>
#include <new>
#include <unordered_map>

namespace engine {
namespace {

static_assert(std::endian::native == std::endian::little,
              "the index tables are read in place as little-endian values");

constexpr std::uint64_t kTableABytes = 400000;
constexpr std::uint64_t kTableBBytes = 200000;
constexpr std::uint64_t kTableCBytes = 400000;
constexpr std::uint64_t kTableDBytes = 400000;

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
    }
    return "";
}

CIndex::CIndex() = default;

CIndex::~CIndex() { Unload(); }

bool CIndex::Load(const std::string& dataDir, const std::string& baseName, int scope) {
    Unload();
    m_variants.Load(dataDir);
    // The pages of the previous search belong to another scope; the counts go
    // with them so that the two arrays stay the same length.
    m_hits.Clear();

    const std::string stem = dataDir + "/" + baseName + ScopeSuffix(scope);
    MappedFile header;
    if (!header.Open(stem + "-idx.h") || header.Size() < kHeaderTablesSize) return false;
    const std::uint64_t blockCount = (header.Size() - kHeaderTablesSize) / 4;
    if (blockCount > 0xFFFFFFFFu) return false;
    try {
        m_firstBlock.resize(kCodeCount);
        m_auxWords.resize(kCodeCount);
        m_auxLongs.resize(kCodeCount);
        m_lastPage.resize(kCodeCount);
        m_nextBlock.resize(static_cast<std::size_t>(blockCount));
    } catch (const std::bad_alloc&) {
        Unload();
        return false;
    }
    std::uint64_t offset = 0;
    const bool read = header.ReadAt(offset, m_firstBlock.data(), kTableABytes) &&
                      header.ReadAt(offset += kTableABytes, m_auxWords.data(), kTableBBytes) &&
                      header.ReadAt(offset += kTableBBytes, m_auxLongs.data(), kTableCBytes) &&
                      header.ReadAt(offset += kTableCBytes, m_lastPage.data(), kTableDBytes) &&
                      header.ReadAt(kHeaderTablesSize, m_nextBlock.data(), m_nextBlock.size() * 4);
    header.Close();
    m_blockCount = static_cast<std::uint32_t>(blockCount);
    if (!read || !m_postings.Open(stem + "-idx.m") || !m_postings.Map() ||
        !m_list.Load(dataDir, baseName)) {
        Unload();
        return false;
    }
    m_loaded = true;
    return true;
}

void CIndex::Unload() {
    std::vector<std::uint32_t>().swap(m_auxLongs);
    std::vector<std::uint16_t>().swap(m_auxWords);
    std::vector<std::uint32_t>().swap(m_firstBlock);
    std::vector<std::uint32_t>().swap(m_lastPage);
    std::vector<std::uint32_t>().swap(m_nextBlock);
    m_blockCount = 0;
    m_skipTables.Clear();
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
    tables.view.bytes = m_postings.Data();
    tables.view.size = static_cast<std::size_t>(m_postings.Size());
    tables.view.nextBlock = m_nextBlock.data();
    tables.view.blockCount = m_blockCount;
    tables.skips = &m_skipTables;
    return tables;
}

void CIndex::SetSkipSpacing(std::uint32_t spacing) { m_skipTables.SetSpacing(spacing); }

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
    return m_list.ComposeHitPageWidened(recordIndex, html, VariantChoicesOf(keywords), textLayer);
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

const std::vector<std::vector<std::uint32_t>>& CIndex::Variants() const {
    return m_variants.Groups();
}

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

int CIndex::RunQuery(std::u16string& query, MergeMode firstMode, MergeMode laterModes,
                     bool countHits, bool useVariants) {
    m_postingsDamaged = false;
    const SearchStatus status = CheckQuery(query);
    m_lastStatus = status;
    if (status != SearchStatus::Ok) return 0;

    m_hits.Clear();
    for (char16_t& u : query) {
        if (u == u' ') u = u'\u3000';
    }
    int total = 0;
    bool first = true;
    // A term met again in the same query is merged from its first result
    // instead of being matched again: a query of thousands of repeated terms
    // then costs what its distinct terms cost.
    struct TermResult {
        bool hasCursor = false;
        std::vector<std::uint32_t> pages;
        std::vector<std::uint32_t> counts;
        std::uint32_t repeats = 0;
    };
    std::unordered_map<std::u16string, TermResult> seen;
    const auto AddRepeatedCounts = [this](const auto& terms) {
        if (m_hits.m_hitCounts.size() != m_hits.m_hitPages.size()) return;
        std::unordered_map<std::uint32_t, std::size_t> slotOfPage;
        for (const auto& [term, result] : terms) {
            if (result.repeats == 0 || result.counts.size() != result.pages.size()) continue;
            if (slotOfPage.empty()) {
                slotOfPage.reserve(m_hits.m_hitPages.size());
                for (std::size_t i = 0; i < m_hits.m_hitPages.size(); ++i) {
                    slotOfPage.emplace(m_hits.m_hitPages[i], i);
                }
            }
            for (std::size_t i = 0; i < result.pages.size(); ++i) {
                const auto slot = slotOfPage.find(result.pages[i]);
                if (slot == slotOfPage.end()) continue;
                m_hits.m_hitCounts[slot->second] += result.repeats * result.counts[i];
            }
        }
    };
    ForEachTerm(query, [&](std::u16string_view term) {
        const MergeMode mode = first ? firstMode : laterModes;
        first = false;
        // Once an AND result is empty no later term can add to it.
        if (mode == Intersect && m_hits.m_hitPageCount == 0) return;
        const auto known = seen.find(std::u16string(term));
        if (known == seen.end()) {
            m_termPages.clear();
            m_termCounts.clear();
            const int result = SearchTerm(term, mode, countHits, useVariants);
            total += result;
            TermResult& kept = seen[std::u16string(term)];
            kept.hasCursor = !m_termPages.empty() || result != 0;
            kept.pages = m_termPages;
            kept.counts = m_termCounts;
            return;
        }
        if (!known->second.hasCursor) {
            if (mode != Union) m_hits.Clear();
            return;
        }
        // The hit pages already lie within (AND) or include (OR) this term's
        // pages, so a repeat changes no page and only adds its counts once
        // more: count the repeats and add them in one pass at the end.
        ++known->second.repeats;
        total += m_hits.m_hitPageCount;
    });
    if (countHits) AddRepeatedCounts(seen);
    m_lastStatus = SearchStatus::Ok;
    return total;
}

int CIndex::SearchAnd(std::u16string& query, bool countHits, bool useVariants) {
    return RunQuery(query, Replace, Intersect, countHits, useVariants);
}

int CIndex::SearchOr(std::u16string& query, bool countHits, bool useVariants) {
    return RunQuery(query, Union, Union, countHits, useVariants);
}

int CIndex::SearchTerm(std::u16string_view term, MergeMode mode, bool countHits, bool useVariants) {
    m_lastStatus = SearchStatus::Ok;
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
    m_termPages.clear();
    m_termCounts.clear();
    const bool hasCursor =
        m_loaded && m_matcher.Run(m_plan, Tables(), countHits, m_termPages, m_termCounts);
    if (m_loaded && m_matcher.Damaged()) m_postingsDamaged = true;
    if (!hasCursor) {
        if (mode != Union) m_hits.Clear();
        return 0;
    }
    m_hits.Merge(mode, m_termPages, m_termCounts, countHits);
    return m_hits.m_hitPageCount;
}

SearchStatus CIndex::LastStatus() const { return m_lastStatus; }

bool CIndex::PostingsDamaged() const { return m_postingsDamaged; }

const std::vector<std::uint32_t>& CIndex::GetHitPages() const { return m_hits.m_hitPages; }

const std::vector<std::uint32_t>& CIndex::GetHitCounts() const { return m_hits.m_hitCounts; }

std::int32_t CIndex::HitPageCount() const { return m_hits.m_hitPageCount; }

}  // namespace engine
