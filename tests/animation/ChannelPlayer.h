#pragma once

#include "animation/nAnimationPlayer.h"
#include "animation/nMotion.h"
#include "animation/nMotionChannel.h"
#include "core/math/nCurvePoint.h"

// Stands for a managed item: every channel is readable and writable.
class ChannelPlayer : public nAnimationPlayer
{
public:
    bool GetChannelValue(int32_t id, float& value) override
    {
        value = channels[id];
        return true;
    }
    bool SetChannelValue(int32_t id, float value) override
    {
        channels[id] = value;
        return true;
    }
    void GetRotationQuaternion(nQuaternion& value) override { value = rotation; }
    bool SetRotationQuaternion(const nQuaternion& value) override
    {
        rotation = value;
        ++rotationWrites;
        return true;
    }

    float channels[MotionChannelCount] = {};
    nQuaternion rotation;
    int rotationWrites = 0;
};

// A motion holding channel 1 at a constant value from 0 to 1 s.
inline nMotion* ConstantMotion(ChannelPlayer& player, const char* name, float value)
{
    auto* motion = new nMotion(name);
    nMotionChannel* channel = motion->AddChannel(1);
    channel->AddKnot(new nCurvePoint(0.0f, value));
    channel->AddKnot(new nCurvePoint(1.0f, value));
    player.AddMotion(motion);
    return motion;
}
