#pragma once

#include "core/math/nMatrix3.h"
#include "core/math/nVector.h"

#include <cstdint>

class nSound;

enum nChannelState : int32_t
{
    ChannelStateInvalid = 0,
    ChannelStateStopped = 1,
    ChannelStatePlaying = 2,
    ChannelStatePaused = 3,
};

enum nLoopMode : uint32_t
{
    LoopNone = 0,
    LoopRepeat = 1,
};

// The settings of one of a mixer's channels. A lock only reserves the channel for a script; the
// 3D fields are kept but no mixer applies them.
struct nMixerChannel
{
    nSound* sound = nullptr;
    bool locked = false;
    uint32_t loopMode = LoopNone;
    uint32_t loopPosition = 0;
    float pitch = 1.0f;
    float gain = 1.0f;
    float panning = 0.5f; // 0 left, 1 right
    nVector position{0.0f, 0.0f, 0.0f, 1.0f};
    nVector velocity{0.0f, 0.0f, 0.0f, 1.0f};
    nMatrix3 orientation;
};
