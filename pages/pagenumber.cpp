#include "pages/pagenumber.h"

#include <limits>

namespace pages {

namespace {

bool IsCSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

bool PageNumberOfName(std::string_view name, std::int32_t& pageNo) {
    const std::size_t slash = name.rfind('\\');
    if (slash == std::string_view::npos) return false;
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot < slash) return false;

    std::string_view part = name.substr(slash + 1, dot - slash - 1);
    std::size_t i = 0;
    while (i < part.size() && IsCSpace(part[i])) ++i;
    bool negative = false;
    if (i < part.size() && (part[i] == '+' || part[i] == '-')) {
        negative = part[i] == '-';
        ++i;
    }
    constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    std::int64_t value = 0;
    for (; i < part.size() && part[i] >= '0' && part[i] <= '9'; ++i) {
        value = value * 10 + (part[i] - '0');
        if (value > kLimit) value = kLimit;
    }
    if (negative) value = -value;
    if (value > std::numeric_limits<std::int32_t>::max()) {
        value = std::numeric_limits<std::int32_t>::max();
    }
    pageNo = static_cast<std::int32_t>(value);
    return true;
}

}  // namespace pages
