#pragma once

#include "platform/nHIDSource.h"

// The hardware source over SDL: its keyboard state and mouse for an SDL window, and its joysticks
// with their haptic devices. Without a window there is no pointer and no game device.
class nHIDSourceSDL : public nHIDSource
{
public:
    nHIDSourceSDL();
    ~nHIDSourceSDL() override;

    bool Open(void* window) override;
    void Update() override;
    bool IsKeyDown(nHIDSourceKey key) const override;
    nHIDPointerState ReadPointer() const override;
    int GetGameDeviceCount() const override;
    bool DescribeGameDevice(int index, nHIDDescriptor& descriptor) const override;
    std::unique_ptr<nHIDGameSource> OpenGameDevice(const nHIDDescriptor& descriptor) override;

private:
    static constexpr int ScancodesPerKey = 2;

    void MapKeys();

    void* m_window = nullptr;
    bool m_gameDevicesOpen = false;
    bool m_hapticOpen = false;
    int m_scancodes[SourceKeyCount][ScancodesPerKey] = {};
};
