#include "platform/nHIDGameDevice.h"

#include "core/base/nLog.h"
#include "platform/nHIDDescriptor.h"
#include "platform/nHIDGameSource.h"
#include "platform/nHIDSource.h"

#include <cmath>

namespace
{
// Where each axis of a reading is queued, in the order of nHIDGameState::axes.
constexpr int AxisFunctions[nHIDGameState::AxisCount] = {
    DeviceAxisX, DeviceAxisY, DeviceAxisZ, DeviceAxisRX, DeviceAxisRY, DeviceAxisRZ, DeviceAxisU, DeviceAxisV,
};

constexpr float MaximumForce = 10000.0f;
} // namespace

nHIDGameDevice::nHIDGameDevice(const nHIDDescriptor& descriptor, nHIDSource& source)
    : nHIDDevice(descriptor.name)
{
    nLog& log = nLogHolder::Get();
    log << "Creating device '" << descriptor.name << "'.\n";
    m_game = source.OpenGameDevice(descriptor);
    if (!m_game)
    {
        log << "[!] Failed to create device.\n";
        return;
    }
    if (!m_game->DisableAutoCentre())
        log << "[!] Failed to disable force feedback spring.\n";
    m_hasEffect = m_game->CreateConstantForce();
    if (!m_hasEffect)
        log << "[!] Failed to create device force feedback effect.\n";
    else
        m_game->StartConstantForce();
}

nHIDGameDevice::~nHIDGameDevice() = default;

void nHIDGameDevice::SetForceFeedback(float magnitude)
{
    if (!m_hasEffect)
        return;
    if (std::isnan(magnitude))
        magnitude = 0.0f;
    m_game->SetConstantForce(static_cast<int>(std::fmax(-MaximumForce, std::fmin(MaximumForce, magnitude))));
}

bool nHIDGameDevice::Update()
{
    nHIDGameState state;
    if (!m_game || !m_game->Read(state))
        return false;
    for (int axis = 0; axis < nHIDGameState::AxisCount; ++axis)
        GetFunction(AxisFunctions[axis])->Push(state.axes[axis]);
    for (int button = 0; button < nHIDGameState::ButtonCount; ++button)
        GetFunction(DeviceButton0 + button)->Push(state.buttons[button]);
    return true;
}

// The rotation axes count too: every update queues them.
bool nHIDGameDevice::HasFunction(int function) const
{
    return (function >= DeviceAxisX && function <= DeviceButton15) ||
           (function >= DeviceAxisRX && function <= DeviceAxisRZ);
}
