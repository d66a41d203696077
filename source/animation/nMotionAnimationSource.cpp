#include "animation/nMotionAnimationSource.h"

#include "animation/nAnimationPlayer.h"
#include "animation/nMotion.h"
#include "animation/nMotionChannel.h"
#include "core/math/nCurve.h"

nMotionAnimationSource::nMotionAnimationSource(nMotion* motion, nAnimationPlayer* player)
    : nAnimationSource(AnimationSourceMotion), m_motion(motion), m_player(player),
      m_loopMode(motion->GetLoopMode()), m_loopStart(CurveRangeFirstKnot), m_loopEnd(CurveRangeLastKnot)
{
    float first = 0.0f;
    float last = 0.0f;
    if (motion->GetTimeRange(first, last))
    {
        m_loopStart = first;
        m_loopEnd = last;
    }
    motion->EvaluatePosition(m_loopStart, m_previousPosition[0], m_previousPosition[1], m_previousPosition[2],
                             m_loopMode);
    if (motion->HasQuaternionKeys())
        m_previousQuaternion =
            motion->EvaluateQuaternion(m_loopStart, m_loopMode, CurveRangeFirstKnot, CurveRangeLastKnot);
    else
        motion->EvaluateRotation(m_loopStart, m_previousRotation[0], m_previousRotation[1], m_previousRotation[2],
                                 m_loopMode);
    if (player)
        player->TrackSource(this);
}

nMotionAnimationSource::~nMotionAnimationSource()
{
    if (m_player)
        m_player->ForgetSource(this);
}

void nMotionAnimationSource::DetachFromPlayer()
{
    m_motion = nullptr;
    m_player = nullptr;
}

void nMotionAnimationSource::PrefetchMotion()
{
    __builtin_prefetch(m_motion);
}

void nMotionAnimationSource::PrefetchChannels()
{
    nMotionChannel* const* channels = m_motion ? m_motion->GetChannelTable() : nullptr;
    const uint32_t count = channels ? m_motion->GetChannelTableCount() : 0;
    for (uint32_t i = 0; i < count; ++i)
        __builtin_prefetch(channels[i]);
}

void nMotionAnimationSource::PrefetchKnots()
{
    nMotionChannel* const* channels = m_motion ? m_motion->GetChannelTable() : nullptr;
    const uint32_t count = channels ? m_motion->GetChannelTableCount() : 0;
    for (uint32_t i = 0; i < count; ++i)
        channels[i]->PrefetchKnots();
}

void nMotionAnimationSource::Apply(nAnimationPlayer& player)
{
    if (!m_motion)
        return;
    const bool quaternionRotation = m_motion->HasQuaternionKeys();
    float* channelWeights = player.GetChannelWeights();
    if (nMotionChannel* const* channels = m_motion->GetChannelTable())
    {
        const uint32_t count = m_motion->GetChannelTableCount();
        for (uint32_t i = 0; i < count; ++i)
            ApplyChannel(*channels[i], player, channelWeights, quaternionRotation);
        return;
    }
    for (auto* node = m_motion->GetChannels().GetHead(); node; node = node->next) // no memory for the table
        ApplyChannel(*node->value, player, channelWeights, quaternionRotation);
}

void nMotionAnimationSource::ApplyChannel(nMotionChannel& channel, nAnimationPlayer& player, float* channelWeights,
                                          bool quaternionRotation)
{
    const int32_t id = channel.GetId();
    if (channel.GetKnotCount() == 0 || (quaternionRotation && id >= ChannelRotationX && id <= ChannelRotationZ))
        return;
    float value = 0.0f;
    channel.Evaluate(GetClock(), value, m_loopMode, m_loopStart, m_loopEnd);

    float current = 0.0f;
    const bool readable = player.GetChannelValue(id, current);
    float* previous = nullptr;
    if (id >= ChannelPositionX && id <= ChannelPositionZ)
        previous = &m_previousPosition[id - ChannelPositionX];
    else if (id >= ChannelRotationX && id <= ChannelRotationZ)
        previous = &m_previousRotation[id - ChannelRotationX];
    if (previous)
    {
        const float raw = value;
        if (m_relative && readable)
            value = current + value - *previous;
        *previous = raw;
    }

    const float weight = GetWeight();
    if (weight != 0.0f && channelWeights && readable && id >= 0 && id < MotionChannelCount)
    {
        float& accumulated = channelWeights[id];
        const float blended = (accumulated * current + value * weight) / (accumulated + weight);
        accumulated += weight;
        player.SetChannelValue(id, blended);
    }
}

bool nMotionAnimationSource::EvaluateRotation(nQuaternion& rotation)
{
    if (!m_motion || !m_motion->HasQuaternionKeys())
        return false;
    const nQuaternion q = m_motion->EvaluateQuaternion(GetClock(), m_loopMode, m_loopStart, m_loopEnd);
    rotation = m_relative ? (q * m_previousQuaternion.Inverse()) * rotation : q;
    m_previousQuaternion = q;
    return true;
}

bool nMotionAnimationSource::IsDone() const
{
    if (!m_motion)
        return true;
    if (m_loopMode == CurveRepeat || m_loopMode == CurveOscillate || m_loopMode == CurveOffsetRepeat)
        return false;
    if (GetClockScale() > 0.0f)
        return GetClock() > m_loopEnd;
    return GetClock() < m_loopStart;
}
