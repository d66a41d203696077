#include "animation/nAnimationSourceList.h"

#include "animation/nMotionAnimationSource.h"

namespace
{
template <typename Action> void ForEachMotionSource(const nAnimationSourceList& list, Action action)
{
    for (auto* node = list.GetHead(); node; node = node->next)
        if (node->value && node->value->GetKind() == AnimationSourceMotion)
            action(static_cast<nMotionAnimationSource&>(*node->value));
}
} // namespace

float nAnimationSourceList::GetClock() const
{
    auto* head = GetHead();
    return head && head->value ? head->value->GetClock() : 0.0f;
}

void nAnimationSourceList::SetClock(float clock)
{
    for (auto* node = GetHead(); node; node = node->next)
        if (node->value)
            node->value->SetClock(clock);
}

void nAnimationSourceList::SetClockScale(float scale)
{
    for (auto* node = GetHead(); node; node = node->next)
        if (node->value)
            node->value->SetClockScale(scale);
}

void nAnimationSourceList::SetWeight(float weight, float fadeTime)
{
    for (auto* node = GetHead(); node; node = node->next)
        if (node->value)
            node->value->FadeTo(weight, fadeTime);
}

void nAnimationSourceList::SetLoop(float start, float end)
{
    ForEachMotionSource(*this, [&](nMotionAnimationSource& source) { source.SetLoop(start, end); });
}

void nAnimationSourceList::SetLoopMode(uint32_t mode)
{
    ForEachMotionSource(*this, [&](nMotionAnimationSource& source) { source.SetLoopMode(mode); });
}
