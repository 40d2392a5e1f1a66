// Composition of a result page shaped like a stored corpus page: about 400
// CJK characters in the text cell of a two-cell table, with annotation runs
// and paragraph breaks, read from a page store in a temporary folder.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/codeconverter.h"
#include "pages/filelist.h"

namespace {

// Common characters of classical texts; the page draws its text from them.
const std::u16string kAlphabet =
    u"之而不其以為也者於人有所此則無子曰天下是中大可與知言一日君上道心行如得時生見事月";

// Ten characters of four forms each, all taken from the alphabet, so that
// every single form occurs somewhere on the page.
const std::u16string kForms[4] = {u"天下之人有道心行如得", u"日月而不其以為也者於",
                                  u"所此則無子曰是中大可", u"與知言一君上時生見事"};

std::u16string KeywordForm(const int (&form)[10]) {
    std::u16string keyword;
    for (int i = 0; i < 10; ++i) keyword += kForms[form[i]][static_cast<std::size_t>(i)];
    return keyword;
}

std::string Utf8(std::u16string_view text) {
    std::string out;
    engine::Utf16ToUtf8(text, out, true);
    return out;
}

std::string TypicalPage() {
    std::uint32_t seed = 12345;
    auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % kAlphabet.size();
    };
    std::u16string text;
    std::string cell = "<div style=\"width:420px;text-align:left\">";
    for (int paragraph = 0; paragraph < 4; ++paragraph) {
        for (int run = 0; run < 3; ++run) {
            text.clear();
            for (int i = 0; i < 30; ++i) text += kAlphabet[next()];
            cell += Utf8(text);
            text.clear();
            for (int i = 0; i < 4; ++i) text += kAlphabet[next()];
            cell += "<font size=-1 color=\"#993366\">" + Utf8(text) + "</font>";
        }
        cell += "<p>";
    }
    // Two mixed-form occurrences of the ten-character keyword.
    const int mixedA[10] = {0, 1, 2, 3, 0, 1, 2, 3, 0, 1};
    const int mixedB[10] = {3, 3, 3, 3, 3, 3, 3, 3, 3, 3};
    cell += Utf8(KeywordForm(mixedA)) + "。" + Utf8(KeywordForm(mixedB)) + "</div>";
    // Page 12 is even: its text sits in the first cell, the margin in the second.
    return "<html><head><meta charset=\"UTF-8\"><title>唐詩選 巻一 12</title></head><body>"
           "<table width=600><tr><TD valign=top>" +
           cell +
           "</TD><TD width=80 valign=top><div style=\"width:70px\">唐詩選<br>巻一<br>12</div>"
           "</TD></tr></table></body></html>";
}

// The alphabet and 2,000 more ideographs.
std::u16string LongAlphabet() {
    std::u16string alphabet = kAlphabet;
    for (char16_t c = 0x4E00; c < 0x4E00 + 2000; ++c) alphabet += c;
    return alphabet;
}

// The longest page the bench composes: about 4.2 million characters of the
// long alphabet, an annotation run of four after every 3,996. The keyword
// strings below then have tens of thousands of hits.
std::string LongPage() {
    const std::u16string alphabet = LongAlphabet();
    std::uint32_t seed = 777;
    auto next = [&seed, &alphabet] {
        seed = seed * 1103515245u + 12345u;
        return alphabet[(seed >> 8) % alphabet.size()];
    };
    std::string cell;
    std::u16string text;
    for (int block = 0; block < 4194304 / 4000; ++block) {
        text.clear();
        for (int i = 0; i < 3996; ++i) text += next();
        cell += Utf8(text);
        text.clear();
        for (int i = 0; i < 4; ++i) text += next();
        cell += "<font size=-1 color=\"#993366\">" + Utf8(text) + "</font>";
    }
    return "<html><head><meta charset=\"UTF-8\"><title>長 巻一 12</title></head><body>"
           "<table width=600><tr><TD valign=top>" +
           cell + "</TD><TD width=80 valign=top>長<br>巻一<br>12</TD></tr></table></body></html>";
}

class ComposeFixture : public benchmark::Fixture {
  public:
    virtual std::string Page() const { return TypicalPage(); }

