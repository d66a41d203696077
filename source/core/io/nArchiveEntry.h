#pragma once

#include "platform/nstring/nString.h"

#include <cstdint>

enum nArchiveMethod : uint8_t
{
    ArchiveMethodRaw = 0,
    ArchiveMethodZlib = 1,
};

struct nArchiveEntry
{
    nString name;
    uint8_t method = ArchiveMethodRaw;
    uint32_t offset = 0; // of the data, from the start of the file
    uint32_t len = 0;    // decoded size
    uint32_t clen = 0;   // stored size of a zlib entry
    // A damaged entry is named once, however often it is asked for (a probe, then the load).
    mutable bool damageReported = false;

    uint32_t GetStoredSize() const { return method == ArchiveMethodZlib ? clen : len; }
};
