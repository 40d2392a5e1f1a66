// Compares FindParallels with a brute-force comparison of the passage and
// every page of tiny random corpora into which shared stretches are planted:
// across unindexed characters (paragraph breaks and punctuation take no
// position), at page start and end, overlapping, in variant forms, and of
// exactly N - 1 and N characters.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "engine/index.h"
#include "engine/parallelsearch.h"
#include "tests/engine/indexfixture.h"

namespace engine {
namespace {

const char32_t kAlphabet[] = {0x4E00, 0x4E8C, 0x4E09, 0x56DB, 0x4E94, 0x516D, 0x4E03, 0x516B};
// 一 and 弌 are variants of each other; 弌 only occurs where it is planted.
constexpr char32_t kVariant = 0x5F0C;
const std::vector<std::vector<std::uint32_t>> kGroups = {{0x4E00, 0x5F0C}};
const char32_t kUnindexed[] = {U'\n', 0x3002, 0x3001};

char32_t Fold(char32_t c, bool variants) { return variants && c == kVariant ? 0x4E00 : c; }

// The indexed characters of a text, folded.
std::vector<char32_t> Indexed(const std::u32string& text, bool variants) {
    std::vector<char32_t> out;
    for (char32_t c : text) {
        if (std::find(std::begin(kUnindexed), std::end(kUnindexed), c) == std::end(kUnindexed))
            out.push_back(Fold(c, variants));
    }
    return out;
}

// Every maximal common stretch of at least n characters, by brute force.
std::vector<ParallelPage> BruteForce(const std::vector<std::u32string>& pages,
                                     const std::u32string& passage, int n, bool variants,
                                     std::int64_t exclude) {
    const std::vector<char32_t> a = Indexed(passage, variants);
    std::vector<ParallelPage> found;
    for (std::uint32_t q = 0; q < pages.size(); ++q) {
        if (q == exclude) continue;
        const std::vector<char32_t> b = Indexed(pages[q], variants);
        ParallelPage page;
        page.record = q;
        for (std::size_t i = 0; i < a.size(); ++i) {
            for (std::size_t p = 0; p < b.size(); ++p) {
                if (i > 0 && p > 0 && a[i - 1] == b[p - 1]) continue;  // not maximal
                std::size_t len = 0;
                while (i + len < a.size() && p + len < b.size() && a[i + len] == b[p + len]) ++len;
                if (len >= static_cast<std::size_t>(n))
                    page.runs.push_back({static_cast<std::uint32_t>(i),
                                         static_cast<std::uint32_t>(p),
                                         static_cast<std::uint32_t>(len)});
            }
        }
        if (page.runs.empty()) continue;
        std::sort(page.runs.begin(), page.runs.end(), [](const auto& x, const auto& y) {
            return x.pageStart != y.pageStart ? x.pageStart < y.pageStart
                                              : x.passageStart < y.passageStart;
        });
        std::uint64_t end = 0;
        for (const ParallelRun& run : page.runs) {
            page.longest = std::max(page.longest, run.length);
            if (page.runCount == 0 || run.pageStart >= end) ++page.runCount;
            end = std::max<std::uint64_t>(end, run.pageStart + run.length);
        }
        found.push_back(page);
    }
    std::sort(found.begin(), found.end(), [](const auto& x, const auto& y) {
        if (x.longest != y.longest) return x.longest > y.longest;
        if (x.runCount != y.runCount) return x.runCount > y.runCount;
        return x.record < y.record;
    });
    return found;
}

std::u32string RandomText(std::mt19937& random, int length) {
    std::u32string text;
    for (int k = 0; k < length; ++k) {
        if (random() % 6 == 0) text += kUnindexed[random() % 3];
        text += kAlphabet[random() % 8];
    }
    return text;
}

// A piece of the passage's indexed characters, in the page's own spelling:
// unindexed characters sprinkled in and, sometimes, 一 written 弌.
std::u32string Piece(std::mt19937& random, const std::u32string& passage, std::size_t start,
                     std::size_t length) {
    const std::vector<char32_t> chars = Indexed(passage, false);
    std::u32string piece;
    for (std::size_t k = start; k < start + length && k < chars.size(); ++k) {
        if (k > start && random() % 4 == 0) piece += kUnindexed[random() % 3];
        piece += chars[k] == 0x4E00 && random() % 2 == 0 ? kVariant : chars[k];
    }
    return piece;
}

struct Corpus {
    std::vector<std::u32string> pages;
    std::u32string passage;
};

Corpus MakeCorpus(std::uint32_t seed, int n) {
    std::mt19937 random(seed);
    Corpus corpus;
    corpus.passage = RandomText(random, 40 + static_cast<int>(random() % 40));
    const std::size_t length = Indexed(corpus.passage, false).size();
    // Some corpora have enough pages for the characters' page bitmaps.
    const int pageCount = static_cast<int>(seed % 3 == 0 ? 70 + random() % 30 : 12 + random() % 12);
    for (int q = 0; q < pageCount; ++q) {
        std::u32string page = RandomText(random, 10 + static_cast<int>(random() % 60));
        const int plants = static_cast<int>(random() % 4);
        for (int k = 0; k < plants; ++k) {
            // Lengths around n, sometimes long; at the start, the end or inside.
            const std::size_t want = static_cast<std::size_t>(
                random() % 3 == 0 ? n + random() % 12 : n - 1 + random() % 2);
            const std::size_t start = random() % (length - std::min(length - 1, want));
            const std::u32string piece = Piece(random, corpus.passage, start, want);
            const int where = static_cast<int>(random() % 3);
            if (where == 0) {
                page = piece + page;
            } else if (where == 1) {
                page += piece;
            } else {
                page.insert(random() % (page.size() + 1), piece);
            }
            // Overlapping: the next stretch begins inside this one.
            if (random() % 3 == 0 && start + want / 2 + want < length)
                page += Piece(random, corpus.passage, start + want / 2, want);
        }
        corpus.pages.push_back(page);
    }
    return corpus;
}

void ExpectSamePages(const std::vector<ParallelPage>& got, const std::vector<ParallelPage>& want,
                     const std::string& where) {
    ASSERT_EQ(got.size(), want.size()) << where;
    for (std::size_t k = 0; k < got.size(); ++k) {
        EXPECT_EQ(got[k].record, want[k].record) << where << " rank " << k;
        EXPECT_EQ(got[k].longest, want[k].longest) << where << " rank " << k;
        EXPECT_EQ(got[k].runCount, want[k].runCount) << where << " rank " << k;
        EXPECT_EQ(got[k].runs, want[k].runs) << where << " rank " << k;
    }
}

TEST(ParallelsTest, EqualsBruteForceOnRandomCorpora) {
    int seen = 0;
    for (std::uint32_t seed = 1; seed <= 40; ++seed) {
        for (int n : {3, 5, 8}) {
            const Corpus corpus = MakeCorpus(seed * 7 + static_cast<std::uint32_t>(n), n);
            enginetest::TempDir dir;
            ASSERT_TRUE(enginetest::WriteCorpus(dir.Path(), corpus.pages, kGroups,
                                                enginetest::PackedForm::Mixed,
                                                enginetest::BlockOrder::Shuffled, seed));
            CIndex index;
            ASSERT_TRUE(index.Load(dir.Path(), "Index", Full));
            for (bool variants : {true, false}) {
                // The passage as a text of its own, and as one of the pages.
                // Tables kept as usual, and each given back after its last
                // window (then built again by the next search).
                for (const std::size_t tableBytes : {kDefaultParallelTableBytes, std::size_t{0}}) {
                    for (std::int64_t own : {std::int64_t{-1}, std::int64_t{seed % 5}}) {
                        const std::u32string& text =
                            own < 0 ? corpus.passage : corpus.pages[static_cast<std::size_t>(own)];
                        std::u16string text16;
                        for (char32_t c : text) text16 += static_cast<char16_t>(c);
                        ParallelsRequest request;
                        request.codes = PassageFromText(index, text16, variants).codes;
                        request.minRun = n;
                        request.excludeRecord = own;
                        request.formulaPages = 0;
                        request.tableBytes = tableBytes;
                        ParallelsResult result;
                        const std::string where =
                            "seed " + std::to_string(seed) + " n " + std::to_string(n) +
                            " variants " + std::to_string(variants) + " own " +
                            std::to_string(own) + " tableBytes " + std::to_string(tableBytes);
                        const std::vector<ParallelPage> want =
                            BruteForce(corpus.pages, text, n, variants, own);
                        const std::size_t keptBefore = index.Tables().entries->KeptBytes();
                        const ParallelsStatus status =
                            FindParallels(index.Tables(), request, result);
                        if (tableBytes == 0) {  // nothing built by this search stays
                            EXPECT_LE(index.Tables().entries->KeptBytes(), keptBefore) << where;
                        }
                        if (request.codes.size() < static_cast<std::size_t>(n)) {
                            EXPECT_EQ(status, ParallelsStatus::TooShort) << where;
                            continue;
                        }
                        ASSERT_EQ(status, ParallelsStatus::Ok) << where;
                        EXPECT_TRUE(result.formulas.empty());
                        ExpectSamePages(result.pages, want, where);
                        seen += static_cast<int>(want.size());
                    }
                }
            }
        }
    }
    EXPECT_GT(seen, 2000);  // the corpora did share stretches
}

// Planted cases one by one: what must and must not be found at N = 5.
TEST(ParallelsTest, PlantedStretches) {
    const std::u16string passage = u"甲乙丙丁戊己庚辛壬癸";
    struct Case {
        const char* what;
        std::u32string page;
        std::uint32_t longest;       // with variants; 0: not found
        std::uint32_t longestExact;  // without variants
    };
    const Case cases[] = {
        {"four characters", U"子甲乙丙丁子", 0, 0},
        {"five characters", U"子甲乙丙丁戊子", 5, 5},
        {"at page start", U"甲乙丙丁戊子丑", 5, 5},
        {"at page end", U"子丑己庚辛壬癸", 5, 5},
        {"across a paragraph break", U"子乙丙\n丁戊己", 5, 5},
        {"across punctuation", U"乙丙。丁、戊己", 5, 5},
        {"in a variant form", U"子甲乙丙丁戍子", 5, 0},
        {"the whole passage", U"甲乙丙丁戊己庚辛壬癸", 10, 10},
    };
    std::vector<std::u32string> pages;
    for (const Case& c : cases) pages.push_back(c.page);
    enginetest::TempDir dir;
    // 戊 and 戍 as one group, for this test only.
    ASSERT_TRUE(enginetest::WriteCorpus(dir.Path(), pages, {{0x620A, 0x620D}}));
    CIndex index;
    ASSERT_TRUE(index.Load(dir.Path(), "Index", Full));
    for (bool variants : {true, false}) {
        ParallelsRequest request;
        request.codes = PassageFromText(index, passage, variants).codes;
        ParallelsResult result;
        ASSERT_EQ(FindParallels(index.Tables(), request, result), ParallelsStatus::Ok);
        for (std::uint32_t q = 0; q < pages.size(); ++q) {
            const auto found = std::find_if(result.pages.begin(), result.pages.end(),
                                            [q](const auto& p) { return p.record == q; });
            const std::uint32_t want = variants ? cases[q].longest : cases[q].longestExact;
            if (want == 0) {
                EXPECT_EQ(found, result.pages.end()) << cases[q].what << " variants " << variants;
            } else {
                ASSERT_NE(found, result.pages.end()) << cases[q].what << " variants " << variants;
                EXPECT_EQ(found->longest, want) << cases[q].what;
            }
        }
    }
}

TEST(ParallelsTest, BadInputAndCancel) {
    enginetest::TempDir dir;
    ASSERT_TRUE(enginetest::WriteCorpus(dir.Path(), {U"甲乙丙丁戊", U"甲乙丙丁戊"}));
    CIndex index;
    ASSERT_TRUE(index.Load(dir.Path(), "Index", Full));
    struct Case {
        const char16_t* text;
        int n;
        ParallelsStatus want;
    };
    const Case cases[] = {
        {u"甲乙丙丁", 5, ParallelsStatus::TooShort},
        {u"甲。乙、丙abc丁", 5, ParallelsStatus::TooShort},  // only four indexed
        {u"", 3, ParallelsStatus::TooShort},
        {u"甲乙丙丁戊", 2, ParallelsStatus::BadMinimum},
        {u"甲乙丙丁戊", 21, ParallelsStatus::BadMinimum},
        {u"甲乙丙丁戊", 5, ParallelsStatus::Ok},
        {u"甲乙丙", 3, ParallelsStatus::Ok},
    };
    for (const Case& c : cases) {
        ParallelsRequest request;
        request.codes = PassageFromText(index, c.text, true).codes;
        request.minRun = c.n;
        ParallelsResult result;
        EXPECT_EQ(FindParallels(index.Tables(), request, result), c.want) << c.n;
        if (c.want != ParallelsStatus::Ok) {
            EXPECT_TRUE(result.pages.empty());
            EXPECT_STRNE(ParallelsStatusMessage(c.want), "");
        } else {
            EXPECT_EQ(result.pages.size(), 2u);
        }
    }
    ParallelsRequest request;
    request.codes = PassageFromText(index, u"甲乙丙丁戊", true).codes;
    request.progress = [](std::uint32_t, std::uint32_t) { return false; };
    ParallelsResult result;
    EXPECT_EQ(FindParallels(index.Tables(), request, result), ParallelsStatus::Cancelled);
    EXPECT_TRUE(result.pages.empty());
}

// A stretch that very many pages share is one formula line; pages that also
// share something else stay listed.
TEST(ParallelsTest, FormulasCollapse) {
    std::vector<std::u32string> pages;
    for (int k = 0; k < 30; ++k) pages.push_back(U"子丑甲乙丙丁戊寅卯");
    pages.push_back(U"甲乙丙丁戊。辰巳午未申");
    pages.push_back(U"甲乙丙丁戊己子");  // longer: not the formula's stretch
    enginetest::TempDir dir;
    ASSERT_TRUE(enginetest::WriteCorpus(dir.Path(), pages));
    CIndex index;
    ASSERT_TRUE(index.Load(dir.Path(), "Index", Full));
    ParallelsRequest request;
    request.codes = PassageFromText(index, u"甲乙丙丁戊己庚。辰巳午未申", true).codes;
    request.formulaPages = 20;
    ParallelsResult result;
    ASSERT_EQ(FindParallels(index.Tables(), request, result), ParallelsStatus::Ok);
    ASSERT_EQ(result.formulas.size(), 1u);
    EXPECT_EQ(result.formulas[0].passageStart, 0u);
    EXPECT_EQ(result.formulas[0].length, 5u);
    EXPECT_EQ(result.formulas[0].pageCount, 31u);
    ASSERT_EQ(result.pages.size(), 2u);
    EXPECT_EQ(result.pages[0].record, 31u);
    EXPECT_EQ(result.pages[0].longest, 6u);
    EXPECT_EQ(result.pages[1].record, 30u);  // 5 + 5: two runs
    EXPECT_EQ(result.pages[1].runCount, 2u);
}

}  // namespace
}  // namespace engine
