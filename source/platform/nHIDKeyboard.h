#pragma once

#include "platform/nHIDDevice.h"

class nHIDSource;

// The keyboard: each update queues on the key-press function the key codes of the held keys in
// key-table order, then the held digits and letters as characters. Besides the function's own
// bounce filter each key code has its own, so a held key can be queued only when it goes down.
class nHIDKeyboard : public nHIDDevice
{
public:
    explicit nHIDKeyboard(const nHIDSource& source);

    bool Update() override;
    bool HasFunction(int function) const override;
    bool PoolFunction(int function, int* value, int* extra, bool remove) override;

    bool SetKeyBounceFilter(int keyCode, bool on);

private:
    const nHIDSource& m_source;
    bool m_keyBounceFilter[KeyCodeCount] = {};
    bool m_keyHeld[KeyCodeCount] = {};
};
