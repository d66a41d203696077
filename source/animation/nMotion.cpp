#include "animation/nMotion.h"

#include "animation/nMotionChannel.h"
#include "core/base/nLog.h"

#include <new>

nMotion::nMotion(const char* name) : m_name(name) {}

nMotion::~nMotion() = default;

nMotionChannel* nMotion::AddChannel(int32_t id)
{
    auto* channel = new nMotionChannel; // counted with the curves; null when memory runs out
    if (!channel || !m_channels.PushBack(channel))
    {
        delete channel;
        nLogHolder::Get() << "[!] Could not allocate channel.\n";
        return nullptr;
    }
    channel->SetId(id);
    return channel;
}

nMotionChannel* const* nMotion::GetChannelTable()
{
    const uint32_t count = m_channels.GetCount();
    if (m_channelTable.GetCount() != count)
    {
        if (!m_channelTable.Resize(count))
            return nullptr;
        uint32_t index = 0;
        for (auto* node = m_channels.GetHead(); node; node = node->next)
            *m_channelTable.At(index++) = node->value;
    }
    return m_channelTable.GetData();
}

bool nMotion::GetTimeRange(float& first, float& last) const
{
    if (m_channels.IsEmpty())
        return false;
    bool found = false;
    for (auto* node = m_channels.GetHead(); node; node = node->next)
    {
        if (node->value->GetKnotCount() == 0)
            continue;
        float channelFirst = 0.0f;
        float channelLast = 0.0f;
        node->value->GetTimeRange(channelFirst, channelLast);
        if (!found || channelFirst < first)
            first = channelFirst;
        if (!found || channelLast > last)
            last = channelLast;
        found = true;
    }
    if (!found)
        first = last = 0.0f;
    return true;
}

float nMotion::GetLength() const
{
    float length = 0.0f;
    for (auto* node = m_channels.GetHead(); node; node = node->next)
        if (node->value->GetKnotCount() != 0 && node->value->GetEndTime() > length)
            length = node->value->GetEndTime();
    return length;
}

void nMotion::EvaluateTriple(float time, int32_t firstId, float* values, uint32_t mode)
{
    for (auto* node = m_channels.GetHead(); node; node = node->next)
    {
        const int32_t index = node->value->GetId() - firstId;
        if (index >= 0 && index < 3)
            node->value->Evaluate(time, values[index], mode);
    }
}

void nMotion::EvaluatePosition(float time, float& x, float& y, float& z, uint32_t mode)
{
    float values[3] = {x, y, z};
    EvaluateTriple(time, ChannelPositionX, values, mode);
    x = values[0];
    y = values[1];
    z = values[2];
}

void nMotion::EvaluateRotation(float time, float& x, float& y, float& z, uint32_t mode)
{
    float values[3] = {x, y, z};
    EvaluateTriple(time, ChannelRotationX, values, mode);
    x = values[0];
    y = values[1];
    z = values[2];
}

nQuaternion nMotion::EvaluateQuaternion(float time, uint32_t mode, float rangeStart, float rangeEnd)
{
    return m_quaternionChannel.Evaluate(time, mode, rangeStart, rangeEnd);
}
