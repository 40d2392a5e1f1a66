// Variant widening for the page composer: composes a page for the keyword
// string that lists every spelling the variant choices allow (see
// CFileList::ComposeHitPageWidened) without walking that list.
//
// The list's keywords, with repeats skipped, are the distinct spellings of
// each word in order of first appearance: every word at its first choices,
// then the other spellings of the last word, then of the word before it, and
// so on (the first unit of the string varies slowest). A spelling can mark
// something only where its pieces match in order inside one run that the
// text layer marks; later passes only insert ASCII markup into those runs, so
// the stretches of non-ASCII bytes of the spelling must occur in order,
// without overlap, inside one marked run of the page that the first pass
// framed. A pass that marks nothing leaves a framed page as it is. So after
// the always-run first pass, spellings are enumerated depth-first over their
// prefixes, a prefix whose stretches do not fit into any marked run is not
// extended, and a complete spelling is composed only when the matcher finds
// a match in a marked run of the current page.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "pages/filelist.h"

namespace pages {

// The bytes the checks and passes of the other spellings may walk, once the
// first spellings (as typed, at most as many as a search takes) have had
// theirs. Each check or pass walks the whole page, and a variant table with
// a group of thousands of members gives millions of spellings that occur on
// a page of millions of characters: past this much work the remaining
// spellings stay unmarked, as those past the anchor cap do.
inline constexpr std::uint64_t kMaxWidenedWorkBytes = std::uint64_t{256} << 20;

// Composes page (descrambled, with the parity of its page number) into html.
// Returns the anchor count; html is left untouched when no keyword results or
// (only when a choice list mixes a separator with other units) the choices
// would have to be enumerated beyond maxEnumerated spellings. typed is the
// keyword string the choices were made from: when the enumeration is cut
// short (steps or work), its words still get their passes, last.
std::int32_t ComposeWidened(std::string_view page, int parity, std::string& html,
                            const VariantChoices& choices, int textLayer,
                            std::uint64_t maxEnumerated = CFileList::kMaxEnumeratedSpellings,
                            std::uint64_t maxWorkBytes = kMaxWidenedWorkBytes,
                            std::u16string_view typed = {});

// True when the stretches of non-ASCII bytes of keyword occur in run in their
// order and without overlapping (always true for a keyword without them).
bool StretchesFitRun(std::string_view keyword, std::string_view run);

}  // namespace pages
