// The page number that a page record's name carries: the decimal number
// between the name's last backslash and the last dot after it, read the way
// atoi reads (leading white space, an optional sign, digits up to the first
// non-digit; no digits gives 0). Values beyond the 32-bit range saturate.
#pragma once

#include <cstdint>
#include <string_view>

namespace pages {

// True with the number in pageNo when the name has a backslash and a dot
// after its last backslash; false (pageNo untouched) otherwise.
bool PageNumberOfName(std::string_view name, std::int32_t& pageNo);

}  // namespace pages
