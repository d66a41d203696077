#include "platform/nHIDSourceSDL.h"

#include "core/base/nLog.h"
#include "platform/nHIDDescriptor.h"
#include "platform/nHIDGameSourceSDL.h"

#include <SDL.h>

#include <cstring>

namespace
{
// SDL instance ids name one connection of a device, so they stand in the descriptor's identifier.
void StoreInstanceId(SDL_JoystickID id, nHIDDescriptor& descriptor)
{
    std::memset(descriptor.identifier, 0, sizeof(descriptor.identifier));
    std::memcpy(descriptor.identifier, &id, sizeof(id));
}

SDL_JoystickID LoadInstanceId(const nHIDDescriptor& descriptor)
{
    SDL_JoystickID id = -1;
    std::memcpy(&id, descriptor.identifier, sizeof(id));
    return id;
}

// Digits and letters follow the layout once SDL video knows it; until then the US positions.
SDL_Scancode ScancodeTyping(SDL_Keycode key, SDL_Scancode fallback)
{
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0)
        return fallback;
    const SDL_Scancode scancode = SDL_GetScancodeFromKey(key);
    return scancode == SDL_SCANCODE_UNKNOWN ? fallback : scancode;
}
} // namespace

nHIDSourceSDL::nHIDSourceSDL()
{
    MapKeys();
}

nHIDSourceSDL::~nHIDSourceSDL() = default;

bool nHIDSourceSDL::Open(void* window)
{
    m_window = window;
    MapKeys();
    if (window == nullptr || m_gameDevicesOpen)
        return true;
    if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0)
    {
        nLogHolder::Get() << "[!] Input: cannot open game devices: " << SDL_GetError() << "\n";
        return false;
    }
    m_gameDevicesOpen = true;
    m_hapticOpen = SDL_InitSubSystem(SDL_INIT_HAPTIC) == 0;
    if (!m_hapticOpen)
        nLogHolder::Get() << "[*] Input: no force feedback: " << SDL_GetError() << "\n";
    return true;
}

void nHIDSourceSDL::Update()
{
    if (m_gameDevicesOpen)
        SDL_JoystickUpdate();
}

bool nHIDSourceSDL::IsKeyDown(nHIDSourceKey key) const
{
    if (key >= SourceKeyCount)
        return false;
    int count = 0;
    const Uint8* state = SDL_GetKeyboardState(&count);
    for (int scancode : m_scancodes[key])
    {
        if (scancode != SDL_SCANCODE_UNKNOWN && scancode < count && state[scancode] != 0)
            return true;
    }
    return false;
}

// The cursor relative to the window: SDL's own coordinates while the window has the mouse, else
// the desktop position less the window's, so a held drag outside the window keeps counting.
nHIDPointerState nHIDSourceSDL::ReadPointer() const
{
    nHIDPointerState pointer;
    if (m_window == nullptr)
        return pointer;
    SDL_Window* window = static_cast<SDL_Window*>(m_window);
    Uint32 buttons = 0;
    if (SDL_GetMouseFocus() == window)
        buttons = SDL_GetMouseState(&pointer.x, &pointer.y);
    else
    {
        int windowX = 0;
        int windowY = 0;
        buttons = SDL_GetGlobalMouseState(&pointer.x, &pointer.y);
        SDL_GetWindowPosition(window, &windowX, &windowY);
        pointer.x -= windowX;
        pointer.y -= windowY;
    }
    SDL_GetWindowSize(window, &pointer.clientWidth, &pointer.clientHeight);
    pointer.left = (buttons & SDL_BUTTON(SDL_BUTTON_LEFT)) != 0;
    pointer.right = (buttons & SDL_BUTTON(SDL_BUTTON_RIGHT)) != 0;
    pointer.middle = (buttons & SDL_BUTTON(SDL_BUTTON_MIDDLE)) != 0;
    return pointer;
}

int nHIDSourceSDL::GetGameDeviceCount() const
{
    if (!m_gameDevicesOpen)
        return 0;
    const int count = SDL_NumJoysticks();
    return count > 0 ? count : 0;
}

