#include "core/math/nRandom.h"

#include <mutex>

namespace
{
struct RandomState
{
    std::mutex lock;
    uint32_t a = 0;
    uint32_t b = 0;
    uint32_t lastDistinct = 0;
};

RandomState& State()
{
    static RandomState state;
    return state;
}

// The new a is the old a with its halves swapped, plus b.
uint32_t Step(RandomState& state)
{
    state.a = ((state.a << 16) | (state.a >> 16)) + state.b;
    state.b += state.a;
    return state.a;
}
} // namespace

void RandomSeed(uint32_t seed)
{
    RandomState& state = State();
    std::lock_guard guard(state.lock);
    state.a = 0xDEADBEEFu;
    state.b = 0x97CCD0ADu;
    for (uint32_t i = 0; i < (seed & 0x1FFFu); ++i)
        Step(state);
}

uint32_t RandomInt(uint32_t n)
{
    if (n == 0)
        return 0;
    RandomState& state = State();
    std::lock_guard guard(state.lock);
    return Step(state) % n;
}

uint32_t RandomIntDistinct(uint32_t n)
{
    if (n == 0)
        return 0;
    RandomState& state = State();
    std::lock_guard guard(state.lock);
    uint32_t value = Step(state) % n;
    for (int attempt = 1; attempt < 4 && value == state.lastDistinct; ++attempt)
        value = Step(state) % n;
    state.lastDistinct = value;
    return value;
}

float RandomFloat(float max)
{
    RandomState& state = State();
    std::lock_guard guard(state.lock);
    return static_cast<float>(Step(state) & 0xFFFFu) * max / 65536.0f;
}

float RandomRange(float lo, float hi)
{
    RandomState& state = State();
    std::lock_guard guard(state.lock);
    return lo + (hi - lo) * (static_cast<float>(Step(state) & 0xFFFFu) / 65536.0f);
}
