#pragma once

#include <cstdint>

// What the engine tells its core listeners about resources.
enum nCoreMessage : uint32_t
{
    CoreMessageLoadBegin = 3,
    CoreMessageLoadEnd = 4,
    CoreMessageResourceDestroying = 5,
    CoreMessageResourceDestroyed = 6,
};
