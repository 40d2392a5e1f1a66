#include "pages/widening.h"

#include <algorithm>
#include <optional>
#include <unordered_set>
#include <utility>
#include <vector>

#include "engine/codeconverter.h"
#include "pages/characterpass.h"
#include "pages/crossmatch.h"
#include "pages/findbytes.h"
#include "pages/highlight.h"
#include "pages/pagecomposer.h"

namespace pages {

namespace {

bool IsAscii(char16_t unit) { return unit < 0x80; }

// Runs the passes of one composition: the first pass always (it frames the
// page), every later distinct keyword only when it may mark something.
// Keywords of one character offered in a row are marked in one pass (see
// ComposeCharacterPass); every other keyword first flushes them, so that
// passes keep the order of the offers.
class PassRunner {
  public:
    PassRunner(std::string_view page, int parity, int textLayer, std::string& html)
        : m_page(page), m_parity(parity), m_textLayer(textLayer), m_html(html) {}

    // The anchors written, once every offered keyword has had its pass.
    std::int32_t Finish() {
        Flush();
        if (m_framed) m_html.swap(m_page);
        return m_anchors;
    }

    // Whether no later pass may mark anything: the page holds as many
    // anchors as it may, or the work allowed is spent.
    bool Full() const {
        return m_framed && (m_anchors >= kMaxPageAnchors || m_work >= m_workLimit);
    }

    // From now on at most maxWorkBytes more work.
    void LimitWorkFromNow(std::uint64_t maxWorkBytes) {
        m_workLimit = maxWorkBytes > UINT64_MAX - m_work ? UINT64_MAX : m_work + maxWorkBytes;
    }
    bool WorkSpent() const { return m_work >= m_workLimit; }
    void LiftWorkLimit() { m_workLimit = UINT64_MAX; }

    // Whether a keyword that starts with the units of prefix may still mark.
    bool PrefixMayMark(std::u16string_view prefix) {
        m_scratch.clear();
        engine::Utf16ToUtf8(prefix, m_scratch, true);
        if (!Framed()) return true;
        // One character: the stored page's census answers as MayMark would,
        // without a pass for the characters waiting or a look at the runs.
        if (IsOneIndexedCharacter(m_scratch)) return CharacterMayMark(m_scratch);
        Flush();
        return MayMark(m_scratch);
    }

    // checked: whether to look first if the keyword can mark anything. A pass
    // that marks nothing leaves a framed page as it is, so the look only
    // saves work, for keywords that mostly do not occur.
    void Offer(std::u16string_view word, bool checked = true) {
        if (Full()) return;
        std::string keyword;
        engine::Utf16ToUtf8(word, keyword, true);
        if (IsOneIndexedCharacter(keyword)) {
            OfferCharacter(std::move(keyword));
            return;
        }
        Flush();
        if (m_seen.contains(keyword)) return;
        if (checked && m_framed && !(MayMark(keyword) && WouldMark(keyword))) return;
        m_seen.insert(keyword);
        Pass([&] {
            ComposeTermPass(m_page, m_html, keyword, m_parity, m_textLayer, m_anchors, &Counter());
        });
    }

  private:
    // Marks never add or hide a character outside tags, so the stored
    // page's counts decide. A character without a match is checked as the
    // keyword-by-keyword passes check it: one check across markup, spent
    // from the budget, that finds nothing.
    void OfferCharacter(std::string keyword) {
        if (Full()) return;
        if (Framed() && CharacterCount(keyword) == 0) {
            if (m_crossChecksLeft > 0) --m_crossChecksLeft;
            return;
        }
        if (!m_seen.insert(keyword).second) return;
        m_characters.push_back(std::move(keyword));
    }

    // Whether a pass has framed the page or will before anything else: the
    // first keyword offered always gets its pass.
    bool Framed() const { return m_framed || !m_characters.empty(); }

