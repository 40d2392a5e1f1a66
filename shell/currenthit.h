// The current hit of a result page: the marks of the hit the view was last
// sent to carry a class of their own, drawn in a colour of its own. The
// colour lives only in CurrentHitStyle(); a theme overrides the class with a
// later rule of its own.
#pragma once

#include <QString>

namespace shell {

inline constexpr const char* kCurrentHitClass = "orvale-current-hit";

// The style sheet rule of the current hit.
QString CurrentHitStyle();

// JavaScript, for the page's isolated world, that adds the style once and
// moves the class to the marks of hit anchor `anchor` ("0003"): the marks
// between that anchor and the next hit anchor, and the mark holding it. An
// empty or unknown anchor only clears the class.
QString CurrentHitScript(const QString& anchor);

}  // namespace shell
