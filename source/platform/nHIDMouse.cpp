#include "platform/nHIDMouse.h"

#include "platform/nHIDSource.h"

#include <cstdint>

namespace
{
int32_t ScaleToAxis(int position, int extent)
{
    return static_cast<int32_t>(int64_t(position) * 65535 / extent);
}
} // namespace

nHIDMouse::nHIDMouse(const nHIDSource& source) : m_source(source) {}

bool nHIDMouse::Update()
{
    GetFunction(DeviceAxisX)->Empty();
    GetFunction(DeviceAxisY)->Empty();
    GetFunction(DeviceAxisZ)->Empty();

    const nHIDPointerState pointer = m_source.ReadPointer();
    const bool down[3] = {pointer.left, pointer.right, pointer.middle};
    for (int button = 0; button < 3; ++button)
    {
        nHIDFunctionRecord& record = *GetFunction(DeviceButton0 + button);
        record.Empty();
        if (!down[button])
        {
            record.held = 0;
            continue;
        }
        if (!(record.bounceFilter && record.held) && !record.Push(1))
            return false;
        record.held = 1;
    }

    if (pointer.clientWidth != 0)
        GetFunction(DeviceAxisX)->Push(ScaleToAxis(pointer.x, pointer.clientWidth));
    if (pointer.clientHeight != 0)
        GetFunction(DeviceAxisY)->Push(ScaleToAxis(pointer.y, pointer.clientHeight));
    return true;
}

bool nHIDMouse::HasFunction(int function) const
{
    switch (function)
    {
    case DeviceAxisX:
    case DeviceAxisY:
    case DeviceAxisZ:
    case DeviceButton0:
    case DeviceButton1:
    case DeviceButton2:
        return true;
    default:
        return false;
    }
}
