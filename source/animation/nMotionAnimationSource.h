#pragma once

#include "animation/nAnimationSource.h"
#include "core/math/nQuaternion.h"

class nMotion;
class nMotionChannel;

// Plays one motion owned by a player. When that player dies first, the source loses its motion
// and reports done: a script may still hold it in a source list.
class nMotionAnimationSource : public nAnimationSource
{
public:
    nMotionAnimationSource(nMotion* motion, nAnimationPlayer* player);
    ~nMotionAnimationSource() override;

    void Apply(nAnimationPlayer& player) override;
    // Start fetching what the next Apply reads. The reads form a chain (the motion, the
    // channels, their knots), each step needing the one before; a player runs every step for
    // all its sources before the next, so that their waits overlap.
    void PrefetchMotion();
    void PrefetchChannels();
    void PrefetchKnots();
    bool EvaluateRotation(nQuaternion& rotation) override;
    bool IsDone() const override;

    nMotion* GetMotion() const { return m_motion; }
    void DetachFromPlayer();
    bool IsRelative() const { return m_relative; }
    void SetRelative(bool relative) { m_relative = relative; }
    uint32_t GetLoopMode() const { return m_loopMode; }
    void SetLoopMode(uint32_t mode) { m_loopMode = mode; }
    float GetLoopStart() const { return m_loopStart; }
    float GetLoopEnd() const { return m_loopEnd; }
    void SetLoop(float start, float end)
    {
        m_loopStart = start;
        m_loopEnd = end;
    }

private:
    void ApplyChannel(nMotionChannel& channel, nAnimationPlayer& player, float* channelWeights,
                      bool quaternionRotation);

    bool m_relative = false;
    float m_previousPosition[3] = {0.0f, 0.0f, 0.0f};
    float m_previousRotation[3] = {0.0f, 0.0f, 0.0f};
    nQuaternion m_previousQuaternion;
    nMotion* m_motion;
    nAnimationPlayer* m_player;
    uint32_t m_loopMode;
    float m_loopStart;
    float m_loopEnd;
};
