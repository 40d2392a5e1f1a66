// The decisions of a search run that need no window: whether typed keywords
// can be searched, which search a result list belongs to, and what the Enter
// key does where it is pressed. The form (leftformsearch.cpp) acts on them.
#pragma once

#include <string>
#include <string_view>

namespace panel {

inline constexpr const char* kWildcardOnlyMessage =
    "「*」や「?」だけの検索語では検索できません。文字を加えて下さい。";

// The search that made the result list: a row opened later is marked with
// these keywords, in this text layer, with this variant setting, whatever
// the controls say by then.
struct ListedSearch {
    std::u16string keyword;  // as the index search left it (U+3000 between terms)
    int textLayer = 0;
    bool variants = true;
};

enum class KeywordCheck {
    Ok,
    Empty,         // nothing but separators: kNoKeywordMessage
    WildcardOnly,  // a term of '*', '?' and '？' only: kWildcardOnlyMessage
};

// Checks keywords separated by U+0020 or U+3000. A term made only of
// wildcards matches nothing (an AND search would list nothing, an OR
// search would ignore it), so it is refused rather than run.
KeywordCheck CheckKeywords(std::u16string_view keywords);

// Where an Enter key press started.
enum class EnterOrigin { KeywordBox, ResultPageEdit, Elsewhere };
enum class EnterAction { Search, GoToResultPage };

// The keyword box always searches and the result-page box always goes to
// the typed result page; elsewhere on the form Enter searches unless there
// are several result pages.
EnterAction EnterKeyAction(EnterOrigin origin, bool enterRunsSearch);

}  // namespace panel
