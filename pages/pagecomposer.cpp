#include "pages/pagecomposer.h"

#include <algorithm>

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

// The part a state's text goes to, or -1.
int PartIndexOf(int state) {
    switch (state) {
        case kInTitle:
            return 0;
        case kInCell1:
            return 1;
        case kInCell2:
            return 2;
        default:
            return -1;
    }
}

// Walks page the way ParsePage reads it: calls give(part, text) for every
// stretch of text and other tags that goes to part 0, 1 or 2, in order.
// Structural tags are dropped; a tag still open at the end is dropped.
template <typename Give>
void ForEachPartStretch(std::string_view page, Give give) {
    int state = kBeforeTitle;
    std::size_t chunk = 0;
    const auto flush = [&](std::size_t end) {
        if (const int part = PartIndexOf(state); part >= 0 && end > chunk) {
            give(part, page.substr(chunk, end - chunk));
        }
    };
    for (std::size_t i = 0;;) {
        const std::size_t open = page.find('<', i);
        if (open == std::string_view::npos) {
            flush(page.size());
            return;
        }
        const std::size_t close = page.find('>', open);
        if (close == std::string_view::npos) {
            flush(open);
            return;
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
        flush(open);
        state = next;
        chunk = i;
    }
}

// The parts of page as views into it when each lies in one stretch, as in
// every page a pass has framed; false otherwise.
bool PartsInPlace(std::string_view page, std::array<std::string_view, 3>& parts) {
    parts = {};
    bool inPlace = true;
    ForEachPartStretch(page, [&](int part, std::string_view text) {
        std::string_view& view = parts[static_cast<std::size_t>(part)];
        if (!view.empty()) inPlace = false;
        view = text;
    });
    return inPlace;
}

struct RunView {
    int kind;
    std::string_view text;
};

// SplitRuns with the runs as views into cell: each run is one stretch of it.
std::vector<RunView> RunViews(std::string_view cell) {
    std::vector<RunView> runs(1, RunView{kMainText, {}});
    std::size_t chunk = 0;
    for (std::size_t i = 0;;) {
        const std::size_t open = cell.find('<', i);
        if (open == std::string_view::npos) {
            runs.back().text = cell.substr(chunk);
            return runs;
        }
        const std::size_t close = cell.find('>', open);
        if (close == std::string_view::npos) {
            runs.back().text = cell.substr(chunk, open - chunk);
            return runs;
        }
        const std::string_view tag = cell.substr(open, close + 1 - open);
        i = close + 1;
        int kind = kMainText;
        if (StartsWith(tag, kAnnotationOpener)) {
            kind = kAnnotation;
        } else if (!(runs.back().kind == kAnnotation && StartsWith(tag, kAnnotationCloser))) {
            continue;
        }
        runs.back().text = cell.substr(chunk, open - chunk);
        runs.push_back(RunView{kind, {}});
        chunk = i;
    }
}

}  // namespace

std::array<HTMLNode, 3> ParsePage(std::string_view page) {
    std::array<HTMLNode, 3> parts;
    ForEachPartStretch(page, [&parts](int part, std::string_view text) {
        parts[static_cast<std::size_t>(part)].text.append(text);
    });
    return parts;
}

std::vector<FilterItem> SplitRuns(std::string_view cell) {
    std::vector<FilterItem> runs;
    for (const RunView& run : RunViews(cell)) runs.push_back({run.kind, std::string(run.text)});
    return runs;
}

bool MarkedRunViews(std::string_view page, int parity, int textLayer,
                    std::vector<std::string_view>& runs) {
    runs.clear();
    std::array<std::string_view, 3> views;
    if (!PartsInPlace(page, views)) return false;
    for (const RunView& run : RunViews(views[parity == 0 ? 1 : 2])) {
        const bool marked =
            run.kind == kAnnotation ? textLayer != kMainTextLayer : textLayer != kAnnotationLayer;
        if (marked) runs.push_back(run.text);
    }
    return true;
}

