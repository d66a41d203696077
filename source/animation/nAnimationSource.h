#pragma once

#include "core/base/nSharedObject.h"

#include <cstdint>

class nAnimationPlayer;
class nQuaternion;

enum nAnimationSourceKind : int32_t
{
    AnimationSourceMotion = 0,
};

// Something a player plays: its own clock, clock scale, blend weight and weight ramp.
class nAnimationSource : public nSharedObject
{
public:
    explicit nAnimationSource(int32_t kind) : m_kind(kind) {}

    virtual void Step(float dt);
    virtual void Apply(nAnimationPlayer& player) = 0;
    // Turns the rotation handed in into this source's; false when the source has no rotation.
    virtual bool EvaluateRotation(nQuaternion& rotation) = 0;
    virtual bool IsDone() const { return false; }

    int32_t GetKind() const { return m_kind; }
    float GetClock() const { return m_clock; }
    void SetClock(float clock) { m_clock = clock; }
    float GetClockScale() const { return m_clockScale; }
    void SetClockScale(float scale) { m_clockScale = scale; }
    float GetWeight() const { return m_weight; }
    float GetTargetWeight() const { return m_targetWeight; }
    bool IsRemovedWhenFaded() const { return m_removeWhenFaded; }

    // Ramps the weight to the target over the fade time (at once when it is not above 0).
    void FadeTo(float weight, float fadeTime);
    // Ramps the weight to 0 and marks the source for removal once it gets there.
    void FadeOut(float fadeTime);

private:
    int32_t m_kind;
    float m_clock = 0.0f;
    float m_clockScale = 1.0f;
    float m_weight = 0.0f;
    float m_targetWeight = 1.0f;
    float m_weightRate = 0.0f;
    bool m_removeWhenFaded = false;
};
