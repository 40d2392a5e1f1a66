#include <gtest/gtest.h>

#include <memory>

#include "engine/index.h"
#include "tests/engine/indexfixture.h"

namespace engine {
namespace {

using Pages = std::vector<std::uint32_t>;

// Characters of the test pages: A..D are indexed, '.' (U+3002) is not.
constexpr char32_t A = 0x4E00;
constexpr char32_t B = 0x4E8C;
constexpr char32_t C = 0x4E09;
constexpr char32_t D = 0x56DB;

// Turns "AB.C" into the page text with the characters above.
std::u32string Text(std::string_view letters) {
    std::u32string text;
    for (char ch : letters) {
        switch (ch) {
            case 'A':
                text += A;
                break;
            case 'B':
                text += B;
                break;
            case 'C':
                text += C;
                break;
            case 'D':
                text += D;
                break;
            default:
                text += U'\x3002';
                break;
        }
    }
    return text;
}

// The same for a query: letters become the characters, other units stay.
std::u16string Query(std::string_view letters) {
    std::u16string query;
    for (char ch : letters) {
        switch (ch) {
            case 'A':
                query += static_cast<char16_t>(A);
                break;
            case 'B':
                query += static_cast<char16_t>(B);
                break;
            case 'C':
                query += static_cast<char16_t>(C);
                break;
            case 'D':
                query += static_cast<char16_t>(D);
                break;
            case '.':
                query += u'\x3002';
                break;
            default:
                query += static_cast<char16_t>(static_cast<unsigned char>(ch));
                break;
        }
    }
    return query;
}

class SearchTest : public ::testing::Test {
  protected:
    void Open(const std::vector<std::string>& pages,
              const std::vector<std::vector<std::uint32_t>>& groups = {}) {
        std::vector<std::u32string> texts;
        for (const std::string& page : pages) texts.push_back(Text(page));
        OpenTexts(texts, groups);
    }
    void OpenTexts(const std::vector<std::u32string>& texts,
                   const std::vector<std::vector<std::uint32_t>>& groups = {}) {
        m_dir = std::make_unique<enginetest::TempDir>();
        ASSERT_TRUE(enginetest::WriteCorpus(m_dir->Path(), texts, groups));
        ASSERT_TRUE(m_index.Load(m_dir->Path(), "Index", Full));
    }
    int And(std::string_view letters, bool variants = false) {
        std::u16string query = Query(letters);
        return m_index.SearchAnd(query, true, variants);
    }
    int Or(std::string_view letters, bool variants = false) {
        std::u16string query = Query(letters);
        return m_index.SearchOr(query, true, variants);
    }
    Pages HitPages() const { return m_index.GetHitPages(); }
    Pages Counts() const { return m_index.GetHitCounts(); }