    void Flush() {
        if (m_characters.empty()) return;
        Pass([&] {
            ComposeCharacterPass(m_page, m_html, m_characters, m_parity, m_textLayer, m_anchors);
        });
        m_characters.clear();
    }

    template <typename Compose>
    void Pass(Compose compose) {
        m_work += m_page.size();
        m_html.clear();
        compose();
        m_page.swap(m_html);
        m_framed = true;
        m_runsCollected = false;
    }

    const CharacterCounts& Census() {
        if (!m_characterCounts) {
            m_characterCounts.emplace(CountCharacters(m_page, m_parity, m_textLayer));
        }
        return *m_characterCounts;
    }

    std::int64_t CharacterCount(const std::string& keyword) {
        const auto it = Census().find(PackedCharacter(keyword));
        return it == Census().end() ? 0 : it->second;
    }

    // MayMark of one character: it stands in a marked run (inside a tag
    // too), or else one check across markup is spent, finding nothing.
    bool CharacterMayMark(const std::string& keyword) {
        if (Census().contains(PackedCharacter(keyword))) return true;
        if (m_crossChecksLeft > 0) --m_crossChecksLeft;
        return false;
    }

    // Counted once: marks add only tags, so the count holds for every pass.
    const CrossCounter& Counter() {
        if (!m_crossCounter) m_crossCounter.emplace(CrossCounterOf(m_page, m_parity, m_textLayer));
        return *m_crossCounter;
    }

    // A quick necessary condition, also used for prefixes.
    bool MayMark(std::string_view keyword) {
        for (const std::string_view run : MarkedRuns()) {
            m_work += run.size();
            if (StretchesFitRun(keyword, run)) return true;
        }
        return CrossMatchWithinBudget(keyword);
    }

    // Exactly whether the pass of keyword would mark anything.
    bool WouldMark(std::string_view keyword) {
        SplitTerm(keyword, m_segs);
        for (const std::string_view run : MarkedRuns()) {
            m_work += run.size();
            if (RunHasMatch(run, m_segs)) return true;
        }
        return CrossMatchWithinBudget(keyword);
    }

    // Matching across markup costs far more than the run checks, and a long
    // keyword of '*' and variants has many prefixes: past a fixed number of
    // checks only matches inside one run are looked for.
    bool CrossMatchWithinBudget(std::string_view keyword) {
        if (m_crossChecksLeft == 0) return false;
        --m_crossChecksLeft;
        m_work += m_page.size();
        return Counter().Any(keyword);
    }

    // The marked runs of the page as it is now, for the checks.
    const std::vector<std::string_view>& MarkedRuns() {
        if (!m_runsCollected) CollectMarkedRuns();
        m_runsCollected = true;
        return m_markedRuns;
    }

    // Views into the page itself when its text cell is one stretch of it
    // (every framed page): a long page is not copied again after each pass.
    void CollectMarkedRuns() {
        m_runCopies.clear();
        if (MarkedRunViews(m_page, m_parity, m_textLayer, m_markedRuns)) return;
        std::array<HTMLNode, 3> parts = ParsePage(m_page);
        const bool markMain = m_textLayer != kAnnotationLayer;
        const bool markNotes = m_textLayer != kMainTextLayer;
        for (FilterItem& run : SplitRuns(parts[m_parity == 0 ? 1 : 2].text)) {
            if (run.kind == kAnnotation ? markNotes : markMain) {
                m_runCopies.push_back(std::move(run.text));
            }
        }
        m_markedRuns.assign(m_runCopies.begin(), m_runCopies.end());
    }

