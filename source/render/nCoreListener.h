#pragma once

#include "render/nCoreMessage.h"

struct nCoreEventData;

// Told by the engine when resources load and go; the data is null for a load that starts.
class nCoreListener
{
public:
    virtual ~nCoreListener() = default;
    virtual void OnMessage(nCoreMessage message, const nCoreEventData* data) = 0;
};
