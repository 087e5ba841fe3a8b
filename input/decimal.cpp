#include "input/decimal.h"

#include <algorithm>

namespace orvel::input {

int64_t ParseDecimal(std::string_view text)
{
    constexpr int64_t kLimit = int64_t(1) << 40;
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' || text[i] == '\r')) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = std::min(kLimit, value * 10 + (text[i] - '0'));
    }
    return negative ? -value : value;
}

int64_t ParseClamped(std::string_view text, int64_t lo, int64_t hi)
{
    return std::clamp(ParseDecimal(text), lo, hi);
}

} // namespace orvel::input
