// CommandRules: which commands of the main frame are enabled, decided from a
// snapshot of the reader's state. The frame takes one snapshot per update and
// applies the answer to every menu item and toolbar button; nothing here
// touches a widget, so the rules are testable without a display.
#pragma once

#include <cstdint>

namespace shell {

// What the enable rules look at. Volume fields describe the current volume
// (currentVolume != 0) and are ignored otherwise.
struct CommandState {
    bool pageShown = false;  // the page view shows something other than about:blank
    int currentVolume = 0;   // catalogue slot of the current volume, 0 = none
    int currentPage = 0;
    int volumeFirstPage = 0;           // curFileName of the current volume
    std::int32_t volumePageCount = 0;  // docNo of the current volume
    bool volumeBefore = false;         // a volume record in a slot 1 .. currentVolume - 1
    bool volumeAfter = false;          // a volume record in a slot after currentVolume
    int currentHit = 0;
    int hitCount = 0;
    int zoomPercent = 100;
    bool canGoBack = false;
    bool canGoForward = false;
    bool hasResults = false;   // the last search listed at least one page
    bool pageCitable = false;  // the page shown is a stored page (not blank)
};

// True when command id is enabled in state s; commands without a rule of
// their own (exit, about, help, show all, toolbar) are always enabled.
bool IsCommandEnabled(int id, const CommandState& s);

}  // namespace shell
