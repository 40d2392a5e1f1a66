// Finding a run of bytes in page text. Page text is UTF-8 Chinese, where the
// lead byte of a needle stands at every third byte or so: a search that
// stops at each occurrence of the first byte (std::string_view::find) is
// several times slower there than the C library's memmem.
#pragma once

#include <string.h>

#include <cstddef>
#include <string_view>

namespace pages {

// The first position at or after from where needle stands in text, or npos.
inline std::size_t FindBytes(std::string_view text, std::string_view needle, std::size_t from = 0) {
    if (from > text.size()) return std::string_view::npos;
    if (needle.empty()) return from;
    // memmem must not get a null text, which an empty view may hold.
    if (needle.size() > text.size() - from) return std::string_view::npos;
    const void* at = memmem(text.data() + from, text.size() - from, needle.data(), needle.size());
    return at == nullptr ? std::string_view::npos
                         : static_cast<std::size_t>(static_cast<const char*>(at) - text.data());
}

}  // namespace pages
