#pragma once

#include "platform/nHIDDevice.h"

class nHIDSource;

// The mouse: axes X and Y give the pointer scaled so that the window's client area spans 0 to
// 65535 (outside it the values run beyond); buttons 0, 1 and 2 are left, right and middle.
class nHIDMouse : public nHIDDevice
{
public:
    explicit nHIDMouse(const nHIDSource& source);

    bool Update() override;
    bool HasFunction(int function) const override;

private:
    const nHIDSource& m_source;
};