    void SetUp(benchmark::State& state) override {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "bench-compose-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            state.SkipWithError("cannot create a temporary folder");
            return;
        }
        m_dir = pattern;
        const std::string page = Page();
        std::string name = "詩\\唐詩選\\0012.htm";
        name.resize(pages::kBuilderNameWidth, '\0');
        std::string header(8 + pages::kHeaderBlockSize, '\0');
        header[4] = static_cast<char>(pages::kBuilderNameWidth);
        std::string numbers(8, '\0');
        for (int i = 0; i < 4; ++i) {
            numbers[i] = static_cast<char>((page.size() >> (8 * i)) & 0xFF);
            numbers[4 + i] = numbers[i];
        }
        std::ofstream(m_dir + "/Index-fl.h", std::ios::binary) << header << name << numbers;
        std::string scrambled = page;
        for (char& c : scrambled) c = static_cast<char>(c ^ pages::kScrambleKey);
        std::ofstream(m_dir + "/Index-fl.cnt", std::ios::binary) << scrambled;
        if (!m_list.Load(m_dir, "Index")) state.SkipWithError("cannot load the page store");
    }

    void TearDown(benchmark::State&) override {
        m_list.Close();
        std::error_code ignored;
        if (!m_dir.empty()) std::filesystem::remove_all(m_dir, ignored);
    }

  protected:
    void Compose(benchmark::State& state, std::u16string_view keywords) {
        std::int32_t anchors = 0;
        for (auto _ : state) {
            std::string html;
            anchors = m_list.ComposeHitPage(0, html, keywords, 0);
            benchmark::DoNotOptimize(html.data());
        }
        state.counters["anchors"] = anchors;
    }

    std::string m_dir;
    pages::CFileList m_list;
};

BENCHMARK_F(ComposeFixture, OneKeyword)(benchmark::State& state) { Compose(state, u"天下"); }

BENCHMARK_F(ComposeFixture, TwoKeywords)(benchmark::State& state) { Compose(state, u"天下 子曰"); }

BENCHMARK_F(ComposeFixture, FiveKeywords)(benchmark::State& state) {
    Compose(state, u"天下 子曰 之*也 君?道 人");
}

// Ten characters of four forms each, joined by wildcard between them when
// one is given: 4^10 spellings of which only those that can mark are composed.
void ComposeWidened(pages::CFileList& list, benchmark::State& state, char16_t wildcard) {
    pages::VariantChoices choices;
    for (std::size_t i = 0; i < 10; ++i) {
        if (i > 0 && wildcard != 0) choices.push_back({wildcard});
        choices.emplace_back();
        for (const auto& forms : kForms) choices.back().push_back(forms[i]);
    }
    std::int32_t anchors = 0;
    for (auto _ : state) {
        std::string html;
        anchors = list.ComposeHitPageWidened(0, html, choices, 0);
        benchmark::DoNotOptimize(html.data());
    }
    state.counters["anchors"] = anchors;
}

BENCHMARK_F(ComposeFixture, TenCharacterKeywordWithVariants)(benchmark::State& state) {
    ComposeWidened(m_list, state, 0);
}

BENCHMARK_F(ComposeFixture, TenCharactersWithGapsAndVariants)(benchmark::State& state) {
    ComposeWidened(m_list, state, u'?');
}

BENCHMARK_F(ComposeFixture, TenCharactersWithStarsAndVariants)(benchmark::State& state) {
    ComposeWidened(m_list, state, u'*');
}

class LongPageFixture : public ComposeFixture {
  public:
    std::string Page() const override { return LongPage(); }
};

// 52 different keywords of one character each, or 50 of two characters.
std::u16string LongPageKeywords(bool pairs) {
    const std::u16string alphabet = LongAlphabet();
    std::u16string keywords;
    for (std::size_t i = 0; i < (pairs ? 50u : 52u); ++i) {
        if (i > 0) keywords += u' ';
        keywords += alphabet[i];
        if (pairs) keywords += alphabet[i + 1];
    }
    return keywords;
}

BENCHMARK_F(LongPageFixture, FiftyTwoCharacters)(benchmark::State& state) {
    Compose(state, LongPageKeywords(false));
}

BENCHMARK_F(LongPageFixture, FiftyPairs)(benchmark::State& state) {
    Compose(state, LongPageKeywords(true));
}

BENCHMARK_F(LongPageFixture, FiftyTwoCharactersWidened)(benchmark::State& state) {
    pages::VariantChoices choices;
    for (char16_t unit : LongPageKeywords(false)) choices.push_back({unit});
    std::int32_t anchors = 0;
    for (auto _ : state) {
        std::string html;
        anchors = m_list.ComposeHitPageWidened(0, html, choices, 0);
        benchmark::DoNotOptimize(html.data());
    }
    state.counters["anchors"] = anchors;
}

// The 50 pairs with every character in one variant group of all the
// unified ideographs of the basic plane: millions of spellings, of which
// thousands occur on the page.
BENCHMARK_F(LongPageFixture, FiftyPairsInOneHugeGroup)(benchmark::State& state) {
    std::vector<char16_t> group;
    for (char16_t unit = u'\u4E00'; unit < u'\u9FA6'; ++unit) group.push_back(unit);
    const std::u16string typed = LongPageKeywords(true);
    pages::VariantChoices choices;
    for (char16_t unit : typed) {
        if (unit == u' ') {
            choices.push_back({unit});
            continue;
        }
        choices.push_back(group);
    }
    std::int32_t anchors = 0;
    for (auto _ : state) {
        std::string html;
        anchors = m_list.ComposeHitPageWidened(0, html, choices, 0, typed);
        benchmark::DoNotOptimize(html.data());
    }
    state.counters["anchors"] = anchors;
}

}  // namespace
