#pragma once

#include <cstdint>

// Codes every vocabulary reserves; the codes of a vocabulary's own commands are 0 and above.
enum nACECommandCode : int32_t
{
    ACECommandNop = -1,
    ACECommandBarrier = -2,
    ACECommandLoop = -3,
    ACECommandNext = -4,
};

// One compiled command. Remaining counts down from the duration while the command runs and
// may end below zero (a "loop" or "next" subtracts its step after it has zeroed it).
struct nACECommand
{
    static constexpr uint32_t MaxParameters = 3;

    int32_t code = 0;
    float duration = 0.0f;
    float remaining = 0.0f;
    float parameters[MaxParameters] = {0.0f, 0.0f, 0.0f};
};
