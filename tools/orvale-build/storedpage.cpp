#include "tools/orvale-build/storedpage.h"

namespace build {
namespace {

// The composer's frame makes the first cell 80 px wide; the text carries its
// own width so that it reads the same in the stored page and in that frame.
constexpr std::string_view kHead = "<html><head><meta charset=\"UTF-8\"><title>";
constexpr std::string_view kAfterTitle =
    "</title><style>body{margin:8px}td{font-family:serif}</style></head><body>"
    "<table border=1 cellPadding=0 cellSpacing=1 width=635 bordercolor=\"#FFCC66\"><tr>";
constexpr std::string_view kFirstCell = "<TD width=80 vAlign=top align=\"center\">";
constexpr std::string_view kSecondCell = "<TD width=450 vAlign=top align=\"center\">";
constexpr std::string_view kCellEnd = "</TD>";
constexpr std::string_view kTail = "</tr></table></body></html>";
constexpr std::string_view kTextOpen =
    "<div style=\"width:420px;text-align:left;line-height:1.8;font-size:18px\">";
constexpr std::string_view kMarginOpen = "<div style=\"width:76px;font-size:12px;color:#666\">";
constexpr std::string_view kDivEnd = "</div>";

// A run with its paragraph breaks. A note run is wrapped piece by piece so
// that "<p>" never sits inside the font element.
void AppendRun(const SourceRun& run, std::string& out) {
    std::size_t start = 0;
    while (true) {
        const std::size_t end = run.text.find('\n', start);
        const std::string_view piece =
            std::string_view(run.text).substr(start, end == std::string::npos ? end : end - start);
        if (run.note && !piece.empty()) {
            out += kNoteOpener;
            AppendEscaped(piece, out);
            out += kNoteCloser;
        } else {
            AppendEscaped(piece, out);
        }
        if (end == std::string::npos) break;
        out += "<p>";
        start = end + 1;
    }
}

}  // namespace

void AppendEscaped(std::string_view text, std::string& out) {
    for (const char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            default:
                out += c;
        }
    }
}

void ComposeStoredPage(const SourcePage& page, std::string_view title, std::string_view volume,
                       std::uint32_t pageNo, std::string& out) {
    out.clear();
    out += kHead;
    if (page.hasTitle) {
        AppendEscaped(page.title, out);
    } else {
        AppendEscaped(title, out);
        out += ' ';
        AppendEscaped(volume, out);
    }
    out += kAfterTitle;

    std::string text(kTextOpen);
    for (const SourceRun& run : page.runs) AppendRun(run, text);
    text += kDivEnd;

    std::string margin(kMarginOpen);
    AppendEscaped(title, margin);
    margin += "<br>";
    AppendEscaped(volume, margin);
    margin += "<br>";
    margin += std::to_string(pageNo);
    margin += kDivEnd;

    const bool textFirst = pageNo % 2 == 0;
    out += kFirstCell;
    out += textFirst ? text : margin;
    out += kCellEnd;
    out += kSecondCell;
    out += textFirst ? margin : text;
    out += kCellEnd;
    out += kTail;
}

}  // namespace build
