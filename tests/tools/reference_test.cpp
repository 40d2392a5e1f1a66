// The builder and the engine together against a brute-force scan: random
// small corpora (a small alphabet, random annotation runs, unindexed
// characters and paragraph breaks) are built with orvale-build and every
// query's pages and hit counts in all three scopes are compared with a scan
// of the source text, positions numbered as the index format defines them.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "engine/index.h"
#include "tests/tools/program.h"

namespace toolstest {
namespace {

// 甲 乙 丙 丁 戊 are indexed; 。 and 'a' are not. Groups: {甲, 乙}, {丁, 戊}.
const std::u32string kIndexed = U"甲乙丙丁戊";
const char* const kVariants = "7532,4E59\n4E01,620A\n";

struct Run {
    bool note;
    std::u32string text;
};
using Page = std::vector<Run>;

std::string Utf8(std::u32string_view text) {
    std::string out;
    for (const char32_t c : text) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::string JsonString(std::u32string_view text) {
    std::string out = "\"";
    for (const char32_t c : text) out += c == U'\n' ? std::string("\\n") : Utf8({&c, 1});
    return out + "\"";
}

class RandomCorpus {
  public:
    explicit RandomCorpus(unsigned seed) : m_random(seed) {
        const int volumes = Uniform(1, 5);
        for (int v = 0; v < volumes; ++v) {
            m_source += R"({"category": "c)" + std::to_string(Uniform(0, 1)) + R"(", "title": "t)" +
                        std::to_string(Uniform(0, 1)) + R"(", "volume": "v", "pages": [)";
            const int pages = Uniform(1, 6);
            for (int p = 0; p < pages; ++p) {
                Page page;
                std::string runs;
                const int runCount = Uniform(0, 4);
                for (int r = 0; r < runCount; ++r) {
                    Run run{Uniform(0, 2) == 0, {}};
                    const int length = Uniform(0, 40);
                    for (int i = 0; i < length; ++i) run.text += RandomTextChar();
                    runs += std::string(r ? ", " : "") +
                            (run.note ? "{\"note\": " + JsonString(run.text) + "}"
                                      : JsonString(run.text));
                    page.push_back(run);
                }
                m_source += std::string(p ? ", " : "") + "{\"runs\": [" + runs + "]}";
                m_pages.push_back(page);
            }
            m_source += "]}\n";
        }
    }

    const std::string& Source() const { return m_source; }
    const std::vector<Page>& Pages() const { return m_pages; }

    // A term of 1 to 4 characters with '?' inside and at most one '*'.
    std::u16string RandomTerm() {
        std::u16string term;
        const int length = Uniform(1, 4);
        bool star = false;
        for (int i = 0; i < length; ++i) {
            if (i > 0 && Uniform(0, 5) == 0) term += u'?';
            if (i > 0 && !star && Uniform(0, 4) == 0) {
                term += u'*';
                star = true;
            }
            term += static_cast<char16_t>(kIndexed[static_cast<std::size_t>(Uniform(0, 4))]);
        }
        return term;
    }
    int Uniform(int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(m_random);
    }

  private:
    char32_t RandomTextChar() {
        const int pick = Uniform(0, 19);
        if (pick < 14)
            return kIndexed[static_cast<std::size_t>(pick % 3 == 0 ? pick % 5 : pick % 2)];
        if (pick < 17) return kIndexed[static_cast<std::size_t>(Uniform(2, 4))];
        if (pick == 17) return U'。';
        if (pick == 18) return U'a';
        return U'\n';
    }

    std::mt19937 m_random;
    std::string m_source;
    std::vector<Page> m_pages;
};

char32_t GroupOf(char32_t c) {
    if (c == U'甲' || c == U'乙') return U'甲';
    if (c == U'丁' || c == U'戊') return U'丁';
    return c;
}

// The scope's indexed characters of a page, in position order.
std::u32string ScopeText(const Page& page, int scope) {
    std::u32string text;
    for (const Run& run : page) {
        if ((scope == engine::Desc && !run.note) || (scope == engine::Content && run.note))
            continue;
        for (const char32_t c : run.text) {
            if (kIndexed.find(c) != std::u32string::npos) text += c;
        }
    }
    return text;
}

struct Cursor {
    char32_t c;
    int t;
    int segment;
};

// Brute force of one term: per page, the number of places (a term without
// '*') or 1 when it matches at all (a term with '*').
std::map<std::uint32_t, std::uint32_t> ScanTerm(const std::vector<Page>& pages,
                                                std::u16string_view term, int scope,
                                                bool variants) {
    std::vector<Cursor> cursors;
    int t = 0;
    int segment = 0;
    for (const char16_t u : term) {
        if (u == u'*') {
            ++segment;
        } else if (u == u'?') {
            ++t;
        } else {
            cursors.push_back({u, t++, segment});
        }
    }
    auto matches = [&](char32_t pattern, char32_t text) {
        return variants ? GroupOf(pattern) == GroupOf(text) : pattern == text;
    };
    std::map<std::uint32_t, std::uint32_t> result;
    for (std::size_t r = 0; r < pages.size(); ++r) {
        const std::u32string text = ScopeText(pages[r], scope);
        const int n = static_cast<int>(text.size());
        // Valid bases (position of the term's first character) per segment.
        std::vector<std::vector<int>> bases(static_cast<std::size_t>(segment) + 1);
        for (int s = 0; s <= segment; ++s) {
            for (int b = -cursors.back().t; b < n; ++b) {
                bool ok = false;
                for (const Cursor& cursor : cursors) {
                    if (cursor.segment != s) continue;
                    const int p = b + cursor.t;
                    ok = p >= 0 && p < n && matches(cursor.c, text[static_cast<std::size_t>(p)]);
                    if (!ok) break;
                }
                if (ok) bases[static_cast<std::size_t>(s)].push_back(b);
            }
        }
        if (segment == 0) {
            if (!bases[0].empty())
                result[static_cast<std::uint32_t>(r)] = static_cast<std::uint32_t>(bases[0].size());
            continue;
        }
        for (const int b1 : bases[0]) {
            for (const int b2 : bases[1]) {
                if (b2 - b1 >= 0 && b2 - b1 <= 300) result[static_cast<std::uint32_t>(r)] = 1;
            }
        }
    }
    return result;
}

struct Expected {
    std::vector<std::uint32_t> pages;
    std::vector<std::uint32_t> counts;
};

Expected ScanQuery(const std::vector<Page>& pages, const std::vector<std::u16string>& terms,
                   bool anyTerm, int scope, bool variants) {
    Expected expected;
    for (std::size_t i = 0; i < terms.size(); ++i) {
        const auto found = ScanTerm(pages, terms[i], scope, variants);
        if (i == 0) {
            for (const auto& [page, count] : found) {
                expected.pages.push_back(page);
                expected.counts.push_back(count);
            }
        } else if (anyTerm) {
            const std::size_t before = expected.pages.size();
            for (const auto& [page, count] : found) {
                const auto at = std::find(expected.pages.begin(),
                                          expected.pages.begin() + static_cast<long>(before), page);
                if (at == expected.pages.begin() + static_cast<long>(before)) {
                    expected.pages.push_back(page);
                    expected.counts.push_back(count);
                } else {
                    expected.counts[static_cast<std::size_t>(at - expected.pages.begin())] += count;
                }
            }
        } else {
            Expected kept;
            for (std::size_t k = 0; k < expected.pages.size(); ++k) {
                if (const auto it = found.find(expected.pages[k]); it != found.end()) {
                    kept.pages.push_back(expected.pages[k]);
                    kept.counts.push_back(expected.counts[k] + it->second);
                }
            }
            expected = kept;
        }
    }
    return expected;
}

TEST(BuilderAndEngine, SearchesAgreeWithABruteForceScan) {
    int queries = 0;
    int withHits = 0;
    for (unsigned seed = 1; seed <= 12; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        RandomCorpus corpus(seed);
        TempDir dir;
        WriteFile(dir / "source.jsonl", corpus.Source());
        WriteFile(dir / "variants.txt", kVariants);
        const RunResult run =
            RunProgram(BuildExe(), {(dir / "source.jsonl").string(), (dir / "corpus").string(),
                                    "--variants", (dir / "variants.txt").string()});
        ASSERT_EQ(run.status, 0) << run.err;
        for (const int scope : {engine::Full, engine::Desc, engine::Content}) {
            engine::CIndex index;
            ASSERT_TRUE(index.Load((dir / "corpus").string(), "Index", scope));
            for (int q = 0; q < 60; ++q) {
                std::vector<std::u16string> terms;
                std::u16string query;
                const int termCount = corpus.Uniform(1, 3);
                bool star = false;
                for (int i = 0; i < termCount; ++i) {
                    terms.push_back(corpus.RandomTerm());
                    star = star || terms.back().find(u'*') != std::u16string::npos;
                    query += (i ? u" " : u"") + terms.back();
                }
                const bool anyTerm = corpus.Uniform(0, 1) == 1;
                const bool variants = corpus.Uniform(0, 1) == 1;
                std::u16string buffer = query;
                if (anyTerm) {
                    index.SearchOr(buffer, true, variants);
                } else {
                    index.SearchAnd(buffer, true, variants);
                }
                ASSERT_EQ(index.LastStatus(), engine::SearchStatus::Ok);
                const Expected expected =
                    ScanQuery(corpus.Pages(), terms, anyTerm, scope, variants);
                const auto count = static_cast<std::size_t>(index.HitPageCount());
                const std::vector<std::uint32_t> pages(
                    index.GetHitPages().begin(),
                    index.GetHitPages().begin() + static_cast<long>(count));
                std::string trace;
                for (const char16_t u : query) trace += Utf8(std::u32string(1, u));
                SCOPED_TRACE("scope " + std::to_string(scope) + (anyTerm ? " or " : " and ") +
                             (variants ? "variants " : "") + trace);
                EXPECT_EQ(pages, expected.pages);
                ++queries;
                withHits += expected.pages.empty() ? 0 : 1;
                // With '*' the scan decides whether a page matches, not how often.
                if (!star) {
                    EXPECT_EQ(index.GetHitCounts(), expected.counts);
                }
            }
        }
    }
    // The comparison means something only if many queries find pages.
    EXPECT_GT(withHits, queries / 3) << withHits << " of " << queries;
}

}  // namespace
}  // namespace toolstest
