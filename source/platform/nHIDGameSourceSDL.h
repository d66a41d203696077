#pragma once

#include "platform/nHIDGameSource.h"

#include <SDL.h>

// One opened SDL joystick and, when it has force feedback, its haptic device.
class nHIDGameSourceSDL : public nHIDGameSource
{
public:
    // Takes over the opened joystick.
    nHIDGameSourceSDL(SDL_Joystick* joystick, bool hapticAvailable);
    nHIDGameSourceSDL(const nHIDGameSourceSDL&) = delete;
    nHIDGameSourceSDL& operator=(const nHIDGameSourceSDL&) = delete;
    ~nHIDGameSourceSDL() override;

    bool Read(nHIDGameState& state) override;
    bool DisableAutoCentre() override;
    bool CreateConstantForce() override;
    void StartConstantForce() override;
    void SetConstantForce(int magnitude) override;

private:
    SDL_Joystick* m_joystick;
    SDL_Haptic* m_haptic = nullptr;
    SDL_HapticEffect m_effect = {};
    int m_effectId = -1;
};
