#pragma once

#include <cstdint>

// The queue of one device function: a ring of the last eight accepted values, newest at head.
// With the bounce filter on, a non-zero value is refused while the last accepted one was
// non-zero, so a held button is queued only on its press edge.
struct nHIDFunctionRecord
{
    static constexpr int32_t Capacity = 8;

    bool Push(int32_t value);
    bool Peek(int32_t& value) const;
    void DropNewest();
    bool Contains(int32_t value) const;
    void Empty() { count = 0; }

    uint8_t bounceFilter = 0;
    uint8_t held = 0;
    int32_t head = 0;
    int32_t count = 0;
    int32_t values[Capacity] = {};
};
