#pragma once

#include "platform/nHIDSourceKey.h"

#include <memory>

struct nHIDDescriptor;
class nHIDGameSource;

// The pointer in the client coordinates of the input system's window; a client size of 0 means
// there is no window to measure against.
struct nHIDPointerState
{
    int x = 0;
    int y = 0;
    int clientWidth = 0;
    int clientHeight = 0;
    bool left = false;
    bool right = false;
    bool middle = false;
};

// Where the input system reads the hardware. The devices hold their queues and rules; a source
// only answers what is down and where, so the rules run against scripted sources in tests.
class nHIDSource
{
public:
    virtual ~nHIDSource() = default;

    // window: the platform window the devices belong to, or null
    virtual bool Open(void* window) = 0;
    virtual void Update() = 0;
    virtual bool IsKeyDown(nHIDSourceKey key) const = 0;
    virtual nHIDPointerState ReadPointer() const = 0;
    virtual int GetGameDeviceCount() const = 0;
    virtual bool DescribeGameDevice(int index, nHIDDescriptor& descriptor) const = 0;
    // null when the device cannot be opened
    virtual std::unique_ptr<nHIDGameSource> OpenGameDevice(const nHIDDescriptor& descriptor) = 0;
};
