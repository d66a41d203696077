#pragma once

#include "platform/nHIDConstants.h"
#include "platform/nHIDSourceKey.h"

#include <array>

struct nHIDKeyTableEntry
{
    nHIDSourceKey sourceKey;
    nHIDKeyCode keyCode;
};

// The keys the keyboard queues as key codes, in the order of its update (so the last eight held
// keys of this order survive in the eight-value queue). One Alt key feeds both Alt codes.
inline constexpr std::array<nHIDKeyTableEntry, 44> nHIDKeyTable = {{
    {SourceKeyUp, KeyUpArrow},
    {SourceKeyDown, KeyDownArrow},
    {SourceKeyLeft, KeyLeftArrow},
    {SourceKeyRight, KeyRightArrow},
    {SourceKeyLeftShift, KeyLShift},
    {SourceKeyRightShift, KeyRShift},
    {SourceKeyLeftControl, KeyLCtrl},
    {SourceKeyRightControl, KeyRCtrl},
    {SourceKeyAlt, KeyLAlt},
    {SourceKeyAlt, KeyRAlt},
    {SourceKeyLeftSystem, KeyLWin},
    {SourceKeyRightSystem, KeyRWin},
    {nHIDSourceKey(SourceKeyF1 + 0), KeyF1},
    {nHIDSourceKey(SourceKeyF1 + 1), KeyF2},
    {nHIDSourceKey(SourceKeyF1 + 2), KeyF3},
    {nHIDSourceKey(SourceKeyF1 + 3), KeyF4},
    {nHIDSourceKey(SourceKeyF1 + 4), KeyF5},
    {nHIDSourceKey(SourceKeyF1 + 5), KeyF6},
    {nHIDSourceKey(SourceKeyF1 + 6), KeyF7},
    {nHIDSourceKey(SourceKeyF1 + 7), KeyF8},
    {nHIDSourceKey(SourceKeyF1 + 8), KeyF9},
    {nHIDSourceKey(SourceKeyF1 + 9), KeyF10},
    {nHIDSourceKey(SourceKeyF1 + 10), KeyF11},
    {SourceKeyF12, KeyF12},
    {SourceKeyPause, KeyPause},
    {SourceKeyScrollLock, KeyScrollLock},
    {SourceKeyNumLock, KeyNumLock},
    {nHIDSourceKey(SourceKeyNumpad0 + 0), KeyNumpad0},
    {nHIDSourceKey(SourceKeyNumpad0 + 1), KeyNumpad1},
    {nHIDSourceKey(SourceKeyNumpad0 + 2), KeyNumpad2},
    {nHIDSourceKey(SourceKeyNumpad0 + 3), KeyNumpad3},
    {nHIDSourceKey(SourceKeyNumpad0 + 4), KeyNumpad4},
    {nHIDSourceKey(SourceKeyNumpad0 + 5), KeyNumpad5},
    {nHIDSourceKey(SourceKeyNumpad0 + 6), KeyNumpad6},
    {nHIDSourceKey(SourceKeyNumpad0 + 7), KeyNumpad7},
    {nHIDSourceKey(SourceKeyNumpad0 + 8), KeyNumpad8},
    {SourceKeyNumpad9, KeyNumpad9},
    {SourceKeyEscape, KeyEscape},
    {SourceKeySpace, KeySpace},
    {SourceKeyTab, KeyTab},
    {SourceKeyBackspace, KeyBackspace},
    {SourceKeyPageUp, KeyPageUp},
    {SourceKeyPageDown, KeyPageDown},
    {SourceKeyReturn, KeyReturn},
}};
