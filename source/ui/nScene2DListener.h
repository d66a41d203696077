#pragma once

#include <cstdint>

enum nScene2DMessage : uint32_t
{
    Scene2DMessageItemAdding = 1,
    Scene2DMessageItemAdded = 2,
};

// Hears items join a 2D scene; the data word is the item.
class nScene2DListener
{
public:
    virtual ~nScene2DListener() = default;
    virtual void OnMessage(nScene2DMessage message, const void* data) = 0;
};
