#include "platform/nHIDFunctionRecord.h"

bool nHIDFunctionRecord::Push(int32_t value)
{
    if (bounceFilter)
    {
        if (value != 0 && held)
            return false;
        held = value != 0;
    }
    head = (head + 1) % Capacity;
    values[head] = value;
    if (count < Capacity)
        ++count;
    return true;
}

bool nHIDFunctionRecord::Peek(int32_t& value) const
{
    if (count == 0)
        return false;
    value = values[head];
    return true;
}

void nHIDFunctionRecord::DropNewest()
{
    if (count == 0)
        return;
    --count;
    head = (head + Capacity - 1) % Capacity;
}

bool nHIDFunctionRecord::Contains(int32_t value) const
{
    for (int32_t i = 0; i < count; ++i)
    {
        if (values[(head + Capacity - i) % Capacity] == value)
            return true;
    }
    return false;
}
