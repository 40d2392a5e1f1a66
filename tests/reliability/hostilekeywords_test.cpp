// Hostile keywords: very long keywords, wildcards only, thousands of terms,
// unpaired surrogates and characters with many variant forms. Each search
// and each page composition must answer with a result or a clear refusal
// and must not hang (a guard ends the process after a generous time). The
// elapsed time of every case is printed; set ORVALE_RELIABILITY_CORPUS to a
// corpus folder to measure on it instead of the small fixture corpus.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine/index.h"
#include "tests/reliability/corpusfolder.h"

namespace reliability {
namespace {

std::u16string Repeat(std::u16string_view unit, std::size_t times) {
    std::u16string out;
    out.reserve(unit.size() * times);
    for (std::size_t i = 0; i < times; ++i) out += unit;
    return out;
}

struct HostileKeyword {
    const char* name;
    std::u16string keyword;
};

std::vector<HostileKeyword> HostileKeywords() {
    return {
        {"10000 characters in one term", Repeat(u"一二三四五", 2000)},
        {"10000 characters in 5000 terms", Repeat(u"一 ", 5000)},
        {"3333 two-character terms", Repeat(u"一二 ", 3333)},
        {"300 characters, the cursor limit", Repeat(u"一", 300)},
        {"301 characters, one cursor too many", Repeat(u"一", 301)},
        {"300 stars between characters", Repeat(u"一*", 300)},
        {"star only", u"*"},
        {"question mark only", u"?"},
        {"10000 stars", Repeat(u"*", 10000)},
        {"10000 question marks", Repeat(u"?", 10000)},
        {"10000 full-width question marks", Repeat(u"？", 10000)},
        {"wildcard terms", Repeat(u"*?* ？? ", 1000)},
        {"10000 spaces", Repeat(u" ", 10000)},
        {"lone high surrogate", u"一\xD840二"},
        {"lone low surrogate", u"一\xDC00二"},
        {"high surrogate at the end", u"一二\xD840"},
        {"reversed pair", u"\xDC00\xD840"},
        {"5000 lone surrogates", Repeat(u"\xD840\x4E00\xDC00", 1666)},
        {"pairs outside the index", Repeat(u"\U0001F600一", 100)},
        {"characters with variant forms", Repeat(u"壹貳玖", 100)},
        {"variant forms and stars", Repeat(u"一*二?九 ", 500)},
        {"one long variant term", Repeat(u"一二九", 106)},
    };
}

double Milliseconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

class HostileKeywordTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* other = std::getenv("ORVALE_RELIABILITY_CORPUS");
        m_dir = other != nullptr ? other : m_corpus.Dir();
        ASSERT_TRUE(m_index.Load(m_dir, "Index", engine::Full)) << m_dir;
    }
    CorpusFolder m_corpus;
    std::string m_dir;
    engine::CIndex m_index;
};

TEST_F(HostileKeywordTest, EverySearchAnswersOrRefusesClearly) {
    const HangGuard guard(600);
    for (const HostileKeyword& hostile : HostileKeywords()) {
        for (bool variants : {false, true}) {
            for (bool any : {false, true}) {
                SCOPED_TRACE(std::string(hostile.name) + (variants ? " variants" : "") +
                             (any ? " or" : " and"));
                std::u16string query = hostile.keyword;
                const auto start = std::chrono::steady_clock::now();
                if (any) {
                    m_index.SearchOr(query, true, variants);
                } else {
                    m_index.SearchAnd(query, true, variants);
                }
                const double ms = Milliseconds(std::chrono::steady_clock::now() - start);
                const engine::SearchStatus status = m_index.LastStatus();
                if (status == engine::SearchStatus::Ok) {
                    EXPECT_EQ(m_index.GetHitCounts().size(), m_index.GetHitPages().size());
                } else {
                    EXPECT_STRNE(engine::SearchStatusMessage(status), "");
                    EXPECT_EQ(query, hostile.keyword);  // a refused query is left as it was
                }
                std::printf("search  %-36s %-8s %-3s %9.3f ms  status %d, %zu pages\n",
                            hostile.name, variants ? "variants" : "", any ? "or" : "and", ms,
                            static_cast<int>(status), m_index.GetHitPages().size());
            }
        }
    }
}

TEST_F(HostileKeywordTest, PageCompositionAnswersForEveryKeyword) {
    const HangGuard guard(600);
    for (const HostileKeyword& hostile : HostileKeywords()) {
        for (bool variants : {false, true}) {
            SCOPED_TRACE(std::string(hostile.name) + (variants ? " variants" : ""));
            std::string html;
            const auto start = std::chrono::steady_clock::now();
            const std::int32_t anchors =
                m_index.ComposeHitPage(1, html, hostile.keyword, 0, variants);
            const double ms = Milliseconds(std::chrono::steady_clock::now() - start);
            EXPECT_GE(anchors, 0);
            std::printf("compose %-36s %-8s %9.3f ms  %d anchors, %zu bytes\n", hostile.name,
                        variants ? "variants" : "", ms, anchors, html.size());
        }
    }
}

// The refusals reach the command-line user as a message and exit status 2.
TEST(HostileKeywordCli, RefusalsExitTwoWithTheirMessage) {
    const CorpusFolder corpus;
    struct Case {
        std::string keyword;
        engine::SearchStatus status;
    };
    std::string longTerm;
    for (int i = 0; i < 2000; ++i) longTerm += "一二三四五";
    std::string parts;
    for (int i = 0; i < 301; ++i) parts += "一";
    const Case cases[] = {
        {longTerm, engine::SearchStatus::TermTooLong},
        {parts, engine::SearchStatus::TooManyParts},
        {"一A", engine::SearchStatus::Refused},
    };
    for (const Case& c : cases) {
        const CliResult cli = RunCli(corpus.Dir(), {"search", "--raw", c.keyword});
        EXPECT_EQ(cli.status, 2);
        EXPECT_NE(cli.err.find(engine::SearchStatusMessage(c.status)), std::string::npos)
            << cli.err;
    }
    const CliResult lone = RunCli(corpus.Dir(), {"search", "--raw", "一\xED\xA1\x80"});
    EXPECT_EQ(lone.status, 2) << "a lone surrogate in UTF-8 is not valid UTF-8";
}

}  // namespace
}  // namespace reliability
