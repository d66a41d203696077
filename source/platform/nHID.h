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
