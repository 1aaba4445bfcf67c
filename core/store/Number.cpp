#include "core/store/Number.h"

#include <charconv>
#include <limits>

namespace kaldex {

int32_t readNumber(std::string_view text)
{
    size_t i = 0;
    // The C library's isspace set in the "C" locale.
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // Accumulate as a negative value so that INT32_MIN fits exactly.
    constexpr int64_t lowest = std::numeric_limits<int32_t>::min();
    int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 - (text[i] - '0');
        if (value < lowest)
            value = lowest - 1;  // keep saturated; further digits cannot bring it back
    }
    if (negative)
        return value < lowest ? std::numeric_limits<int32_t>::min() : static_cast<int32_t>(value);
    if (-value > std::numeric_limits<int32_t>::max())
        return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(-value);
}

void appendNumber(std::string &out, int32_t value)
{
    char buffer[16];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

std::string formatNumber(int32_t value)
{
    std::string out;
    appendNumber(out, value);
    return out;
}

}  // namespace kaldex
