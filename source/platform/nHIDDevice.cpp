#include "platform/nHIDDevice.h"

#include "core/base/nLog.h"

nHIDDevice::nHIDDevice(const nString& name) : m_name(name) {}

void nHIDDevice::SetForceFeedback(float) {}

bool nHIDDevice::Update()
{
    return true;
}

bool nHIDDevice::IsConnected() const
{
    return true;
}

// Axes 0 to 4 have no press edge to filter, so only buttons, keys, directions and the
// rotation axes take the flag.
bool nHIDDevice::SetBounceFilter(int function, bool on)
{
    nHIDFunctionRecord* record = GetFunction(function);
    if (record == nullptr)
    {
        nLogHolder::Get() << "[!] Input: no device function " << function << ".\n";
        return false;
    }
    if (function < DeviceButton0)
        return false;
    record->bounceFilter = on ? 1 : 0;
    return true;
}

bool nHIDDevice::HasFunction(int function) const
{
    return function >= 0 && function < DeviceFunctionCount;
}

bool nHIDDevice::PoolFunction(int function, int* value, int*, bool remove)
{
    nHIDFunctionRecord* record = GetFunction(function);
    int32_t newest = 0;
    if (record == nullptr || !record->Peek(newest))
        return false;
    if (value != nullptr)
        *value = newest;
    if (remove)
        record->DropNewest();
    return true;
}

bool nHIDDevice::SeekFunction(int function, int value) const
{
    const nHIDFunctionRecord* record = GetFunction(function);
    return record != nullptr && record->Contains(value);
}

void nHIDDevice::Reset()
{
    for (nHIDFunctionRecord& record : m_functions)
        record.Empty();
}

nHIDFunctionRecord* nHIDDevice::GetFunction(int function)
{
    if (function < 0 || function >= DeviceFunctionCount)
        return nullptr;
    return &m_functions[function];
}

const nHIDFunctionRecord* nHIDDevice::GetFunction(int function) const
{
    if (function < 0 || function >= DeviceFunctionCount)
        return nullptr;
    return &m_functions[function];
}
