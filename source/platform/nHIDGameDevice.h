#pragma once

#include "platform/nHIDDevice.h"

#include <memory>

struct nHIDDescriptor;
class nHIDGameSource;
class nHIDSource;

// A game device (joystick, pad, wheel): axes X, Y, Z, RX, RY, RZ, U and V (the two sliders),
// buttons 0 to 15 and one constant force along X. Its queues are not emptied by an update: every update adds
// a reading of every function.
class nHIDGameDevice : public nHIDDevice
{
public:
    nHIDGameDevice(const nHIDDescriptor& descriptor, nHIDSource& source);
    ~nHIDGameDevice() override;

    void SetForceFeedback(float magnitude) override;
    bool Update() override;
    bool HasFunction(int function) const override;

private:
    std::unique_ptr<nHIDGameSource> m_game;
    bool m_hasEffect = false;
};
