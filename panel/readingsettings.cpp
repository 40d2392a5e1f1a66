#include "panel/readingsettings.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace panel {

namespace {

constexpr std::array<int, 13> kZoomSteps = {50,  67,  75,  80,  90,  100, 110,
                                            125, 150, 175, 200, 250, 300};

// The whole text as a decimal number, or nothing.
bool ParseNumber(const std::string& text, long long& value) {
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    return result.ec == std::errc() && result.ptr == end && !text.empty();
}

const std::string* Find(const StoredValues& stored, const char* key) {
    const auto it = stored.find(key);
    return it == stored.end() ? nullptr : &it->second;
}

}  // namespace

int ClampZoom(long long percent) {
    return static_cast<int>(std::clamp<long long>(percent, kMinZoomPercent, kMaxZoomPercent));
}

int ZoomIn(int percent) {
    for (int step : kZoomSteps) {
        if (step > percent) return step;
    }
    return kMaxZoomPercent;
}

int ZoomOut(int percent) {
    for (auto it = kZoomSteps.rbegin(); it != kZoomSteps.rend(); ++it) {
        if (*it < percent) return *it;
    }
    return kMinZoomPercent;
}

ReadingSettings ReadReadingSettings(const StoredValues& stored,
                                    const std::vector<std::string>& installedFamilies) {
    ReadingSettings s;
    long long number = 0;
    if (const std::string* zoom = Find(stored, kZoomKey); zoom && ParseNumber(*zoom, number)) {
        s.zoomPercent = ClampZoom(number);
    }
    if (const std::string* font = Find(stored, kFontKey);
        font && std::find(installedFamilies.begin(), installedFamilies.end(), *font) !=
                    installedFamilies.end()) {
        s.fontFamily = *font;
    }
    if (const std::string* vertical = Find(stored, kVerticalKey)) {
        if (*vertical == "true" || *vertical == "1") s.vertical = true;
    }
    if (const std::string* scheme = Find(stored, kSchemeKey);
        scheme && ParseNumber(*scheme, number) && number >= 0 && number <= 2) {
        s.scheme = static_cast<ColourScheme>(number);
    }
    return s;
}

StoredValues WriteReadingSettings(const ReadingSettings& settings) {
    return {
        {kZoomKey, std::to_string(settings.zoomPercent)},
        {kFontKey, settings.fontFamily},
        {kVerticalKey, settings.vertical ? "true" : "false"},
        {kSchemeKey, std::to_string(static_cast<int>(settings.scheme))},
    };
}

}  // namespace panel
