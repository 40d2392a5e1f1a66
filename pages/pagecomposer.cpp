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
    // Text and other tags go to the current part in one piece from chunk up
    // to the next structural tag, which is dropped.
    std::size_t chunk = 0;
    const auto give = [&](std::size_t end) {
        if (HTMLNode* part = PartOf(parts, state))
            part->text.append(page.substr(chunk, end - chunk));
    };
    for (std::size_t i = 0;;) {
        const std::size_t open = page.find('<', i);
        if (open == std::string_view::npos) {
            give(page.size());
            break;
        }
        const std::size_t close = page.find('>', open);
        if (close == std::string_view::npos) {  // a tag still open at the end is dropped
            give(open);
            break;
        }
        const std::string_view tag = page.substr(open, close + 1 - open);
        i = close + 1;
        int next = state;
        if (StartsWith(tag, "<title") && state == kBeforeTitle) {
            next = kInTitle;
        } else if (StartsWith(tag, "<TD")) {
            if (state == kAfterTitle) {
                next = kInCell1;
            } else if (state == kBetweenCells) {
                next = kInCell2;
            }
        } else if (StartsWith(tag, "</title>")) {
            next = kAfterTitle;
        } else if (StartsWith(tag, "</TD")) {
            if (state == kInCell1) {
                next = kBetweenCells;
            } else if (state == kInCell2) {
                next = kAfterCells;
            }
        } else {
            continue;
        }
        give(open);
        state = next;
        chunk = i;
    }
    return parts;
}

std::vector<FilterItem> SplitRuns(std::string_view cell) {
    std::vector<FilterItem> runs(1);
    // As in ParsePage: whole pieces from chunk up to the next tag that
    // starts or ends an annotation run.
    std::size_t chunk = 0;
    const auto give = [&](std::size_t end) {
        runs.back().text.append(cell.substr(chunk, end - chunk));
    };
    for (std::size_t i = 0;;) {
        const std::size_t open = cell.find('<', i);
        if (open == std::string_view::npos) {
            give(cell.size());
            break;
        }
        const std::size_t close = cell.find('>', open);
        if (close == std::string_view::npos) {
            give(open);
            break;
        }
        const std::string_view tag = cell.substr(open, close + 1 - open);
        i = close + 1;
        int kind = 0;
        if (StartsWith(tag, kAnnotationOpener)) {
            kind = kAnnotation;
        } else if (runs.back().kind == kAnnotation && StartsWith(tag, kAnnotationCloser)) {
            kind = kMainText;
        } else {
            continue;
        }
        give(open);
        runs.push_back(FilterItem{kind, {}});
        chunk = i;
    }
    return runs;
}

CrossCounter CrossCounterOf(std::string_view page, int parity, int textLayer) {
    const std::array<HTMLNode, 3> parts = ParsePage(page);
    const PlainCell plain =
        MakePlainCell(SplitRuns((parity == 0 ? parts[1] : parts[2]).text), textLayer);
    return CrossCounter(plain.text, plain.spans);
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
                     int textLayer, std::int32_t& anchorCounter, const CrossCounter* crossCounter) {
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
    // One character never crosses markup, and a count taken beforehand
    // tells whether anything does: skip the costly check when it can.
    if (IsOneIndexedCharacter(keyword) ||
        (crossCounter != nullptr &&
         static_cast<std::int64_t>(crossCounter->Count(keyword)) <= matches)) {
        textCell.text.swap(cell);
        AppendFrame(parts, html);
        return;
    }
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