bool nHIDSourceSDL::DescribeGameDevice(int index, nHIDDescriptor& descriptor) const
{
    if (index < 0 || index >= GetGameDeviceCount())
        return false;
    const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(index);
    if (id < 0)
        return false;
    const char* name = SDL_JoystickNameForIndex(index);
    descriptor.name = name != nullptr ? name : "";
    descriptor.flags = 0;
    StoreInstanceId(id, descriptor);
    if (m_hapticOpen)
    {
        // Whether a joystick has force feedback is known only with it open.
        if (SDL_Joystick* joystick = SDL_JoystickOpen(index))
        {
            if (SDL_JoystickIsHaptic(joystick) == SDL_TRUE)
                descriptor.flags |= nHIDDescriptor::FlagForceFeedback;
            SDL_JoystickClose(joystick);
        }
    }
    return true;
}

std::unique_ptr<nHIDGameSource> nHIDSourceSDL::OpenGameDevice(const nHIDDescriptor& descriptor)
{
    const SDL_JoystickID id = LoadInstanceId(descriptor);
    const int count = GetGameDeviceCount();
    for (int index = 0; index < count; ++index)
    {
        if (SDL_JoystickGetDeviceInstanceID(index) != id)
            continue;
        SDL_Joystick* joystick = SDL_JoystickOpen(index);
        if (joystick == nullptr)
            return nullptr;
        return std::make_unique<nHIDGameSourceSDL>(joystick, m_hapticOpen);
    }
    return nullptr;
}

void nHIDSourceSDL::MapKeys()
{
    const auto map = [this](nHIDSourceKey key, SDL_Scancode first, SDL_Scancode second = SDL_SCANCODE_UNKNOWN)
    {
        m_scancodes[key][0] = first;
        m_scancodes[key][1] = second;
    };
    map(SourceKeyUp, SDL_SCANCODE_UP);
    map(SourceKeyDown, SDL_SCANCODE_DOWN);
    map(SourceKeyLeft, SDL_SCANCODE_LEFT);
    map(SourceKeyRight, SDL_SCANCODE_RIGHT);
    map(SourceKeyLeftShift, SDL_SCANCODE_LSHIFT);
    map(SourceKeyRightShift, SDL_SCANCODE_RSHIFT);
    map(SourceKeyLeftControl, SDL_SCANCODE_LCTRL);
    map(SourceKeyRightControl, SDL_SCANCODE_RCTRL);
    map(SourceKeyAlt, SDL_SCANCODE_LALT, SDL_SCANCODE_RALT);
    map(SourceKeyLeftSystem, SDL_SCANCODE_LGUI);
    map(SourceKeyRightSystem, SDL_SCANCODE_RGUI);
    for (int i = 0; i < 12; ++i)
        map(nHIDSourceKey(SourceKeyF1 + i), SDL_Scancode(SDL_SCANCODE_F1 + i));
    map(SourceKeyPause, SDL_SCANCODE_PAUSE);
    map(SourceKeyScrollLock, SDL_SCANCODE_SCROLLLOCK);
    map(SourceKeyNumLock, SDL_SCANCODE_NUMLOCKCLEAR);
    map(SourceKeyNumpad0, SDL_SCANCODE_KP_0);
    for (int i = 1; i <= 9; ++i)
        map(nHIDSourceKey(SourceKeyNumpad0 + i), SDL_Scancode(SDL_SCANCODE_KP_1 + i - 1));
    map(SourceKeyEscape, SDL_SCANCODE_ESCAPE);
    map(SourceKeySpace, SDL_SCANCODE_SPACE);
    map(SourceKeyTab, SDL_SCANCODE_TAB);
    map(SourceKeyBackspace, SDL_SCANCODE_BACKSPACE);
    map(SourceKeyPageUp, SDL_SCANCODE_PAGEUP);
    map(SourceKeyPageDown, SDL_SCANCODE_PAGEDOWN);
    map(SourceKeyReturn, SDL_SCANCODE_RETURN, SDL_SCANCODE_KP_ENTER);
    map(SourceKeyDigit0, ScancodeTyping(SDLK_0, SDL_SCANCODE_0));
    for (int i = 1; i <= 9; ++i)
        map(nHIDSourceKey(SourceKeyDigit0 + i),
            ScancodeTyping(SDLK_0 + i, SDL_Scancode(SDL_SCANCODE_1 + i - 1)));
    for (int i = 0; i < 26; ++i)
        map(nHIDSourceKey(SourceKeyA + i), ScancodeTyping(SDLK_a + i, SDL_Scancode(SDL_SCANCODE_A + i)));
}
