#include "animation/nAnimationPlayer.h"

#include "animation/nMotion.h"
#include "animation/nMotionAnimationSource.h"
#include "core/math/nQuaternion.h"

#include <new>

namespace
{
// Sources lighter than this neither turn the item nor enter the rotation blend.
constexpr float kRotationWeightFloor = 0.01f;
} // namespace

nAnimationPlayer::nAnimationPlayer() = default;

nAnimationPlayer::~nAnimationPlayer()
{
    m_sources.Clear();
    // Sources that scripts still hold must not reach the motions deleted below.
    while (auto* node = m_createdSources.GetHead())
    {
        node->value->DetachFromPlayer();
        m_createdSources.RemoveNode(node);
    }
}

bool nAnimationPlayer::GetChannelValue(int32_t, float&)
{
    return false;
}

bool nAnimationPlayer::SetChannelValue(int32_t, float)
{
    return false;
}

void nAnimationPlayer::GetRotationQuaternion(nQuaternion& rotation)
{
    rotation = nQuaternion();
}

bool nAnimationPlayer::SetRotationQuaternion(const nQuaternion&)
{
    return false;
}

void nAnimationPlayer::TrackSource(nMotionAnimationSource* source)
{
    m_createdSources.PushBack(source);
}

void nAnimationPlayer::ForgetSource(nMotionAnimationSource* source)
{
    m_createdSources.Remove(source);
}

bool nAnimationPlayer::AddMotion(nMotion* motion)
{
    return motion && m_motions.PushBack(motion) != nullptr;
}

nAnimationSource* nAnimationPlayer::SetMotion(nMotion* motion, nAnimationSourceList* list, float fadeTime, bool add,
                                             float weight)
{
    if (!motion)
        return nullptr;
    auto* source = new (std::nothrow) nMotionAnimationSource(motion, this);
    if (!source)
        return nullptr;
    nSharedPtr<nAnimationSource> held(source);
    if (list && !list->Find(held))
        list->PushBack(held);
    if (!add)
        for (auto* node = m_sources.GetHead(); node; node = node->next)
            node->value->FadeOut(fadeTime);
    source->FadeTo(weight, fadeTime);
    m_sources.PushBack(held);
    return source;
}

void nAnimationPlayer::Update(float dt)
{
    if (m_sources.IsEmpty())
        return;
    // What the sources read lies apart in memory: asking for all of it before the first source
    // is evaluated overlaps the waits.
    for (auto step : {&nMotionAnimationSource::PrefetchMotion, &nMotionAnimationSource::PrefetchChannels,
                      &nMotionAnimationSource::PrefetchKnots})
        for (auto* node = m_sources.GetHead(); node; node = node->next)
            if (node->value->GetKind() == AnimationSourceMotion)
                (static_cast<nMotionAnimationSource*>(node->value.Get())->*step)();
    for (float& weight : m_channelWeights)
        weight = 0.0f;
    m_updating = true;

    nListIterator<nSharedPtr<nAnimationSource>> iterator;
    while (m_sources.Next(iterator))
    {
        nAnimationSource& source = *iterator.current->value;
        source.Step(dt);
        if (source.IsRemovedWhenFaded() && source.GetWeight() == 0.0f)
            m_sources.RemoveNode(iterator.current);
    }

    nQuaternion rotation;
    GetRotationQuaternion(rotation);
    nQuaternion blended;
    float accumulated = 0.0f;
    for (auto* node = m_sources.GetHead(); node; node = node->next)
    {
        const float weight = node->value->GetWeight();
        // A source without rotation keys leaves the blend alone, so motions of position or
        // Euler channels only never reset the item's rotation.
        if (weight <= kRotationWeightFloor || !node->value->EvaluateRotation(rotation))
            continue;
        blended = accumulated > kRotationWeightFloor
                      ? nQuaternion::Slerp(accumulated / (accumulated + weight), rotation, blended)
                      : rotation;
        accumulated += weight;
    }
    if (accumulated > 0.0f)
        SetRotationQuaternion(blended);

    for (auto* node = m_sources.GetHead(); node; node = node->next)
        if (node->value->GetWeight() != 0.0f)
            node->value->Apply(*this);
    m_updating = false;
}

void nAnimationPlayer::StopMotions()
{
    m_sources.Clear();
}

bool nAnimationPlayer::IsDone() const
{
    for (auto* node = m_sources.GetHead(); node; node = node->next)
        if (!node->value->IsDone())
            return false;
    return true;
}

nMotion* nAnimationPlayer::GetMotion(const char* name) const
{
    for (auto* node = m_motions.GetHead(); node; node = node->next)
        if (node->value->GetName() == name)
            return node->value;
    return nullptr;
}
