#include "animation/nQuaternionChannel.h"

#include "core/base/nLog.h"
#include "core/math/nCurve.h"
#include "core/nml/nMetaTag.h"
#include "platform/nstring/nString.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>

namespace
{
float ReadFloat(const uint8_t* data)
{
    float value;
    std::memcpy(&value, data, sizeof value); // the host is little-endian, as the data
    return value;
}

// Wraps a time outside [start, end] back into it; odd periods of oscillation run backwards.
float WrapTime(float time, uint32_t mode, float start, float end)
{
    const double period = static_cast<double>(end) - start;
    if (!(period > 0.0))
        return start;
    const double offset = static_cast<double>(time) - start;
    const double periods = std::floor(offset / period);
    double wrapped = start + (offset - periods * period);
    if (!std::isfinite(wrapped))
        return start;
    wrapped = std::clamp(wrapped, static_cast<double>(start), static_cast<double>(end));
    if (mode == CurveOscillate && std::fmod(std::fabs(periods), 2.0) == 1.0)
        wrapped = static_cast<double>(start) + end - wrapped;
    return static_cast<float>(wrapped);
}
} // namespace

void nQuaternionChannel::AddKey(float time, const nQuaternion& rotation)
{
    m_keys.push_back(nQuaternionKey{time, rotation});
}

void nQuaternionChannel::Clear()
{
    m_keys.clear();
    m_cachedKey = -1;
}

nQuaternion nQuaternionChannel::Evaluate(float time, uint32_t mode, float rangeStart, float rangeEnd)
{
    if (m_keys.empty())
        return nQuaternion();
    const float first = m_keys.front().time;
    const float last = m_keys.back().time;
    const float lowest = std::min(first, last);
    const float highest = std::max(first, last);
    const float start = rangeStart == CurveRangeFirstKnot ? first : std::clamp(rangeStart, lowest, highest);
    const float end = rangeEnd == CurveRangeLastKnot ? last : std::clamp(rangeEnd, lowest, highest);

    if (time < start || time > end)
    {
        switch (mode)
        {
        case CurveReset:
            return nQuaternion();
        case CurveConstant:
            time = time < start ? start : end;
            break;
        default:
            time = WrapTime(time, mode, start, end);
            break;
        }
    }
    if (!(time > first))
        return m_keys.front().rotation;
    if (!(time < last))
        return m_keys.back().rotation;
    const int32_t segment = FindSegment(time);
    if (segment < 0)
        return m_keys.front().rotation;
    const nQuaternionKey& from = m_keys[static_cast<size_t>(segment)];
    const nQuaternionKey& to = m_keys[static_cast<size_t>(segment) + 1];
    return nQuaternion::Slerp((time - from.time) / (to.time - from.time), from.rotation, to.rotation);
}

// The key i with key i at or before the time and key i + 1 after it, searched from the last
// one found; -1 when unsorted keys hold no such pair.
int32_t nQuaternionChannel::FindSegment(float time)
{
    const int32_t count = static_cast<int32_t>(m_keys.size());
    auto holds = [&](int32_t i) { return m_keys[i].time <= time && m_keys[i + 1].time > time; };
    int32_t i = m_cachedKey >= 0 && m_cachedKey < count - 1 ? m_cachedKey : 0;
    if (m_keys[i].time <= time)
    {
        for (; i < count - 1; ++i)
            if (holds(i))
                return m_cachedKey = i;
    }
    else
    {
        for (; i >= 0; --i)
            if (holds(i))
                return m_cachedKey = i;
    }
    for (i = 0; i < count - 1; ++i)
        if (holds(i))
            return m_cachedKey = i;
    return -1;
}

bool nQuaternionChannel::Parse(nMetaFile*, const nMetaTag* tag)
{
    nLog& log = nLogHolder::Get();
    if (!tag || tag->GetName() != "QChannel")
    {
        log << "[!] Could not parse motion quaternion channel. Root tag id is incorrect ("
            << (tag ? tag->GetName().GetText() : "") << ").\n";
        return false;
    }
    Clear();
    nLinkedListIterator iterator;
    while (const nMetaTag* child = tag->GetNextChild(iterator))
    {
        const nString& name = child->GetName();
        if (name == "BinaryKeys")
        {
            if (!ParseBinaryKeys(child))
                return false;
        }
        else if (name == "Keys")
        {
            if (!ParseTextKeys(child))
                return false;
        }
        else
            log << "[*] Unknown tag '" << name << "' in <QChannel>.\n";
    }
    return true;
}

