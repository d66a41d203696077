#include "platform/nHIDKeyboard.h"

#include "core/base/nLog.h"
#include "platform/nHIDKeyTable.h"
#include "platform/nHIDSource.h"

namespace
{
int CharacterValue(char character)
{
    return (static_cast<unsigned char>(character) << 8) | KeyASCII;
}
} // namespace

nHIDKeyboard::nHIDKeyboard(const nHIDSource& source) : m_source(source) {}

bool nHIDKeyboard::Update()
{
    nHIDFunctionRecord& keyPress = *GetFunction(DeviceKeyPress);
    keyPress.Empty();

    bool anyKeyDown = false;
    for (const nHIDKeyTableEntry& entry : nHIDKeyTable)
    {
        const int code = entry.keyCode;
        if (!m_source.IsKeyDown(entry.sourceKey))
        {
            m_keyHeld[code] = false;
            continue;
        }
        anyKeyDown = true;
        if (!(m_keyBounceFilter[code] && m_keyHeld[code]) && !keyPress.Push(code))
            return true; // the key-press function's own bounce filter stops the whole update
        m_keyHeld[code] = true;
    }
    // With the key-press function's own filter on, letting go of every key is its release; without
    // it the first key ever pressed would block the keyboard for good.
    if (!anyKeyDown)
        keyPress.held = 0;

    for (int digit = 0; digit <= 9; ++digit)
    {
        if (m_source.IsKeyDown(nHIDSourceKey(SourceKeyDigit0 + digit)))
            keyPress.Push(CharacterValue(char('0' + digit)));
    }

    const bool upperCase = m_source.IsKeyDown(SourceKeyLeftShift) || m_source.IsKeyDown(SourceKeyRightShift);
    const char first = upperCase ? 'A' : 'a';
    for (int letter = 0; letter < 26; ++letter)
    {
        if (m_source.IsKeyDown(nHIDSourceKey(SourceKeyA + letter)))
            keyPress.Push(CharacterValue(char(first + letter)));
    }
    return true;
}

bool nHIDKeyboard::HasFunction(int function) const
{
    return function == DeviceKeyPress;
}

// A key press is consumed by reading it, whatever remove says, so each is seen once.
bool nHIDKeyboard::PoolFunction(int function, int* value, int* extra, bool remove)
{
    nHIDFunctionRecord* keyPress = GetFunction(DeviceKeyPress);
    int32_t newest = 0;
    if (function != DeviceKeyPress || !keyPress->Peek(newest))
        return nHIDDevice::PoolFunction(function, value, extra, remove);
    keyPress->DropNewest();
    const int code = newest & 0xFF;
    if (value != nullptr)
        *value = code;
    if (code == KeyASCII && extra != nullptr)
        *extra = (newest >> 8) & 0xFF;
    return true;
}

bool nHIDKeyboard::SetKeyBounceFilter(int keyCode, bool on)
{
    if (keyCode < 0 || keyCode >= KeyCodeCount)
    {
        nLogHolder::Get() << "[!] Input: no key code " << keyCode << ".\n";
        return false;
    }
    m_keyBounceFilter[keyCode] = on;
    return true;
}
