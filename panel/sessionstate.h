// SessionState: what the reader remembers from one run to the next (window,
// tab, scope, search options, the last page shown with its hit position),
// and the decisions about it: which stored values still fit this screen and
// this corpus. A stored value that is missing, unreadable or out of range
// falls back silently to its first-start value; when the corpus has changed
// so that the remembered scope or page no longer exists, both start as on a
// first start.
//
// Values travel as text under the keys of SessionKeys, so the settings store
// stays behind a thin adapter (shell/sessionsettings.h) and the decisions are
// testable without Qt. Plain data; any thread.
#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace panel {

class Catalogue;

// The keys of the reader's settings, beside "SplitterWnd/Panes_0" (the
// splitter layout). Each holds one text value; a new remembered setting adds
// its key here and its field below.
struct SessionKeys {
    static constexpr const char* kWindowRect = "Session/WindowRect";  // "x y width height", normal
    static constexpr const char* kMaximized = "Session/Maximized";    // "true" or "false"
    static constexpr const char* kTab = "Session/Tab";                // 0 目録, 1 検索
    static constexpr const char* kCorpus = "Session/Corpus";  // "<catalogue records> <pages>"
    static constexpr const char* kScopeSlot = "Session/ScopeSlot";
    static constexpr const char* kScopePath =
        "Session/ScopePath";                                // its label, to catch a new corpus
    static constexpr const char* kAndOr = "Session/AndOr";  // 0 and, 1 or
    static constexpr const char* kTextLayer = "Session/TextLayer";  // 0 全文, 1 正文, 2 注釈
    static constexpr const char* kVariants = "Session/Variants";    // "true" or "false"
    static constexpr const char* kShownPage = "Session/ShownPage";  // "none", "catalogue", "result"
    static constexpr const char* kVolumeSlot = "Session/VolumeSlot";  // a catalogue page
    static constexpr const char* kVolumePath = "Session/VolumePath";
    static constexpr const char* kPage = "Session/Page";
    static constexpr const char* kRecord = "Session/Record";  // a result page
    static constexpr const char* kKeyword = "Session/Keyword";
    static constexpr const char* kPageTextLayer = "Session/PageTextLayer";
    static constexpr const char* kPageVariants = "Session/PageVariants";
    static constexpr const char* kHit = "Session/Hit";
};

using SettingsText = std::map<std::string, std::string>;

struct WindowRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const WindowRect&) const = default;
};

// The size of a window nobody has sized yet: about 80 % of the available
// screen area, centred in it.
WindowRect FirstWindowRect(const WindowRect& available);

enum class ShownPage { None, Catalogue, Result };

struct SessionState {
    WindowRect window;  // the normal (not maximised) frame rectangle
    bool maximized = false;
    int tab = 0;
    int scopeSlot = 0;  // 0: the scope of a first start
    std::string scopePath;
    int andOr = 0;
    int textLayer = 0;
    bool variants = true;
    ShownPage shown = ShownPage::None;
    int volumeSlot = 0;  // catalogue page: its volume and page number
    std::string volumePath;
    std::int64_t page = 0;
    std::uint32_t record = 0;  // result page: record, keyword (UTF-8), options, hit
    std::string keyword;
    int pageTextLayer = 0;
    bool pageVariants = true;
    int hit = 0;
    bool operator==(const SessionState&) const = default;
};

// What the stored values are checked against.
struct SessionContext {
    WindowRect available;                  // the screen's available area
    const Catalogue* catalogue = nullptr;  // the loaded catalogue
    std::uint32_t pageCount = 0;           // records of the page store
};

// The first-start session on this screen.
SessionState FirstSession(const WindowRect& available);
// The remembered session, each value checked; see the file comment.
SessionState ReadSession(const SettingsText& stored, const SessionContext& context);
// The values to store for session on this corpus.
SettingsText WriteSession(const SessionState& session, const SessionContext& context);

}  // namespace panel
