#pragma once

#include <cstdint>

struct LauncherResolution
{
    const char* name;
    int32_t width;
    int32_t height;
};

// The resolutions the dialog offers, in the order of its list.
extern const LauncherResolution LauncherResolutions[];
extern const uint32_t LauncherResolutionCount;
