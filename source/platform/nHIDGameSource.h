#pragma once

#include <cstdint>

// One reading of a game device, in the order of its axes: X, Y, Z, RX, RY, RZ, slider 0,
// slider 1, each 0 to 65535 (0 for an axis the device lacks); buttons 0x80 when pressed.
struct nHIDGameState
{
    static constexpr int AxisCount = 8;
    static constexpr int ButtonCount = 16;

    int32_t axes[AxisCount] = {};
    uint8_t buttons[ButtonCount] = {};
};

// The hardware behind one game device, with its one constant-force effect.
class nHIDGameSource
{
public:
    virtual ~nHIDGameSource() = default;

    virtual bool Read(nHIDGameState& state) = 0;
    virtual bool DisableAutoCentre() = 0;
    virtual bool CreateConstantForce() = 0;
    virtual void StartConstantForce() = 0;
    // magnitude -10000 to 10000 along the X axis; the effect restarts with it
    virtual void SetConstantForce(int magnitude) = 0;
};
