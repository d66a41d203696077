#pragma once

#include "platform/nHIDConstants.h"
#include "platform/nHIDFunctionRecord.h"
#include "platform/nstring/nString.h"

// An input device: 29 numbered functions, each a queue of its last eight values. The owner calls
// Update to read the hardware; readers take values newest first or look for one among them.
class nHIDDevice
{
public:
    nHIDDevice() = default;
    explicit nHIDDevice(const nString& name);
    nHIDDevice(const nHIDDevice&) = delete;
    nHIDDevice& operator=(const nHIDDevice&) = delete;
    virtual ~nHIDDevice() = default;

    virtual void SetForceFeedback(float magnitude);
    virtual bool Update();
    virtual bool IsConnected() const;
    virtual bool SetBounceFilter(int function, bool on);
    virtual bool HasFunction(int function) const;
    virtual bool PoolFunction(int function, int* value, int* extra, bool remove);
    virtual bool SeekFunction(int function, int value) const;
    virtual void Reset();

    const nString& GetName() const { return m_name; }

    // The queue of a function, for the device's own update and for tests; null outside 0 to 28.
    nHIDFunctionRecord* GetFunction(int function);
    const nHIDFunctionRecord* GetFunction(int function) const;

protected:
    void SetName(const nString& name) { m_name = name; }

private:
    nString m_name;
    nHIDFunctionRecord m_functions[DeviceFunctionCount];
};
