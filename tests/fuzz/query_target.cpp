// Fuzz target: queries on a fixed small corpus, loaded once per process.
// The input is a query, either raw UTF-16 units or bytes mapped onto an
// alphabet of the corpus's characters, their variants, wildcards, separators
// and characters the search refuses or drops; then the result page of the
// first hit is composed for the same keywords.
#include <sys/stat.h>

#include <iterator>
#include <string>

#include "engine/index.h"
#include "tests/fuzz/fuzzfolder.h"
#include "tests/fuzz/fuzzinput.h"
#include "tests/fuzz/fuzztargets.h"
#include "tests/fuzz/invariants.h"
#include "tests/fuzz/smallcorpus.h"

namespace fuzz {
namespace {

const std::u16string_view kAlphabet[] = {
    u"一",         u"二",     u"三", u"四", u"五",     u"六",     u"七",     u"八",
    u"九",         u"壹",     u"弌", u"貳", u"玖",     u"*",      u"?",      u"？",
    u" ",          u"\u3000", u"A",  u"。", u"\xD840", u"\xDC00", u"\uFFFF", u"\U00020000",
    u"\U00020001", u"ぁ",     u"あ", u"한", u"\u00FF", u"\u0100", u"**",     u"??",
};

engine::CIndex* LoadedCorpus() {
    static engine::CIndex* index = [] {
        static engine::CIndex corpus;
        const std::string dir = FuzzFolder() + "/corpus";
        if (::mkdir(dir.c_str(), 0700) != 0 || !WriteSmallCorpus(dir) ||
            !corpus.Load(dir, "Index", engine::Full)) {
            return static_cast<engine::CIndex*>(nullptr);
        }
        return &corpus;
    }();
    return index;
}

}  // namespace

int FuzzQuery(const std::uint8_t* data, std::size_t size) {
    engine::CIndex* index = LoadedCorpus();
    Require(index != nullptr, "the small corpus did not load");
    FuzzInput in(data, size);
    const std::uint8_t flags = in.Byte();
    std::u16string query;
    if ((flags & 1) != 0) {
        query = FuzzInput::Units(in.Rest());
    } else {
        for (char b : in.Rest()) {
            query += kAlphabet[static_cast<std::uint8_t>(b) % std::size(kAlphabet)];
        }
    }
    const bool countHits = (flags & 2) != 0;
    const bool useVariants = (flags & 4) != 0;
    const bool any = (flags & 8) != 0;

    const int terms = index->CountTerms(query);
    std::u16string searched = query;
    if (any) {
        index->SearchOr(searched, countHits, useVariants);
    } else {
        index->SearchAnd(searched, countHits, useVariants);
    }
    Require((terms == 0) == (index->LastStatus() == engine::SearchStatus::Refused),
            "CountTerms and the search disagree on a refusal");
    if (index->LastStatus() != engine::SearchStatus::Ok) {
        Require(searched == query, "a refused query was changed");
        return 0;
    }
    CheckHitList(*index, !any);
    Require(searched.find(u' ') == std::u16string::npos, "a space survived the search");
    if (index->HitPageCount() > 0 && !searched.empty()) {
        std::string html;
        index->ComposeHitPage(index->GetHitPages()[0], html, searched, flags >> 4 & 3, useVariants);
    }
    return 0;
}

}  // namespace fuzz
