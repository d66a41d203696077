#pragma once

#include "core/base/nSharedPtr.h"
#include "platform/nstring/nString.h"

// One cached resource and the name it was cached under (its name when it was loaded). The entry
// holds one reference on the resource.
struct nResourceEntry
{
    nSharedPtr<nSharedObject> object;
    nString name;

    bool operator==(const nResourceEntry& other) const { return object == other.object; }
};