bool nQuaternionChannel::ParseBinaryKeys(const nMetaTag* tag)
{
    const nMetaTag* countTag = tag->GetTypedTag("Count;", TagTypeInteger);
    const nMetaTag* dataTag = tag->GetTypedTag("Data;", TagTypeBinary);
    int32_t count = 0;
    if (!countTag || !dataTag || !countTag->GetValue().GetInt(count) || count <= 0)
        return true;
    const uint8_t* data = dataTag->GetValue().GetBinaryData();
    const uint32_t size = dataTag->GetValue().GetBinarySize();
    if (static_cast<uint64_t>(count) * StoredKeyBytes > size)
    {
        nLogHolder::Get() << "[!] Quaternion channel declares " << static_cast<int>(count)
                          << " key(s) but holds data for " << static_cast<int>(size / StoredKeyBytes) << ".\n";
        return false;
    }
    m_keys.reserve(m_keys.size() + static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i, data += StoredKeyBytes)
        AddKey(ReadFloat(data),
               nQuaternion(ReadFloat(data + 4), ReadFloat(data + 8), ReadFloat(data + 12), ReadFloat(data + 16)));
    return true;
}

bool nQuaternionChannel::ParseTextKeys(const nMetaTag* tag)
{
    nLog& log = nLogHolder::Get();
    nLinkedListIterator iterator;
    while (const nMetaTag* child = tag->GetNextChild(iterator))
    {
        if (child->GetName() != "Key")
            continue;
        nString text;
        if (!child->GetValue().GetString(text))
        {
            log << "[*] Invalid key tag while parsing quaternion channel.\n";
            continue;
        }
        // "time:x,y,z,w"
        const char* fields[5];
        const char* ends[5];
        const char* p = text.GetText() ? text.GetText() : "";
        const char* colon = std::strchr(p, ':');
        bool mangled = colon == nullptr;
        if (!mangled)
        {
            fields[0] = p;
            ends[0] = colon;
            p = colon + 1;
            for (int i = 1; i < 5 && !mangled; ++i)
            {
                fields[i] = p;
                const char* comma = i < 4 ? std::strchr(p, ',') : p + std::strlen(p);
                mangled = comma == nullptr;
                ends[i] = comma;
                p = comma ? comma + 1 : p;
            }
        }
        if (mangled)
        {
            log << "[*] Mangled keyframe tag while parsing quaternion channel.\n";
            return false;
        }
        float values[5];
        for (int i = 0; i < 5; ++i)
            values[i] = static_cast<float>(StringToFloat(fields[i], ends[i]));
        AddKey(values[0], nQuaternion(values[1], values[2], values[3], values[4]));
    }
    return true;
}

nMetaTag* nQuaternionChannel::Serialize(nMetaFile*) const
{
    nLog& log = nLogHolder::Get();
    std::unique_ptr<nMetaTag> tag(new nMetaTag("QChannel"));
    if (!tag)
    {
        log << "[!] Could not create quaternion channel root tag to serialize.\n";
        return nullptr;
    }
    if (m_keys.empty())
        return tag.release();

    const uint64_t size = static_cast<uint64_t>(m_keys.size()) * StoredKeyBytes;
    std::unique_ptr<uint8_t[]> data(size <= UINT32_MAX ? new (std::nothrow) uint8_t[size] : nullptr);
    nMetaTag* binary = data ? tag->AddChild("BinaryKeys") : nullptr;
    if (!binary || !binary->AddChildInt("Count", static_cast<int32_t>(m_keys.size())))
    {
        log << "[!] Could not create quaternion channel root tag to serialize.\n";
        return nullptr;
    }
    uint8_t* out = data.get();
    for (const nQuaternionKey& key : m_keys)
    {
        const float values[5] = {key.time, key.rotation.x, key.rotation.y, key.rotation.z, key.rotation.w};
        std::memcpy(out, values, StoredKeyBytes);
        out += StoredKeyBytes;
    }
    if (!binary->AddChildBinary("Data", data.get(), static_cast<uint32_t>(size)))
    {
        log << "[!] Could not create quaternion channel root tag to serialize.\n";
        return nullptr;
    }
    return tag.release();
}
