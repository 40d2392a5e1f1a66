// A long session: 10,000 searches, result rows and page compositions in one
// process. The sanitizer build runs it under LeakSanitizer (a leak fails the
// run at exit); other builds compare the resident memory after 1,000 and
// after 10,000 rounds.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "engine/index.h"
#include "panel/catalogue.h"
#include "panel/resultrows.h"
#include "tests/reliability/corpusfolder.h"

#if defined(__SANITIZE_ADDRESS__)
#define ORVALE_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ORVALE_UNDER_ASAN 1
#endif
#endif

namespace reliability {
namespace {

// Resident memory of this process in bytes.
std::uint64_t ResidentBytes() {
    std::ifstream statm("/proc/self/statm");
    std::uint64_t size = 0;
    std::uint64_t resident = 0;
    statm >> size >> resident;
    return resident * static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE));
}

TEST(LongSession, TenThousandRoundsDoNotGrowMemory) {
    const HangGuard guard(1200);
    const CorpusFolder corpus;
    engine::CIndex index;
    ASSERT_TRUE(index.Load(corpus.Dir(), "Index", engine::Full));
    panel::Catalogue catalogue;
    ASSERT_TRUE(catalogue.LoadCatalogue(corpus.Dir(), "").opened);
    const panel::ContentsNodeTag* scope = catalogue.ScopeNode(1);
    ASSERT_NE(scope, nullptr);

    const std::u16string queries[] = {u"一",   u"一二三",       u"一*三",    u"二?四",  u"壹 九",
                                      u"七七", u"三\U00020000", u"八 一 二", u"*？*一", u"玖"};
    std::vector<panel::SearchNodeTag> rows;
    std::uint64_t residentAt1000 = 0;
    std::uint64_t anchors = 0;
    for (int round = 1; round <= 10000; ++round) {
        std::u16string query = queries[round % std::size(queries)];
        const bool variants = round % 3 == 0;
        if (round % 2 == 0) {
            index.SearchOr(query, true, variants);
        } else {
            index.SearchAnd(query, true, variants);
        }
        ASSERT_EQ(index.LastStatus(), engine::SearchStatus::Ok);
        panel::BuildRows(scope, index.GetHitPages(), index.GetHitCounts(), rows);
        std::string html;
        const std::uint32_t page = index.GetHitPages().empty() ? 0 : index.GetHitPages().front();
        anchors += static_cast<std::uint64_t>(
            index.ComposeHitPage(page, html, query, round % 3, variants));
        std::string raw;
        ASSERT_TRUE(index.ReadPage(page, raw));
        if (round % 1000 == 0) {
            // A scope switch, as the reader does it.
            ASSERT_TRUE(index.Load(corpus.Dir(), "Index", engine::Full));
        }
        if (round == 1000) residentAt1000 = ResidentBytes();
    }
    const std::uint64_t residentAt10000 = ResidentBytes();
    std::printf(
        "resident memory: %.1f MiB after 1,000 rounds, %.1f MiB after 10,000; %llu anchors\n",
        residentAt1000 / 1048576.0, residentAt10000 / 1048576.0,
        static_cast<unsigned long long>(anchors));
    EXPECT_GT(anchors, 0u);
#ifndef ORVALE_UNDER_ASAN
    // The sanitizer's quarantine holds freed memory for a while, so the
    // comparison means something only without it; there LeakSanitizer checks.
    EXPECT_LT(residentAt10000, residentAt1000 + 4u * 1048576u);
#endif
}

}  // namespace
}  // namespace reliability
