#pragma once

#include <memory>

template <typename T> class nList;
struct nHIDDescriptor;
class nHIDDevice;
class nHIDKeyboard;

// The input system: the keyboard, the mouse and the game devices of the window it is opened for.
// Window handles are the platform's windows, passed as opaque pointers.
class nHID
{
public:
    // The process-wide input system, created on first use.
    static nHID& GetInstance();
    // Puts a system of the caller's in place of the process-wide one until it is replaced again,
    // so tests can drive the input natives from a scripted source; null puts the process-wide one
    // back. Answers the system that was installed before (null for the process-wide one).
    static nHID* Install(nHID* system);

    nHID() = default;
    nHID(const nHID&) = delete;
    nHID& operator=(const nHID&) = delete;
    virtual ~nHID() = default;

    virtual bool IsAvailable() const;
    virtual void* GetWindow() const = 0;
    virtual void SetWindow(void* window) = 0;
    virtual void Update();
    virtual bool Open(void* window);
    virtual void Close();
    // Appends a descriptor per attached game device to the caller's list, which owns them.
    virtual bool EnumerateDevices(nList<nHIDDescriptor*>& descriptors);
    virtual std::unique_ptr<nHIDDevice> CreateDevice(const nHIDDescriptor& descriptor);
    virtual nHIDKeyboard* GetKeyboard();
    virtual nHIDDevice* GetMouse();
};
