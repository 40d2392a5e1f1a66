// Compares SearchAnd / SearchOr with a brute-force scan of the text of tiny
// random corpora, laid out with random block orders and packed-number forms,
// each searched without and with an accelerator file (intact, or truncated,
// bit-flipped, made for another corpus, or not an accelerator at all).
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <set>

#include "engine/index.h"
#include "tests/engine/indexfixture.h"
#include "tools/orvale-build/acceleratorwriter.h"

namespace engine {
namespace {

using Pages = std::vector<std::uint32_t>;

const char32_t kAlphabet[] = {0x4E00, 0x4E8C, 0x4E09, 0x56DB};  // A B C D
constexpr char32_t kUnindexed = 0x3002;
// A and D are variants of each other.
const std::vector<std::vector<std::uint32_t>> kGroups = {{0x4E00, 0x56DB}};

struct Segment {
    int termIndex = 0;                              // characters of the term before the segment
    std::vector<std::pair<int, char32_t>> cursors;  // (index in segment, character)
};

// The segments holding cursors of a term (its wildcards and characters only).
std::vector<Segment> Segments(const std::u16string& term) {
    std::vector<Segment> segments;
    Segment current;
    int t = 0;
    int inSegment = 0;
    for (char16_t u : term) {
        if (u == u'*') {
            if (!current.cursors.empty()) segments.push_back(current);
            current = Segment();
            current.termIndex = t;
            inSegment = 0;
            continue;
        }
        if (u != u'?') current.cursors.emplace_back(inSegment, u);
        ++inSegment;
        ++t;
    }
    if (!current.cursors.empty()) segments.push_back(current);
    return segments;
}

bool Same(char32_t text, char32_t wanted, bool variants) {
    if (text == wanted) return true;
    auto inGroup = [](char32_t c) { return c == 0x4E00 || c == 0x56DB; };
    return variants && inGroup(text) && inGroup(wanted);
}

// Number of occurrences of the first segment that some choice of later
// segments completes: each following segment aligned 0 to 300 characters
// after the previous one.
std::uint32_t CountOnPage(const std::vector<char32_t>& text, const std::vector<Segment>& segments,
                          bool variants) {
    std::vector<std::set<long>> occurrences(segments.size());
    for (std::size_t g = 0; g < segments.size(); ++g) {
        const Segment& s = segments[g];
        for (long q = -400; q < static_cast<long>(text.size()); ++q) {
            bool all = true;
            for (const auto& [k, ch] : s.cursors) {
                const long p = q + k;
                if (p < 0 || p >= static_cast<long>(text.size()) || !Same(text[p], ch, variants)) {
                    all = false;
                    break;
                }
            }
            if (all) occurrences[g].insert(q - s.termIndex);
        }
    }
    for (std::size_t g = segments.size(); g-- > 1;) {
        std::set<long> feasible;
        for (long a : occurrences[g - 1]) {
            auto it = occurrences[g].lower_bound(a);
            if (it != occurrences[g].end() && *it - a <= 300) feasible.insert(a);
        }
        occurrences[g - 1] = feasible;
    }
    return segments.empty() ? 0 : static_cast<std::uint32_t>(occurrences[0].size());
}

struct Expected {
    Pages pages;
    Pages counts;
};

Expected Reference(const std::vector<std::vector<char32_t>>& texts,
                   const std::vector<std::u16string>& terms, bool isAnd, bool variants) {
    Expected result;
    for (std::size_t i = 0; i < terms.size(); ++i) {
        const std::vector<Segment> segments = Segments(terms[i]);
        Pages pages;
        Pages counts;
        for (std::uint32_t page = 0; page < texts.size(); ++page) {
            const std::uint32_t count = CountOnPage(texts[page], segments, variants);
            if (count > 0) {
                pages.push_back(page);
                counts.push_back(count);
            }
        }
        if (i == 0) {
            result = {pages, counts};
        } else if (isAnd) {
            Expected kept;
            for (std::size_t k = 0; k < pages.size(); ++k) {
                auto it = std::find(result.pages.begin(), result.pages.end(), pages[k]);
                if (it == result.pages.end()) continue;
                kept.pages.push_back(pages[k]);
                kept.counts.push_back(counts[k] + result.counts[it - result.pages.begin()]);
            }
            result = kept;
        } else {
            for (std::size_t k = 0; k < pages.size(); ++k) {
                auto it = std::find(result.pages.begin(), result.pages.end(), pages[k]);
                if (it != result.pages.end()) {
                    result.counts[it - result.pages.begin()] += counts[k];
                } else {
                    result.pages.push_back(pages[k]);
                    result.counts.push_back(counts[k]);
                }
            }
        }
    }
    return result;
}

enum class AcceleratorKind { Intact, Truncated, BitFlipped, Stale, Foreign };

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Writes <dir>/Index-idx.acc for the corpus in dir, with a table for every
// stream, and spoils it as kind says; returns the intact file's bytes.
std::string WriteAcceleratorFile(const std::string& dir, AcceleratorKind kind,
                                 const std::string& otherCorpusFile, std::mt19937& random) {
    CIndex index;
    if (!index.Load(dir, "Index", Full)) return {};
    const std::string path = dir + "/Index-idx.acc";
    // Every stream gets a table and every pair that narrows at all a list.
    build::WriteAccelerator(index, path, {UINT64_MAX, 0, UINT64_MAX, 1});
    const std::string intact = ReadAll(path);
    std::string bytes = intact;
    switch (kind) {
        case AcceleratorKind::Intact:
            break;
        case AcceleratorKind::Truncated:
            bytes.resize(random() % bytes.size());
            break;
        case AcceleratorKind::BitFlipped:
            bytes[random() % bytes.size()] ^= static_cast<char>(1u << (random() % 8));
            break;
        case AcceleratorKind::Stale:
            bytes = otherCorpusFile;
            break;
        case AcceleratorKind::Foreign:
            bytes = ReadAll(dir + "/Index-idx.h");
            break;
    }
    enginetest::WriteFile(path, bytes);
    return intact;
}

TEST(SearchCrossCheckTest, MatchesBruteForceOnRandomCorpora) {
    int queries = 0;
    int withHits = 0;
    int accelerated = 0;
    std::string previousAccelerator;
    for (std::uint32_t seed = 1; seed <= 80; ++seed) {
        std::mt19937 random(seed);
        auto pick = [&random](int n) {
            return static_cast<int>(random() % static_cast<std::uint32_t>(n));
        };
        // Pages over a skewed alphabet, some long enough for the asterisk's
        // reach and for entries to cross block boundaries. Every fourth corpus
        // has hundreds of short pages, where common characters get page
        // bitmaps and D, left out of most pages, does not.
        const bool many = seed % 4 == 0;
        std::vector<std::u32string> pages(many ? 150 + pick(250) : 1 + pick(12));
        std::vector<std::vector<char32_t>> indexed(pages.size());
        for (std::size_t i = 0; i < pages.size(); ++i) {
            // The first page is never empty: a corpus without postings does
            // not load.
            const int length = (many           ? pick(30)
                                : pick(4) == 0 ? pick(800)
                                               : pick(40)) +
                               (i == 0 ? 1 : 0);
            const bool withD = !many || pick(10) == 0;
            for (int k = 0; k < length; ++k) {
                const int r = pick(20);
                const char32_t ch = (i == 0 && k == 0) ? kAlphabet[1]
                                    : r < 9            ? kAlphabet[0]
                                    : r < 14           ? kAlphabet[1]
                                    : r < 17           ? kAlphabet[2]
                                    : r < 19 && withD  ? kAlphabet[3]
                                                       : kUnindexed;
                pages[i] += ch;
                if (ch != kUnindexed) indexed[i].push_back(ch);
            }
        }
        const auto form = static_cast<enginetest::PackedForm>(pick(3));
        const auto order = static_cast<enginetest::BlockOrder>(pick(3));
        enginetest::TempDir dir;
        ASSERT_TRUE(enginetest::WriteCorpus(dir.Path(), pages, kGroups, form, order, seed));
        CIndex plain;
        ASSERT_TRUE(plain.Load(dir.Path(), "Index", Full));
        ASSERT_EQ(plain.AcceleratorStatus(), AcceleratorState::Missing);
        const auto kind = static_cast<AcceleratorKind>(seed % 5);
        const std::string intact =
            WriteAcceleratorFile(dir.Path(), kind, previousAccelerator, random);
        ASSERT_FALSE(intact.empty());
        CIndex withFile;
        ASSERT_TRUE(withFile.Load(dir.Path(), "Index", Full));
        // The file's state, which asking for runs the checks a search leaves
        // for the first use. Every other corpus is searched before it is
        // asked, so that the searches meet the file unchecked.
        const auto checkState = [&] {
            const AcceleratorState state = withFile.AcceleratorStatus();
            if (kind == AcceleratorKind::Intact) {
                EXPECT_EQ(state, AcceleratorState::Used) << seed;
            } else if (kind == AcceleratorKind::Stale && !previousAccelerator.empty()) {
                EXPECT_EQ(state, AcceleratorState::Stale) << seed;
            } else if (kind != AcceleratorKind::BitFlipped) {
                EXPECT_EQ(state, AcceleratorState::Damaged) << seed;
            }
            accelerated += state == AcceleratorState::Used;
        };
        const bool checkFirst = seed % 2 == 0;
        if (checkFirst) checkState();
        // A small budget drops the entry tables between searches.
        for (CIndex* index : {&plain, &withFile}) {
            if (seed % 3 == 0) index->SetEntryTableBudget(seed % 2 == 0 ? 0 : 4096);
        }

        for (int q = 0; q < 80; ++q) {
            std::vector<std::u16string> terms(1 + pick(3));
            std::u16string query;
            for (std::u16string& term : terms) {
                const int length = 1 + pick(6);
                for (int k = 0; k < length; ++k) {
                    const int r = pick(10);
                    term += r < 6 ? static_cast<char16_t>(kAlphabet[pick(4)]) : r < 8 ? u'?' : u'*';
                }
                query += term + (pick(3) == 0 ? u"  " : u" ");
            }
            const bool isAnd = pick(2) == 0;
            const bool variants = pick(2) == 0;
            const Expected expected = Reference(indexed, terms, isAnd, variants);
            ++queries;
            if (!expected.pages.empty()) ++withHits;
            for (bool count : {true, false}) {
                for (CIndex* which : {&plain, &withFile}) {
                    CIndex& index = *which;
                    std::u16string buffer = query;
                    isAnd ? index.SearchAnd(buffer, count, variants)
                          : index.SearchOr(buffer, count, variants);
                    const std::string what = "seed " + std::to_string(seed) + " query " +
                                             std::to_string(q) + (isAnd ? " and" : " or") +
                                             (variants ? " variants" : "") +
                                             (which == &plain ? "" : " accelerator");
                    ASSERT_EQ(index.LastStatus(), SearchStatus::Ok) << what;
                    ASSERT_EQ(index.GetHitPages(), expected.pages) << what;
                    if (count) {
                        ASSERT_EQ(index.GetHitCounts(), expected.counts) << what;
                    } else {
                        ASSERT_TRUE(index.GetHitCounts().empty()) << what;
                    }
                    ASSERT_FALSE(index.PostingsDamaged()) << what;
                }
            }
        }
        if (!checkFirst) checkState();
        if (kind == AcceleratorKind::Intact) {
            EXPECT_EQ(withFile.AcceleratorStatus(), AcceleratorState::Used) << seed;
        }
        previousAccelerator = intact;
    }
    EXPECT_GE(accelerated, 16);
    // The corpora and queries are meant to hit often, or the check proves little.
    EXPECT_GT(withHits, queries / 3);
}

}  // namespace
}  // namespace engine
