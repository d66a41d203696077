#include "platform/nHIDGameSourceSDL.h"

nHIDGameSourceSDL::nHIDGameSourceSDL(SDL_Joystick* joystick, bool hapticAvailable) : m_joystick(joystick)
{
    if (hapticAvailable && SDL_JoystickIsHaptic(joystick) == SDL_TRUE)
        m_haptic = SDL_HapticOpenFromJoystick(joystick);
}

// A subsystem SDL has already shut down has closed its devices itself.
nHIDGameSourceSDL::~nHIDGameSourceSDL()
{
    if (m_haptic != nullptr && SDL_WasInit(SDL_INIT_HAPTIC) != 0)
    {
        if (m_effectId >= 0)
            SDL_HapticDestroyEffect(m_haptic, m_effectId);
        SDL_HapticClose(m_haptic);
    }
    if (SDL_WasInit(SDL_INIT_JOYSTICK) != 0)
        SDL_JoystickClose(m_joystick);
}

// Axes arrive as -32768 to 32767 and are shifted to 0 to 65535.
bool nHIDGameSourceSDL::Read(nHIDGameState& state)
{
    if (SDL_JoystickGetAttached(m_joystick) != SDL_TRUE)
        return false;
    const int axisCount = SDL_JoystickNumAxes(m_joystick);
    for (int axis = 0; axis < nHIDGameState::AxisCount; ++axis)
        state.axes[axis] = axis < axisCount ? int32_t(SDL_JoystickGetAxis(m_joystick, axis)) + 32768 : 0;
    const int buttonCount = SDL_JoystickNumButtons(m_joystick);
    for (int button = 0; button < nHIDGameState::ButtonCount; ++button)
    {
        const bool down = button < buttonCount && SDL_JoystickGetButton(m_joystick, button) != 0;
        state.buttons[button] = down ? 0x80 : 0;
    }
    return true;
}

// A device without force feedback has no centring spring to switch off.
bool nHIDGameSourceSDL::DisableAutoCentre()
{
    if (m_haptic == nullptr || (SDL_HapticQuery(m_haptic) & SDL_HAPTIC_AUTOCENTER) == 0)
        return true;
    return SDL_HapticSetAutocenter(m_haptic, 0) == 0;
}

bool nHIDGameSourceSDL::CreateConstantForce()
{
    if (m_haptic == nullptr)
        return false;
    const unsigned int features = SDL_HapticQuery(m_haptic);
    if ((features & SDL_HAPTIC_CONSTANT) == 0)
        return false;
    if ((features & SDL_HAPTIC_GAIN) != 0)
        SDL_HapticSetGain(m_haptic, 100);
    m_effect = {};
    m_effect.type = SDL_HAPTIC_CONSTANT;
    m_effect.constant.direction.type = SDL_HAPTIC_CARTESIAN;
    m_effect.constant.direction.dir[0] = 1;
    m_effect.constant.length = SDL_HAPTIC_INFINITY;
    m_effect.constant.level = 0;
    m_effectId = SDL_HapticNewEffect(m_haptic, &m_effect);
    return m_effectId >= 0;
}

void nHIDGameSourceSDL::StartConstantForce()
{
    if (m_effectId >= 0)
        SDL_HapticRunEffect(m_haptic, m_effectId, 1);
}

void nHIDGameSourceSDL::SetConstantForce(int magnitude)
{
    if (m_effectId < 0)
        return;
    m_effect.constant.level = Sint16(magnitude * 32767 / 10000);
    SDL_HapticUpdateEffect(m_haptic, m_effectId, &m_effect);
    SDL_HapticRunEffect(m_haptic, m_effectId, 1);
}
