#pragma once

#include <cstdint>

// Numbers of command-line options, read as the C library's decimal conversions read them
// (leading blanks, an optional sign, then digits; text that is no number gives 0), but with
// out-of-range values saturated instead of undefined and without regard to the locale.
int32_t ReadIntegerArgument(const char* text);
float ReadRealArgument(const char* text);