CrossCounter CrossCounterOf(std::string_view page, int parity, int textLayer) {
    // The marked text is read straight from the page when its text cell is
    // one stretch of it, as in every stored page and every framed one: a
    // tag in a run lies inside that run, so the runs' stretches between
    // tags are exactly the marked spans of MakePlainCell's text.
    std::array<std::string_view, 3> views;
    if (PartsInPlace(page, views)) {
        CrossCounter counter;
        counter.Reserve(page.size() / 3);
        for (const RunView& run : RunViews(views[parity == 0 ? 1 : 2])) {
            const bool marked = run.kind == kAnnotation ? textLayer != kMainTextLayer
                                                        : textLayer != kAnnotationLayer;
            if (!marked) continue;
            for (std::size_t i = 0; i < run.text.size();) {
                if (run.text[i] == '<') {
                    const std::size_t close = run.text.find('>', i);
                    i = close == std::string_view::npos ? run.text.size() : close + 1;
                    continue;
                }
                const std::size_t next = std::min(run.text.find('<', i), run.text.size());
                counter.AddMarkedText(run.text.substr(i, next - i));
                i = next;
            }
        }
        return counter;
    }
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
    std::vector<Seg> segs;
    SplitTerm(keyword, segs);
    const bool markMain = textLayer != kAnnotationLayer;
    const bool markNotes = textLayer != kMainTextLayer;
    const std::int32_t firstAnchor = anchorCounter;

    // A framed page is rebuilt straight from views into it when the marking
    // run by run needs no second look across markup: one copy of the page.
    // A keyword with '*' that matches across markup at all usually does so
    // more often than in the runs: it goes the full way at once.
    std::array<std::string_view, 3> views;
    const bool oneCharacter = IsOneIndexedCharacter(keyword);
    const std::size_t crossingCount =
        oneCharacter || crossCounter == nullptr ? 0 : crossCounter->Count(keyword);
    const bool runsLikelyEnough =
        oneCharacter || (crossCounter != nullptr &&
                         (crossingCount == 0 || keyword.find('*') == std::string_view::npos));
    if (runsLikelyEnough && PartsInPlace(page, views)) {
        const std::size_t start = html.size();
        std::int32_t matches = 0;
        const auto appendCell = [&](std::string_view cell, bool textCell) {
            if (!textCell) {
                html.append(cell);
                return;
            }
            for (const RunView& run : RunViews(cell)) {
                const bool annotation = run.kind == kAnnotation;
                if (annotation) html.append(kAnnotationOpener);
                if (annotation ? markNotes : markMain) {
                    matches += HighlightRun(run.text, segs, html, anchorCounter);
                } else {
                    html.append(run.text);
                }
                if (annotation) html.append(kAnnotationCloser);
            }
        };
        // Passes hand their buffers on to each other: reserve only when this
        // one cannot hold the page, or every pass that adds a mark would
        // move to fresh memory.
        if (html.capacity() < start + page.size() + 256) {
            html.reserve(start + page.size() + page.size() / 2 + 256);
        }
        html.append(kFrameHead);
        html.append(views[0]);
        html.append(kFrameAfterTitle);
        appendCell(views[1], parity == 0);
        html.append(kFrameBetweenCells);
        appendCell(views[2], parity != 0);
        html.append(kFrameTail);
        if (oneCharacter || static_cast<std::int64_t>(crossingCount) <= matches) return;
        html.resize(start);
        anchorCounter = firstAnchor;
    }

    std::array<HTMLNode, 3> parts = ParsePage(page);
    HTMLNode& textCell = parity == 0 ? parts[1] : parts[2];
    const std::vector<FilterItem> runs = SplitRuns(textCell.text);

    std::string cell;
    cell.reserve(textCell.text.size() + textCell.text.size() / 2 + 256);
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
    if (oneCharacter ||
        (crossCounter != nullptr && static_cast<std::int64_t>(crossingCount) <= matches)) {
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
