#pragma once

#include <cstdint>

enum nACECommandCode : int32_t
{
    ACECommandNop = -1,
    ACECommandBarrier = -2,
    ACECommandLoop = -3,
    ACECommandNext = -4,
};

// One compiled command of a command list. Remaining starts at the duration and counts down as
// the command runs; parameters beyond the definition's count are 0.
struct nACECommand
{
    int32_t code = 0;
    float duration = 0.0f;
    float remaining = 0.0f;
    float parameters[3] = {0.0f, 0.0f, 0.0f};
};
