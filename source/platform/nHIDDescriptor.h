#pragma once

#include "platform/nstring/nString.h"

#include <cstdint>

// What enumeration tells about one game device; CreateDevice opens the device it names.
struct nHIDDescriptor
{
    static constexpr uint32_t FlagForceFeedback = 1;
    static constexpr int IdentifierSize = 16;

    virtual ~nHIDDescriptor() = default;

    nString name;
    uint32_t flags = 0;
    uint8_t identifier[IdentifierSize] = {};
};