    std::unique_ptr<enginetest::TempDir> m_dir;
    CIndex m_index;
};

TEST_F(SearchTest, PhrasesAndCounts) {
    Open({"AAB", "B", "ABA", "AAA", "A.B", "BA"});
    struct Case {
        const char* query;
        Pages pages;
        Pages counts;
    };
    const std::vector<Case> cases = {
        {"A", {0, 2, 3, 4, 5}, {2, 2, 3, 1, 1}},
        {"AA", {0, 3}, {1, 2}},         // two equal characters in a run of three count 2
        {"AB", {0, 2, 4}, {1, 1, 1}},   // the unindexed '.' takes no position
        {"A.B", {0, 2, 4}, {1, 1, 1}},  // nor does it in the query
        {"AAA", {3}, {1}},
        {"AAAA", {}, {}},
        {"D", {}, {}},
        {"BAB", {}, {}},
    };
    for (const Case& c : cases) {
        And(c.query);
        EXPECT_EQ(HitPages(), c.pages) << c.query;
        EXPECT_EQ(Counts(), c.counts) << c.query;
        EXPECT_EQ(m_index.HitPageCount(), static_cast<std::int32_t>(c.pages.size()));
    }
}

TEST_F(SearchTest, AsteriskReachesZeroTo300Characters) {
    std::vector<std::string> pages;
    for (int gap : {0, 1, 299, 300, 301, 302}) pages.push_back("A" + std::string(gap, 'C') + "B");
    Open(pages);
    And("A*B");
    EXPECT_EQ(HitPages(), (Pages{0, 1, 2, 3}));
    And("A**B");
    EXPECT_EQ(HitPages(), (Pages{0, 1, 2, 3}));
    And("A?*B");  // the question mark takes one of the characters
    EXPECT_EQ(HitPages(), (Pages{1, 2, 3, 4}));
    And("B*A");
    EXPECT_EQ(HitPages(), Pages{});
    for (const char* same : {"*A", "A*", "**A**", "*A*"}) {
        And(same);
        EXPECT_EQ(HitPages(), (Pages{0, 1, 2, 3, 4, 5})) << same;
        EXPECT_EQ(Counts(), (Pages{1, 1, 1, 1, 1, 1})) << same;
    }
}

TEST_F(SearchTest, QuestionMarkStandsForExactlyOneCharacter) {
    Open({"AB", "ACB", "ACCB", "A.CB"});
    for (const char* query : {"A?B",
                              "A\xEF\xBC\x9F"
                              "B"}) {
        std::u16string q = Query("A?B");
        if (query[1] != '?') q[1] = u'\xFF1F';
        m_index.SearchAnd(q, true, false);
        EXPECT_EQ(HitPages(), (Pages{1, 3})) << query;
    }
    And("A??B");
    EXPECT_EQ(HitPages(), Pages{2});
    // At the start or end of a term a question mark asks for nothing.
    And("?A");
    EXPECT_EQ(HitPages(), (Pages{0, 1, 2, 3}));
    And("B?");
    EXPECT_EQ(HitPages(), (Pages{0, 1, 2, 3}));
    for (const char* nothing : {"?", "*", "?*?", "**"}) {
        And(nothing);
        EXPECT_EQ(HitPages(), Pages{}) << nothing;
        Or(std::string("A ") + nothing);
        EXPECT_EQ(HitPages(), (Pages{0, 1, 2, 3})) << nothing;
    }
}

TEST_F(SearchTest, AsteriskCountsEveryFirstSegmentOccurrence) {
    Open({"AAB", "AB.AB", "AC"});
    And("A*B");
    EXPECT_EQ(HitPages(), (Pages{0, 1}));
    EXPECT_EQ(Counts(), (Pages{2, 2}));
}

TEST_F(SearchTest, AsteriskChainFindsTheLaterMiddleOccurrence) {
    // A at 0, B at 10 and at 250, C at 500: only the second B is within 300
    // of both neighbours.
    std::string page =
        "A" + std::string(9, 'D') + "B" + std::string(239, 'D') + "B" + std::string(249, 'D') + "C";
    Open({page, "ABC"});
    And("A*B*C");
    EXPECT_EQ(HitPages(), (Pages{0, 1}));
    EXPECT_EQ(Counts(), (Pages{1, 1}));
}

TEST_F(SearchTest, TermSeparators) {
    Open({"A", "B", "AB", "C"});
    for (const char* query : {"A B", "A  B", " A B ", "  A   B  "}) {
        EXPECT_EQ(m_index.CountTerms(Query(query)), 2) << query;
        And(query);
        EXPECT_EQ(HitPages(), Pages{2}) << query;
        EXPECT_EQ(Counts(), Pages{2}) << query;
    }
    // An ideographic space separates terms too.
    std::u16string query = Query("A") + u"\x3000" + Query("B");
    m_index.SearchAnd(query, true, false);
    EXPECT_EQ(HitPages(), Pages{2});
}

TEST_F(SearchTest, AndOrOrderAndCounts) {
    Open({"B", "C", "AA", "ABB", "A"});
    struct Case {
        bool isAnd;
        const char* query;
        Pages pages;
        Pages counts;
    };
    const std::vector<Case> cases = {
        {true, "A D", {}, {}},
        {false, "A D", {2, 3, 4}, {2, 1, 1}},
        {false, "D A", {2, 3, 4}, {2, 1, 1}},
        {true, "A B", {3}, {3}},
        {true, "B A", {3}, {3}},
        // B occurs before A's first page: A's pages first, then B's new one
        // with B's count alone.
        {false, "A B", {2, 3, 4, 0}, {2, 3, 1, 1}},
        {false, "B A", {0, 3, 2, 4}, {1, 3, 2, 1}},
        {false, "A B C", {2, 3, 4, 0, 1}, {2, 3, 1, 1, 1}},
        {true, "A A", {2, 3, 4}, {4, 2, 2}},
        {false, "A A", {2, 3, 4}, {4, 2, 2}},
    };
    for (const Case& c : cases) {
        const int result = c.isAnd ? And(c.query) : Or(c.query);
        EXPECT_EQ(HitPages(), c.pages) << c.query << (c.isAnd ? " and" : " or");
        EXPECT_EQ(Counts(), c.counts) << c.query << (c.isAnd ? " and" : " or");
        if (c.isAnd && c.pages.empty()) {
            EXPECT_EQ(result, 0);  // the term without pages runs first and ends the search
        }
    }
}

TEST_F(SearchTest, WithoutCountingTheCountsStayEmpty) {
    Open({"B", "AB", "A"});
    std::u16string query = Query("A B");
    m_index.SearchOr(query, false, false);
    EXPECT_EQ(HitPages(), (Pages{1, 2, 0}));
    EXPECT_TRUE(Counts().empty());
    query = Query("A B");
    m_index.SearchAnd(query, false, false);
    EXPECT_EQ(HitPages(), Pages{1});
    EXPECT_TRUE(Counts().empty());
    // Counts that do not pair with the pages end an intersecting term.
    EXPECT_EQ(m_index.SearchTerm(Query("A"), Intersect, true, false), 0);
    EXPECT_TRUE(HitPages().empty());
}

TEST_F(SearchTest, RefusedQueriesLeaveHitListAndQueryAlone) {
    Open({"A", "AB"});
    And("A");
    const Pages before = HitPages();
    const std::u16string tooLong = Query(std::string(300, 'A') + std::string(18, '?'));
    const std::u16string tooMany = Query(std::string(301, 'A'));
    struct Case {
        std::u16string query;
        SearchStatus status;
    };
    const std::vector<Case> cases = {
        {u"", SearchStatus::Refused},
        {u"   ", SearchStatus::Refused},
        {Query("A x"), SearchStatus::Refused},
        {Query("A 1"), SearchStatus::Refused},
        {Query("A\xE9"), SearchStatus::Refused},
        {Query("A") + u'\0', SearchStatus::Refused},
        {Query("A ") + tooLong + Query("A"), SearchStatus::TermTooLong},
        {Query("A ") + tooMany, SearchStatus::TooManyParts},
        {Query(std::string(160, 'A')) + u"*" + Query(std::string(160, 'A')),
         SearchStatus::TermTooLong},
    };
    for (const Case& c : cases) {
        for (bool isAnd : {true, false}) {
            std::u16string query = c.query;
            const int result = isAnd ? m_index.SearchAnd(query, true, false)
                                     : m_index.SearchOr(query, true, false);
            EXPECT_EQ(result, 0);
            EXPECT_EQ(m_index.LastStatus(), c.status);
            EXPECT_STRNE(SearchStatusMessage(c.status), "");
            EXPECT_EQ(query, c.query);  // spaces are not rewritten
            EXPECT_EQ(HitPages(), before);
            EXPECT_EQ(Counts(), (Pages{1, 1}));
        }
    }
    // The largest terms that fit are searched.
    for (const std::u16string& fits :
         {Query(std::string(300, 'A') + std::string(18, '?')), Query(std::string(300, 'A')),
          Query("A*" + std::string(150, 'B') + "*****") + Query(std::string(400, '.'))}) {
        std::u16string query = fits;
        m_index.SearchAnd(query, true, false);
        EXPECT_EQ(m_index.LastStatus(), SearchStatus::Ok);
        EXPECT_EQ(HitPages(), Pages{});
    }
}

TEST_F(SearchTest, SpacesBecomeIdeographicSpacesInPlace) {
    Open({"AB"});
    for (bool isAnd : {true, false}) {
        std::u16string query = Query(" A  B ");
        isAnd ? m_index.SearchAnd(query, true, false) : m_index.SearchOr(query, true, false);
        EXPECT_EQ(query, u"\x3000" + Query("A") + u"\x3000\x3000" + Query("B") + u"\x3000");
        // Searching the rewritten string again gives the same result.
        isAnd ? m_index.SearchAnd(query, true, false) : m_index.SearchOr(query, true, false);
        EXPECT_EQ(HitPages(), Pages{0});
        EXPECT_EQ(Counts(), Pages{2});
    }
}

TEST_F(SearchTest, VariantsReadTheGroupPostings) {
    Open({"A", "D", "B", "AD"}, {{B, C}, {A, D}});
    int code = 0;
    ASSERT_TRUE(m_index.MapVariant(D, code));
    EXPECT_EQ(code, kVariantCodeBase + 1);
    And("A");
    EXPECT_EQ(HitPages(), (Pages{0, 3}));
    And("A", true);
    EXPECT_EQ(HitPages(), (Pages{0, 1, 3}));
    EXPECT_EQ(Counts(), (Pages{1, 1, 2}));
    And("DA", true);
    EXPECT_EQ(HitPages(), Pages{3});
    And("C", true);
    EXPECT_EQ(HitPages(), Pages{2});
}

TEST_F(SearchTest, VariantGroupsBeyondTheTablesHaveNoPostings) {
    std::vector<std::vector<std::uint32_t>> groups(kMaxVariantGroups + 5, {0x3400});
    groups.back() = {A};
    Open({"A"}, groups);
    int code = 0;
    ASSERT_TRUE(m_index.MapVariant(A, code));
    EXPECT_GE(code, kCodeCount);
    And("A", true);
    EXPECT_EQ(HitPages(), Pages{});
    And("A", false);
    EXPECT_EQ(HitPages(), Pages{0});
}

TEST_F(SearchTest, CharactersOutsideTheBasicPlane) {
    const std::u32string page = {A, 0x20000, 0x2F800, U'\x3002', B};
    OpenTexts({page});
    std::u16string query = u"\x4E00\xD840\xDC00\xD87E\xDC00\x4E8C";
    m_index.SearchAnd(query, true, false);
    EXPECT_EQ(HitPages(), Pages{0});
    // An emoji (not indexed) and a lone surrogate are dropped from the term.
    query = u"\xD840\xDC00\xD83D\xDE00\xDC00\xD87E\xDC00";
    m_index.SearchAnd(query, true, false);
    EXPECT_EQ(HitPages(), Pages{0});
}

TEST(SearchUnloadedTest, AnUnloadedIndexFindsNothing) {
    CIndex index;
    std::u16string query = u"\x4E00 \x4E8C";
    EXPECT_EQ(index.SearchOr(query, true, false), 0);
    EXPECT_EQ(index.LastStatus(), SearchStatus::Ok);
    EXPECT_TRUE(index.GetHitPages().empty());
    EXPECT_EQ(query, u"\x4E00\x3000\x4E8C");
}

}  // namespace
}  // namespace engine