    std::string m_page;
    int m_parity;
    int m_textLayer;
    std::string& m_html;
    std::int32_t m_anchors = 0;
    bool m_framed = false;
    std::uint64_t m_work = 0;  // bytes walked by checks and passes
    std::uint64_t m_workLimit = UINT64_MAX;
    // The runs of the framed page that the text layer marks.
    std::vector<std::string_view> m_markedRuns;
    std::vector<std::string> m_runCopies;  // when the page is not in place
    bool m_runsCollected = false;
    std::vector<std::string> m_characters;  // offered, waiting for their pass
    std::optional<CharacterCounts> m_characterCounts;
    std::optional<CrossCounter> m_crossCounter;
    std::uint32_t m_crossChecksLeft = 2000;
    std::vector<Seg> m_segs;
    std::unordered_set<std::string> m_seen;
    std::string m_scratch;
};

struct Word {
    std::size_t begin;
    std::size_t end;
};

// Offers the spellings of one word other than its first-choice spelling, in
// lexicographic order of choices, extending only prefixes that may mark.
// Each extension takes one step of budget: ASCII units (wildcards, or
// members of an absurd variant table) cannot be pruned by the page, so
// without a bound a long keyword of them would never finish.
void OfferOtherSpellings(const VariantChoices& choices, Word word, PassRunner& runner,
                         std::uint64_t& budget) {
    bool hasOthers = false;
    for (std::size_t i = word.begin; i < word.end; ++i) hasOthers |= choices[i].size() > 1;
    if (!hasOthers) return;
    const std::size_t length = word.end - word.begin;
    std::vector<std::size_t> choice(length, 0);
    std::vector<bool> chosen(length, false);
    std::u16string spelling;
    std::size_t varied = 0;  // depths whose choice is not the first
    std::size_t depth = 0;
    for (;;) {
        if (depth == length) {
            if (varied > 0) runner.Offer(spelling);
            if (depth == 0) return;
            --depth;
            continue;
        }
        const std::vector<char16_t>& list = choices[word.begin + depth];
        if (chosen[depth]) {
            spelling.pop_back();
            if (choice[depth] > 0) --varied;
            ++choice[depth];
        } else {
            chosen[depth] = true;
            choice[depth] = 0;
        }
        if (choice[depth] >= list.size()) {
            chosen[depth] = false;
            if (depth == 0) return;
            --depth;
            continue;
        }
        if (budget == 0 || runner.Full()) return;
        --budget;
        const char16_t unit = list[choice[depth]];
        spelling.push_back(unit);
        if (choice[depth] > 0) ++varied;
        // An ASCII unit adds no stretch: its prefix was checked one level up.
        if (!IsAscii(unit) && !runner.PrefixMayMark(spelling)) continue;
        ++depth;
    }
}

// The keywords of one spelling, offered in order.
void OfferWordsOf(std::u16string_view spelling, PassRunner& runner, bool checked = true) {
    std::size_t start = 0;
    while (start < spelling.size()) {
        if (IsKeywordSeparator(spelling[start])) {
            ++start;
            continue;
        }
        std::size_t stop = start;
        while (stop < spelling.size() && !IsKeywordSeparator(spelling[stop])) ++stop;
        runner.Offer(spelling.substr(start, stop - start), checked);
        start = stop;
    }
}

// Enumerates every spelling in order: used when a choice can turn a unit into
// a separator, so that the words of a spelling depend on its choices.
bool ComposeByEnumeration(const VariantChoices& choices, std::uint64_t maxEnumerated,
                          std::uint64_t maxWorkBytes, PassRunner& runner) {
    if (choices.empty()) return true;
    std::uint64_t total = 1;
    for (const auto& list : choices) {
        if (total > maxEnumerated / list.size()) return false;
        total *= list.size();
    }
    std::vector<std::size_t> choice(choices.size(), 0);
    std::u16string spelling(choices.size(), u'\0');
    for (std::size_t i = 0; i < choices.size(); ++i) spelling[i] = choices[i][0];
    for (bool first = true;; first = false) {
        if (runner.Full()) return true;
        OfferWordsOf(spelling, runner);
        if (first) runner.LimitWorkFromNow(maxWorkBytes);
        std::size_t i = choices.size();
        while (i > 0) {
            --i;
            if (++choice[i] < choices[i].size()) break;
            choice[i] = 0;
            spelling[i] = choices[i][0];
            if (i == 0) return true;
        }
        spelling[i] = choices[i][choice[i]];
    }
}

}  // namespace

bool StretchesFitRun(std::string_view keyword, std::string_view run) {
    std::size_t from = 0;
    std::size_t i = 0;
    while (i < keyword.size()) {
        if (static_cast<unsigned char>(keyword[i]) < 0x80) {
            ++i;
            continue;
        }
        std::size_t j = i;
        while (j < keyword.size() && static_cast<unsigned char>(keyword[j]) >= 0x80) ++j;
        // The earliest end leaves the most room for the stretches that follow.
        const std::size_t at = FindBytes(run, keyword.substr(i, j - i), from);
        if (at == std::string_view::npos) return false;
        from = at + (j - i);
        i = j;
    }
    return true;
}

namespace {
std::int32_t ComposeDistinct(std::string_view page, int parity, std::string& html,
                             const VariantChoices& choices, int textLayer,
                             std::uint64_t maxEnumerated, std::uint64_t maxWorkBytes,
                             std::u16string_view typed);
}  // namespace

std::int32_t ComposeWidened(std::string_view page, int parity, std::string& html,
                            const VariantChoices& choices, int textLayer,
                            std::uint64_t maxEnumerated, std::uint64_t maxWorkBytes,
                            std::u16string_view typed) {
    if (choices.empty()) return 0;
    // A member listed twice only repeats spellings already offered.
    VariantChoices distinctChoices = choices;
    std::vector<bool> seen(0x10000, false);
    for (auto& list : distinctChoices) {
        std::vector<char16_t> distinct;
        for (char16_t unit : list) {
            if (!seen[unit]) distinct.push_back(unit);
            seen[unit] = true;
        }
        for (char16_t unit : distinct) seen[unit] = false;
        list.swap(distinct);
    }
    return ComposeDistinct(page, parity, html, distinctChoices, textLayer, maxEnumerated,
                           maxWorkBytes, typed);
}

namespace {

std::int32_t ComposeDistinct(std::string_view page, int parity, std::string& html,
                             const VariantChoices& choices, int textLayer,
                             std::uint64_t maxEnumerated, std::uint64_t maxWorkBytes,
                             std::u16string_view typed) {
    bool wordsVary = false;
    for (const auto& list : choices) {
        if (list.empty()) return 0;  // no spelling at all
        if (list.size() < 2) continue;
        for (char16_t unit : list) {
            if (IsKeywordSeparator(unit)) wordsVary = true;
        }
    }

    PassRunner runner(page, parity, textLayer, html);
    if (wordsVary) {
        if (!ComposeByEnumeration(choices, maxEnumerated, maxWorkBytes, runner)) return 0;
        return runner.Finish();
    }

    std::vector<Word> words;
    std::u16string first;
    for (std::size_t i = 0; i < choices.size(); ++i) {
        if (IsKeywordSeparator(choices[i][0])) continue;
        if (i == 0 || IsKeywordSeparator(choices[i - 1][0])) words.push_back(Word{i, i});
        words.back().end = i + 1;
    }
    for (const Word& word : words) {
        first.clear();
        for (std::size_t i = word.begin; i < word.end; ++i) first.push_back(choices[i][0]);
        runner.Offer(first);
    }
    runner.LimitWorkFromNow(maxWorkBytes);
    std::uint64_t budget = maxEnumerated;
    for (std::size_t j = words.size(); j > 0; --j)
        OfferOtherSpellings(choices, words[j - 1], runner, budget);
    // Cut short, the enumeration may never have reached the spellings the
    // user typed (a group's first member leads its list): they get their
    // passes after all, numbered after the others.
    if (runner.WorkSpent() || budget == 0) {
        runner.LiftWorkLimit();
        OfferWordsOf(typed, runner, false);
    }
    return runner.Finish();
}

}  // namespace

}  // namespace pages
