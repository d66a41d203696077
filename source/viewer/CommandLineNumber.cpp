#include "viewer/CommandLineNumber.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

// Skips leading blanks and one sign; returns the start of the digits, or null when a second sign
// follows (from_chars would otherwise accept it).
static const char* SkipBlanksAndSign(const char* text, bool& negative)
{
    while (*text == ' ' || (*text >= '\t' && *text <= '\r'))
        ++text;
    negative = *text == '-';
    if (*text == '-' || *text == '+')
        ++text;
    if (*text == '-' || *text == '+')
        return nullptr;
    return text;
}

int32_t ReadIntegerArgument(const char* text)
{
    if (!text)
        return 0;
    bool negative = false;
    const char* digits = SkipBlanksAndSign(text, negative);
    if (!digits)
        return 0;
    uint64_t magnitude = 0;
    const std::from_chars_result result = std::from_chars(digits, digits + std::strlen(digits), magnitude);
    if (result.ptr == digits)
        return 0;
    constexpr uint64_t largest = std::numeric_limits<int32_t>::max();
    if (result.ec == std::errc::result_out_of_range || magnitude > largest + (negative ? 1 : 0))
        return negative ? std::numeric_limits<int32_t>::min() : std::numeric_limits<int32_t>::max();
    return negative ? static_cast<int32_t>(-static_cast<int64_t>(magnitude))
                    : static_cast<int32_t>(magnitude);
}

float ReadRealArgument(const char* text)
{
    if (!text)
        return 0.0f;
    bool negative = false;
    const char* digits = SkipBlanksAndSign(text, negative);
    if (!digits)
        return 0.0f;
    double value = 0.0;
    const std::from_chars_result result = std::from_chars(digits, digits + std::strlen(digits), value);
    if (result.ptr == digits)
        return 0.0f;
    if (result.ec == std::errc::result_out_of_range)
    {
        // from_chars leaves the value alone: a negative exponent, or no exponent and only zeros
        // before the point, means the number was too small rather than too large. Only the text
        // from_chars read is the number: an 'e' in what follows it is no exponent.
        const char* exponent = std::find_if(digits, result.ptr, [](char c) { return c == 'e' || c == 'E'; });
        const bool underflow = exponent != result.ptr ? exponent[1] == '-'
                                                      : *(digits + std::strspn(digits, "0")) == '.';
        value = underflow ? 0.0 : std::numeric_limits<double>::infinity();
    }
    if (std::fabs(value) > std::numeric_limits<float>::max())
        value = std::isnan(value) ? value : std::numeric_limits<double>::infinity();
    const float real = static_cast<float>(value);
    return negative ? -real : real;
}
