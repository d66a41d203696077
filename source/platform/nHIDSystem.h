#pragma once

#include "platform/nHID.h"

#include <memory>

class nHIDMouse;
class nHIDSource;

// The input system over one hardware source. The keyboard and the mouse are made on first request
// and live as long as the system; game devices belong to whoever creates them.
class nHIDSystem : public nHID
{
public:
    explicit nHIDSystem(std::unique_ptr<nHIDSource> source);
    ~nHIDSystem() override;

    void* GetWindow() const override { return m_window; }
    void SetWindow(void* window) override { m_window = window; }
    void Update() override;
    bool Open(void* window) override;
    bool EnumerateDevices(nList<nHIDDescriptor*>& descriptors) override;
    std::unique_ptr<nHIDDevice> CreateDevice(const nHIDDescriptor& descriptor) override;
    nHIDKeyboard* GetKeyboard() override;
    nHIDDevice* GetMouse() override;

private:
    std::unique_ptr<nHIDSource> m_source;
    void* m_window = nullptr;
    std::unique_ptr<nHIDKeyboard> m_keyboard;
    std::unique_ptr<nHIDMouse> m_mouse;
};
