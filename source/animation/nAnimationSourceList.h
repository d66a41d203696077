#pragma once

#include "animation/nAnimationSource.h"
#include "core/base/nList.h"
#include "core/base/nSharedPtr.h"

// Sources in start order, each entry holding one reference: a player's playing sources, and the
// handle scripts get for the motions they started.
class nAnimationSourceList : public nAutoList<nSharedPtr<nAnimationSource>>
{
public:
    float GetClock() const;
    void SetClock(float clock);
    void SetClockScale(float scale);
    void SetWeight(float weight, float fadeTime);
    // Loop settings apply to motion sources only.
    void SetLoop(float start, float end);
    void SetLoopMode(uint32_t mode);
};
