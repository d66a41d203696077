#pragma once

#include "platform/nstring/nString.h"

#include <cstdint>

enum nStatisticMode : int32_t
{
    StatisticCount = 0,
    StatisticBytes = 1,
};

// A counter or a byte size as a short on-screen text, by steps of 1000: "999", "1.0K", "1.5MB".
// Any other mode prints the value with one decimal.
nString& FormatStatisticValue(nString& out, float value, int32_t mode);
