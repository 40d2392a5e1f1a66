#include "engine/parallelsearch.h"

#include <algorithm>

#include "engine/codeconverter.h"
#include "engine/indexcode.h"

namespace engine {
namespace {

int CodeOf(const CIndex& index, char32_t cp, bool variants) {
    int code = IndexCodeOf(cp);
    int group = code;
    // A group beyond the tables has no postings: its members keep their own.
    if (variants && index.MapVariant(cp, group) && group < kCodeCount) code = group;
    return code;
}

void FillCodes(const CIndex& index, bool variants, ParallelPassage& passage) {
    passage.codes.clear();
    for (const pages::PageChar& ch : passage.chars) {
        if (ch.position >= 0) passage.codes.push_back(CodeOf(index, ch.cp, variants));
    }
}

// The index in chars of the character at position; chars.size() if none.
std::size_t IndexOfPosition(const std::vector<pages::PageChar>& chars, std::uint32_t position) {
    const auto found = std::find_if(chars.begin(), chars.end(), [position](const auto& ch) {
        return ch.position == static_cast<std::int32_t>(position);
    });
    return static_cast<std::size_t>(found - chars.begin());
}

std::vector<pages::PositionSpan> MergedSpans(std::vector<pages::PositionSpan> spans) {
    std::sort(spans.begin(), spans.end(), [](const auto& a, const auto& b) {
        return a.start != b.start ? a.start < b.start : a.end < b.end;
    });
    std::vector<pages::PositionSpan> merged;
    for (const pages::PositionSpan& span : spans) {
        if (!merged.empty() && span.start <= merged.back().end) {
            merged.back().end = std::max(merged.back().end, span.end);
        } else {
            merged.push_back(span);
        }
    }
    return merged;
}

}  // namespace

ParallelPassage PassageFromText(const CIndex& index, std::u16string_view text, bool variants) {
    ParallelPassage passage;
    std::u32string points(text.size(), U'\0');
    const char16_t* source = text.data();
    char32_t* target = points.data();
    Utf16ToCodePoints(source, text.data() + text.size(), target, points.data() + points.size(),
                      true);
    points.resize(static_cast<std::size_t>(target - points.data()));
    std::int32_t position = 0;
    for (char32_t cp : points) {
        pages::PageChar ch;
        ch.cp = cp == U'\r' ? U'\n' : cp;
        if (IndexCodeOf(cp) >= 0) ch.position = position++;
        passage.chars.push_back(ch);
    }
    FillCodes(index, variants, passage);
    return passage;
}

namespace {

// The stored page and the parity of its page number, which picks its text cell.
bool ReadStoredPage(CIndex& index, std::uint32_t record, std::string& page, int& parity) {
    if (!index.ReadPage(record, page)) return false;
    std::int32_t number = 0;
    if (!index.PageStore().GetPageNumber(record, number) || number < 0) number = 0;
    parity = number % 2;
    return true;
}

}  // namespace

std::int32_t ComposeParallelPage(CIndex& index, std::uint32_t record,
                                 const std::vector<pages::PositionSpan>& spans, std::string& html) {
    std::string page;
    int parity = 0;
    if (!ReadStoredPage(index, record, page, parity)) return -1;
    return pages::ComposeMarkedPage(page, parity, spans, html);
}

bool ReadPageCharacters(CIndex& index, std::uint32_t record, std::vector<pages::PageChar>& chars) {
    std::string page;
    int parity = 0;
    if (!ReadStoredPage(index, record, page, parity)) return false;
    chars = pages::PageCharacters(page, parity);
    return true;
}

bool PassageFromRecord(CIndex& index, std::uint32_t record, bool variants,
                       ParallelPassage& passage) {
    passage = ParallelPassage{};
    if (!ReadPageCharacters(index, record, passage.chars)) return false;
    passage.record = record;
    FillCodes(index, variants, passage);
    return true;
}

SharedText TextAround(const std::vector<pages::PageChar>& chars, pages::PositionSpan span,
                      int context) {
    SharedText text;
    if (span.end <= span.start) return text;
    const std::size_t first = IndexOfPosition(chars, span.start);
    const std::size_t last = IndexOfPosition(chars, span.end - 1);
    if (first >= chars.size() || last >= chars.size()) return text;
    std::size_t begin = first;
    for (int seen = 0; begin > 0 && seen < context;) {
        --begin;
        if (chars[begin].position >= 0) ++seen;
    }
    std::size_t end = last + 1;
    for (int seen = 0; end < chars.size() && seen < context; ++end) {
        if (chars[end].position >= 0) ++seen;
    }
    text.before = pages::PageCharsText(chars, begin, first);
    text.shared = pages::PageCharsText(chars, first, last + 1);
    text.after = pages::PageCharsText(chars, last + 1, end);
    return text;
}

ParallelReport RunParallelSearch(CIndex& index, const ParallelPassage& passage,
                                 const ParallelOptions& options) {
    ParallelReport report;
    ParallelsRequest request;
    request.codes = passage.codes;
    request.minRun = options.minRun;
    request.excludeRecord = passage.record;
    request.formulaPages = options.formulaPages;
    request.progress = options.progress;
    ParallelsResult result;
    report.status = FindParallels(index.Tables(), request, result);
    report.damaged = result.damaged;
    if (report.status != ParallelsStatus::Ok) return report;

    std::vector<pages::PageChar> chars;
    for (const ParallelPage& page : result.pages) {
        ParallelRow row;
        row.record = page.record;
        row.longest = page.longest;
        row.runCount = page.runCount;
        const ParallelRun* longest = &page.runs.front();
        for (const ParallelRun& run : page.runs) {
            if (run.length > longest->length) longest = &run;
            row.pageSpans.push_back({run.pageStart, run.pageStart + run.length});
            row.passageSpans.push_back({run.passageStart, run.passageStart + run.length});
        }
        row.pageSpans = MergedSpans(std::move(row.pageSpans));
        row.passageSpans = MergedSpans(std::move(row.passageSpans));
        if (ReadPageCharacters(index, page.record, chars)) {
            row.pageText = TextAround(
                chars, {longest->pageStart, longest->pageStart + longest->length}, options.context);
        } else {
            report.damaged = true;
        }
        row.passageText = TextAround(
            passage.chars, {longest->passageStart, longest->passageStart + longest->length},
            options.context);
        report.rows.push_back(std::move(row));
    }
    for (const ParallelFormula& formula : result.formulas) {
        report.formulas.push_back(
            {TextAround(passage.chars,
                        {formula.passageStart, formula.passageStart + formula.length},
                        options.context),
             formula.length, formula.pageCount});
    }
    return report;
}

}  // namespace engine
