#include "panel/searchrun.h"

namespace panel {

namespace {

bool IsSeparator(char16_t unit) { return unit == u' ' || unit == u'\u3000'; }

bool IsWildcard(char16_t unit) { return unit == u'*' || unit == u'?' || unit == u'\uFF1F'; }

}  // namespace

KeywordCheck CheckKeywords(std::u16string_view keywords) {
    bool anyTerm = false;
    std::size_t i = 0;
    while (i < keywords.size()) {
        if (IsSeparator(keywords[i])) {
            ++i;
            continue;
        }
        bool literal = false;
        for (; i < keywords.size() && !IsSeparator(keywords[i]); ++i) {
            literal |= !IsWildcard(keywords[i]);
        }
        if (!literal) return KeywordCheck::WildcardOnly;
        anyTerm = true;
    }
    return anyTerm ? KeywordCheck::Ok : KeywordCheck::Empty;
}

EnterAction EnterKeyAction(EnterOrigin origin, bool enterRunsSearch) {
    switch (origin) {
        case EnterOrigin::KeywordBox:
            return EnterAction::Search;
        case EnterOrigin::ResultPageEdit:
            return EnterAction::GoToResultPage;
        case EnterOrigin::Elsewhere:
            break;
    }
    return enterRunsSearch ? EnterAction::Search : EnterAction::GoToResultPage;
}

}  // namespace panel
