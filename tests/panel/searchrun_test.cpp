#include "panel/searchrun.h"

#include <gtest/gtest.h>

#include <string>

namespace panel {
namespace {

TEST(CheckKeywords, RefusesEmptyAndWildcardOnlyTerms) {
    struct Case {
        std::u16string keywords;
        KeywordCheck expected;
    };
    const Case cases[] = {
        {u"", KeywordCheck::Empty},
        {u"  \u3000 ", KeywordCheck::Empty},
        {u"明月", KeywordCheck::Ok},
        {u"春*風 ?月", KeywordCheck::Ok},
        {u"*", KeywordCheck::WildcardOnly},
        {u"??", KeywordCheck::WildcardOnly},
        {u"\uFF1F*", KeywordCheck::WildcardOnly},
        {u"明月 *", KeywordCheck::WildcardOnly},
        {u"明月\u3000?", KeywordCheck::WildcardOnly},
        // Characters the index refuses are left to the search's own check.
        {u"abc", KeywordCheck::Ok},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CheckKeywords(c.keywords), c.expected) << "case " << (&c - cases);
    }
}

TEST(EnterKeyAction, EachBoxKeepsItsOwnEnter) {
    struct Case {
        EnterOrigin origin;
        bool enterRunsSearch;  // at most one result page
        EnterAction expected;
    };
    const Case cases[] = {
        {EnterOrigin::KeywordBox, true, EnterAction::Search},
        {EnterOrigin::KeywordBox, false, EnterAction::Search},
        {EnterOrigin::ResultPageEdit, true, EnterAction::GoToResultPage},
        {EnterOrigin::ResultPageEdit, false, EnterAction::GoToResultPage},
        {EnterOrigin::Elsewhere, true, EnterAction::Search},
        {EnterOrigin::Elsewhere, false, EnterAction::GoToResultPage},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(EnterKeyAction(c.origin, c.enterRunsSearch), c.expected)
            << static_cast<int>(c.origin) << " " << c.enterRunsSearch;
    }
}

}  // namespace
}  // namespace panel
