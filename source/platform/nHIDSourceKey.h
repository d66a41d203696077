#pragma once

#include <cstdint>

// The physical keys the keyboard reads from its source. Alt is either Alt key, Return either
// Enter key; digits are the main row, letters the keys that type them in the current layout.
enum nHIDSourceKey : uint8_t
{
    SourceKeyUp,
    SourceKeyDown,
    SourceKeyLeft,
    SourceKeyRight,
    SourceKeyLeftShift,
    SourceKeyRightShift,
    SourceKeyLeftControl,
    SourceKeyRightControl,
    SourceKeyAlt,
    SourceKeyLeftSystem,
    SourceKeyRightSystem,
    SourceKeyF1,
    SourceKeyF12 = SourceKeyF1 + 11,
    SourceKeyPause,
    SourceKeyScrollLock,
    SourceKeyNumLock,
    SourceKeyNumpad0,
    SourceKeyNumpad9 = SourceKeyNumpad0 + 9,
    SourceKeyEscape,
    SourceKeySpace,
    SourceKeyTab,
    SourceKeyBackspace,
    SourceKeyPageUp,
    SourceKeyPageDown,
    SourceKeyReturn,
    SourceKeyDigit0,
    SourceKeyDigit9 = SourceKeyDigit0 + 9,
    SourceKeyA,
    SourceKeyZ = SourceKeyA + 25,
    SourceKeyCount,
};
