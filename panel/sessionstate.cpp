#include "panel/sessionstate.h"

#include <charconv>
#include <optional>
#include <string_view>
#include <vector>

#include "panel/catalogue.h"

namespace panel {

namespace {

constexpr int kMinWindowWidth = 400;
constexpr int kMinWindowHeight = 300;
// How much of a remembered window must lie on the screen: its title bar can
// be reached and dragged.
constexpr int kVisibleMargin = 100;
constexpr int kTitleBarHeight = 40;
constexpr std::size_t kMaxKeywordBytes = 1000;

using Key = const char*;

std::optional<std::vector<std::int64_t>> Numbers(std::string_view text, std::size_t count) {
    std::vector<std::int64_t> values;
    const char* p = text.data();
    const char* end = p + text.size();
    while (values.size() < count) {
        while (p < end && *p == ' ') ++p;
        std::int64_t v = 0;
        auto [next, ec] = std::from_chars(p, end, v);
        if (ec != std::errc()) return std::nullopt;
        values.push_back(v);
        p = next;
    }
    while (p < end && *p == ' ') ++p;
    if (p != end) return std::nullopt;
    return values;
}

std::optional<std::string> Text(const SettingsText& stored, Key key) {
    const auto it = stored.find(key);
    if (it == stored.end()) return std::nullopt;
    return it->second;
}

// An integer in min..max, or fallback.
std::int64_t Integer(const SettingsText& stored, Key key, std::int64_t min, std::int64_t max,
                     std::int64_t fallback) {
    const std::optional<std::string> text = Text(stored, key);
    if (!text) return fallback;
    const auto values = Numbers(*text, 1);
    if (!values || (*values)[0] < min || (*values)[0] > max) return fallback;
    return (*values)[0];
}

bool Boolean(const SettingsText& stored, Key key, bool fallback) {
    const std::optional<std::string> text = Text(stored, key);
    if (text == "true") return true;
    if (text == "false") return false;
    return fallback;
}

std::string CorpusFingerprint(const SessionContext& context) {
    const int records = context.catalogue ? context.catalogue->RecordCount() - 1 : 0;
    return std::to_string(records) + " " + std::to_string(context.pageCount);
}

WindowRect CheckedWindow(const SettingsText& stored, const WindowRect& available) {
    const WindowRect first = FirstWindowRect(available);
    const std::optional<std::string> text = Text(stored, SessionKeys::kWindowRect);
    const auto values = text ? Numbers(*text, 4) : std::nullopt;
    if (!values) return first;
    const std::int64_t x = (*values)[0], y = (*values)[1], w = (*values)[2], h = (*values)[3];
    const std::int64_t right = std::int64_t{available.x} + available.width;
    const std::int64_t bottom = std::int64_t{available.y} + available.height;
    const bool sizeFits = w >= kMinWindowWidth && h >= kMinWindowHeight && w <= available.width &&
                          h <= available.height;
    const bool reachable = y >= available.y && y <= bottom - kTitleBarHeight &&
                           x + w >= available.x + kVisibleMargin && x <= right - kVisibleMargin;
    if (!sizeFits || !reachable) return first;
    return {static_cast<int>(x), static_cast<int>(y), static_cast<int>(w), static_cast<int>(h)};
}

// The slot, when it holds a record whose tree path is still path.
int CheckedSlot(const SettingsText& stored, Key slotKey, Key pathKey, const Catalogue& catalogue) {
    const int slot = static_cast<int>(Integer(stored, slotKey, 1, kCatalogueSlotCount - 1, 0));
    if (slot == 0 || !catalogue.HoldsEntry(slot)) return 0;
    if (Text(stored, pathKey) != catalogue.TreePath(slot)) return 0;
    return slot;
}

// Reads the shown page into session; false when it no longer exists.
bool ReadShownPage(const SettingsText& stored, const SessionContext& context,
                   SessionState& session) {
    const std::optional<std::string> kind = Text(stored, SessionKeys::kShownPage);
    if (kind == "catalogue") {
        const Catalogue& catalogue = *context.catalogue;
        session.volumeSlot =
            CheckedSlot(stored, SessionKeys::kVolumeSlot, SessionKeys::kVolumePath, catalogue);
        if (session.volumeSlot == 0) return false;
        const CatalogueRecord& volume = catalogue.NodeItem(session.volumeSlot);
        const std::int64_t first = volume.CurFileName();
        const std::int64_t last = first + volume.DocNo() - 1;
        session.page = Integer(stored, SessionKeys::kPage, first, last, -1);
        if (session.page < 0) return false;
        session.volumePath = catalogue.TreePath(session.volumeSlot);
        session.shown = ShownPage::Catalogue;
        return true;
    }
    if (kind == "result") {
        const std::int64_t record =
            Integer(stored, SessionKeys::kRecord, 0, std::int64_t{context.pageCount} - 1, -1);
        std::string keyword = Text(stored, SessionKeys::kKeyword).value_or(std::string());
        if (record < 0 || keyword.empty() || keyword.size() > kMaxKeywordBytes) return false;
        session.record = static_cast<std::uint32_t>(record);
        session.keyword = std::move(keyword);
        session.pageTextLayer =
            static_cast<int>(Integer(stored, SessionKeys::kPageTextLayer, 0, 2, 0));
        session.pageVariants = Boolean(stored, SessionKeys::kPageVariants, true);
        session.hit = static_cast<int>(Integer(stored, SessionKeys::kHit, 0, 1'000'000, 0));
        session.shown = ShownPage::Result;
        return true;
    }
    return kind == std::nullopt || kind == "none";
}

}  // namespace

WindowRect FirstWindowRect(const WindowRect& available) {
    const int width = available.width * 4 / 5;
    const int height = available.height * 4 / 5;
    return {available.x + (available.width - width) / 2,
            available.y + (available.height - height) / 2, width, height};
}

SessionState FirstSession(const WindowRect& available) {
    SessionState session;
    session.window = FirstWindowRect(available);
    return session;
}

SessionState ReadSession(const SettingsText& stored, const SessionContext& context) {
    SessionState session = FirstSession(context.available);
    session.window = CheckedWindow(stored, context.available);
    session.maximized = Boolean(stored, SessionKeys::kMaximized, false);
    session.tab = static_cast<int>(Integer(stored, SessionKeys::kTab, 0, 1, 0));
    session.andOr = static_cast<int>(Integer(stored, SessionKeys::kAndOr, 0, 1, 0));
    session.textLayer = static_cast<int>(Integer(stored, SessionKeys::kTextLayer, 0, 2, 0));
    session.variants = Boolean(stored, SessionKeys::kVariants, true);

    // The scope and the page belong to the corpus they were taken from.
    if (!context.catalogue || Text(stored, SessionKeys::kCorpus) != CorpusFingerprint(context)) {
        return session;
    }
    SessionState placed = session;
    // The whole corpus (全体, the scope of a first start) is no record of the
    // catalogue but is always there.
    if (Integer(stored, SessionKeys::kScopeSlot, kWholeCorpusSlot, kWholeCorpusSlot, 0) ==
        kWholeCorpusSlot) {
        placed.scopeSlot = kWholeCorpusSlot;
        placed.scopePath = context.catalogue->TreePath(kWholeCorpusSlot);
    } else if (Integer(stored, SessionKeys::kScopeSlot, 0, 0, -1) != 0) {
        placed.scopeSlot = CheckedSlot(stored, SessionKeys::kScopeSlot, SessionKeys::kScopePath,
                                       *context.catalogue);
        if (placed.scopeSlot == 0) return session;
        placed.scopePath = context.catalogue->TreePath(placed.scopeSlot);
    }
    if (!ReadShownPage(stored, context, placed)) return session;
    return placed;
}

SettingsText WriteSession(const SessionState& session, const SessionContext& context) {
    auto flag = [](bool value) { return std::string(value ? "true" : "false"); };
    const WindowRect& w = session.window;
    SettingsText out;
    out[SessionKeys::kWindowRect] = std::to_string(w.x) + " " + std::to_string(w.y) + " " +
                                    std::to_string(w.width) + " " + std::to_string(w.height);
    out[SessionKeys::kMaximized] = flag(session.maximized);
    out[SessionKeys::kTab] = std::to_string(session.tab);
    out[SessionKeys::kCorpus] = CorpusFingerprint(context);
    out[SessionKeys::kScopeSlot] = std::to_string(session.scopeSlot);
    out[SessionKeys::kScopePath] = session.scopePath;
    out[SessionKeys::kAndOr] = std::to_string(session.andOr);
    out[SessionKeys::kTextLayer] = std::to_string(session.textLayer);
    out[SessionKeys::kVariants] = flag(session.variants);
    // Every key is written, so no value of an older session stays behind.
    const bool catalogue = session.shown == ShownPage::Catalogue;
    const bool result = session.shown == ShownPage::Result;
    out[SessionKeys::kShownPage] = catalogue ? "catalogue" : (result ? "result" : "none");
    out[SessionKeys::kVolumeSlot] = catalogue ? std::to_string(session.volumeSlot) : "";
    out[SessionKeys::kVolumePath] = catalogue ? session.volumePath : "";
    out[SessionKeys::kPage] = catalogue ? std::to_string(session.page) : "";
    out[SessionKeys::kRecord] = result ? std::to_string(session.record) : "";
    out[SessionKeys::kKeyword] = result ? session.keyword : "";
    out[SessionKeys::kPageTextLayer] = result ? std::to_string(session.pageTextLayer) : "";
    out[SessionKeys::kPageVariants] = result ? flag(session.pageVariants) : "";
    out[SessionKeys::kHit] = result ? std::to_string(session.hit) : "";
    return out;
}

}  // namespace panel
