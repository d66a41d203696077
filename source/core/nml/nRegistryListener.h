#pragma once

#include <cstdint>

enum nRegistryMessage : uint32_t
{
    RegistryKeyChanged = 2,   // the data is the key as given to SetKey
    RegistryApplyChanges = 3, // sent by the registry's owner only
};

// Told by a registry when a key changes. The registry borrows its listeners.
class nRegistryListener
{
public:
    virtual ~nRegistryListener() = default;

    virtual void OnMessage(nRegistryMessage message, const char* data) = 0;
};
