// ReadingSettings: how the page view draws the text, as kept across
// sessions: zoom, typeface, vertical setting and colour scheme. Stored values
// arrive as text (what the settings file holds, key → value) and are
// validated here: a zoom outside 50–300 % is clamped, anything unreadable or
// stale (a face no longer installed, an unknown scheme) falls back silently
// to the default. No Qt: the shell converts to and from its settings store.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace panel {

enum class ColourScheme : int { kSystem = 0, kLight = 1, kDark = 2 };

inline constexpr int kMinZoomPercent = 50;
inline constexpr int kMaxZoomPercent = 300;
inline constexpr int kDefaultZoomPercent = 100;
inline constexpr const char* kDefaultPageFont = "Noto Serif CJK TC";

inline constexpr const char* kZoomKey = "Reading/Zoom";
inline constexpr const char* kFontKey = "Reading/Font";
inline constexpr const char* kVerticalKey = "Reading/Vertical";
inline constexpr const char* kSchemeKey = "Reading/ColourScheme";

struct ReadingSettings {
    int zoomPercent = kDefaultZoomPercent;
    std::string fontFamily = kDefaultPageFont;
    bool vertical = false;
    ColourScheme scheme = ColourScheme::kSystem;

    bool operator==(const ReadingSettings&) const = default;
};

using StoredValues = std::map<std::string, std::string>;

// The settings from stored values; installedFamilies lists the faces the
// system has (a stored face not among them is stale).
ReadingSettings ReadReadingSettings(const StoredValues& stored,
                                    const std::vector<std::string>& installedFamilies);
// The values to store; ReadReadingSettings gives the same settings back.
StoredValues WriteReadingSettings(const ReadingSettings& settings);

int ClampZoom(long long percent);
// The next larger or smaller step of the zoom ladder (50 … 300), from any value.
int ZoomIn(int percent);
int ZoomOut(int percent);

}  // namespace panel
