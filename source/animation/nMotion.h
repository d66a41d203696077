#pragma once

#include "animation/nQuaternionChannel.h"
#include "core/base/nAutoArray.h"
#include "core/base/nList.h"
#include "core/math/nCurve.h"
#include "platform/nstring/nString.h"

#include <cstdint>

class nMetaFile;
class nMetaTag;
class nMotionChannel;

// A named set of keyframed channels that animate one managed item; optionally its rotation
// comes from quaternion keys instead of the three Euler channels.
class nMotion
{
public:
    explicit nMotion(const char* name);
    nMotion(const nMotion&) = delete;
    nMotion& operator=(const nMotion&) = delete;
    ~nMotion();

    const nString& GetName() const { return m_name; }
    void SetName(const nString& name) { m_name = name; }
    const nList<nMotionChannel*>& GetChannels() const { return m_channels; }
    nMotionChannel* AddChannel(int32_t id);
    // The same channels in one array, so that a player's frame reaches them all at once
    // instead of walking the list node by node. Channels are only ever added, so the table is
    // rebuilt at the first call after the list grew; null when there is no memory for it.
    nMotionChannel* const* GetChannelTable();
    uint32_t GetChannelTableCount() const { return m_channelTable.GetCount(); }

    uint32_t GetLoopMode() const { return m_loopMode; }
    void SetLoopMode(uint32_t mode) { m_loopMode = mode; }
    bool GetUseQuaternion() const { return m_useQuaternion; }
    void SetUseQuaternion(bool use) { m_useQuaternion = use; }
    nQuaternionChannel& GetQuaternionChannel() { return m_quaternionChannel; }
    bool HasQuaternionKeys() const { return m_useQuaternion && !m_quaternionChannel.GetKeys().empty(); }

    bool GetTimeRange(float& first, float& last) const;
    float GetLength() const;
    // Components without a channel keep the values passed in.
    void EvaluatePosition(float time, float& x, float& y, float& z, uint32_t mode);
    void EvaluateRotation(float time, float& x, float& y, float& z, uint32_t mode);
    nQuaternion EvaluateQuaternion(float time, uint32_t mode, float rangeStart, float rangeEnd);

    bool Parse(nMetaFile* file, const nMetaTag* tag);
    nMetaTag* Serialize(nMetaFile* file) const;

private:
    void EvaluateTriple(float time, int32_t firstId, float* values, uint32_t mode);

    nString m_name;
    nAutoList<nMotionChannel*> m_channels;
    nAutoArray<nMotionChannel*> m_channelTable{MemCategoryCurve};
    bool m_useQuaternion = false;
    nQuaternionChannel m_quaternionChannel;
    uint32_t m_loopMode = CurveConstant;
};
