#include "pages/pagecomposer.h"

#include "pages/crossmatch.h"
#include "pages/highlight.h"

namespace pages {

namespace {

enum PartState {
    kBeforeTitle,
    kInTitle,
    kAfterTitle,
    kInCell1,
    kBetweenCells,
    kInCell2,
    kAfterCells
};

bool StartsWith(std::string_view s, std::string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

HTMLNode* PartOf(std::array<HTMLNode, 3>& parts, int state) {
    switch (state) {
        case kInTitle:
            return &parts[0];
        case kInCell1:
            return &parts[1];
        case kInCell2:
            return &parts[2];
        default:
            return nullptr;
    }
}

}  // namespace

std::array<HTMLNode, 3> ParsePage(std::string_view page) {
    std::array<HTMLNode, 3> parts;
    int state = kBeforeTitle;
    std::size_t i = 0;
    while (i < page.size()) {
        if (page[i] != '<') {
            const std::size_t next = std::min(page.find('<', i), page.size());
            if (HTMLNode* part = PartOf(parts, state)) part->text.append(page.substr(i, next - i));
            i = next;
            continue;
        }
        const std::size_t close = page.find('>', i);
        if (close == std::string_view::npos) break;  // a tag still open at the end is dropped
        const std::string_view tag = page.substr(i, close + 1 - i);
        i = close + 1;
        if (StartsWith(tag, "<title") && state == kBeforeTitle) {
            state = kInTitle;
        } else if (StartsWith(tag, "<TD")) {
            if (state == kAfterTitle) {
                state = kInCell1;
            } else if (state == kBetweenCells) {
                state = kInCell2;
            }
        } else if (StartsWith(tag, "</title>")) {
            state = kAfterTitle;
        } else if (StartsWith(tag, "</TD")) {
            if (state == kInCell1) {
                state = kBetweenCells;
            } else if (state == kInCell2) {
                state = kAfterCells;
            }
        } else if (HTMLNode* part = PartOf(parts, state)) {
            part->text.append(tag);
        }
    }
    return parts;
}

std::vector<FilterItem> SplitRuns(std::string_view cell) {
    std::vector<FilterItem> runs(1);
    std::size_t i = 0;
    while (i < cell.size()) {
        if (cell[i] != '<') {
            const std::size_t next = std::min(cell.find('<', i), cell.size());
            runs.back().text.append(cell.substr(i, next - i));
            i = next;
            continue;
        }
        const std::size_t close = cell.find('>', i);
        if (close == std::string_view::npos) break;
        const std::string_view tag = cell.substr(i, close + 1 - i);
        i = close + 1;
        if (StartsWith(tag, kAnnotationOpener)) {
            runs.push_back(FilterItem{kAnnotation, {}});
        } else if (runs.back().kind == kAnnotation && StartsWith(tag, kAnnotationCloser)) {
            runs.push_back(FilterItem{kMainText, {}});
        } else {
            runs.back().text.append(tag);
        }
    }
    return runs;
}

PlainCell MakePlainCell(const std::vector<FilterItem>& runs, int textLayer) {
    PlainCell plain;
    std::vector<std::size_t> runStarts;
    std::vector<bool> runMarked;
    for (const FilterItem& run : runs) {
        const bool annotation = run.kind == kAnnotation;
        runStarts.push_back(plain.text.size());
        runMarked.push_back(annotation ? textLayer != kMainTextLayer
                                       : textLayer != kAnnotationLayer);
        if (annotation) plain.text.append(kAnnotationOpener);
        plain.text.append(run.text);
        if (annotation) plain.text.append(kAnnotationCloser);
    }
    plain.spans = CellSpans(plain.text, runMarked, runStarts);
    return plain;
}

void ComposeTermPass(std::string_view page, std::string& html, std::string_view keyword, int parity,
                     int textLayer, std::int32_t& anchorCounter) {
    std::array<HTMLNode, 3> parts = ParsePage(page);
    HTMLNode& textCell = parity == 0 ? parts[1] : parts[2];
    const std::vector<FilterItem> runs = SplitRuns(textCell.text);

    std::vector<Seg> segs;
    SplitTerm(keyword, segs);
    const bool markMain = textLayer != kAnnotationLayer;
    const bool markNotes = textLayer != kMainTextLayer;

    std::string cell;
    cell.reserve(textCell.text.size() + textCell.text.size() / 2 + 256);
    const std::int32_t firstAnchor = anchorCounter;
    std::int32_t matches = 0;
    for (const FilterItem& run : runs) {
        const bool annotation = run.kind == kAnnotation;
        if (annotation) cell.append(kAnnotationOpener);
        if (annotation ? markNotes : markMain) {
            matches += HighlightRun(run.text, segs, cell, anchorCounter);
        } else {
            cell.append(run.text);
        }
        if (annotation) cell.append(kAnnotationCloser);
    }
    // The search also counts matches that cross markup or the other layer;
    // when the cell holds more of those than the runs marked, it is marked
    // again across markup. Otherwise the run-by-run marking stands as it is.
    const PlainCell plain = MakePlainCell(runs, textLayer);
    const std::vector<CrossMatch> crossing = FindCrossMatches(plain.text, plain.spans, keyword);
    if (static_cast<std::int64_t>(crossing.size()) > matches) {
        cell.clear();
        anchorCounter = firstAnchor;
        EmitCrossMarked(plain.text, plain.spans, crossing, cell, anchorCounter);
    }
    textCell.text.swap(cell);
    AppendFrame(parts, html);
}

void AppendFrame(const std::array<HTMLNode, 3>& parts, std::string& html) {
    html.reserve(html.size() + kFrameHead.size() + kFrameAfterTitle.size() +
                 kFrameBetweenCells.size() + kFrameTail.size() + parts[0].text.size() +
                 parts[1].text.size() + parts[2].text.size());
    html.append(kFrameHead);
    html.append(parts[0].text);
    html.append(kFrameAfterTitle);
    html.append(parts[1].text);
    html.append(kFrameBetweenCells);
    html.append(parts[2].text);
    html.append(kFrameTail);
}

}  // namespace pages
