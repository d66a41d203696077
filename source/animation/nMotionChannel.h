#pragma once

#include "core/math/nCurve.h"

#include <cstdint>

class nString;

// Channel ids: what a motion channel drives on the item that plays it.
enum nMotionChannelId : int32_t
{
    MotionChannelNone = 0,
    ChannelPositionX = 1,
    ChannelPositionZ = 3,
    ChannelRotationX = 4,
    ChannelRotationZ = 6,
    ChannelLast = 30,
    MotionChannelCount = 31,
};

// One keyframed scalar of a motion, tagged with the channel it drives.
class nMotionChannel : public nCurve
{
public:
    int32_t GetId() const { return m_id; }
    void SetId(int32_t id) { m_id = id; }

    // The "Id" text of a channel id, or null outside 1..30.
    static const char* GetIdText(int32_t id);
    // The channel id of an "Id" text, or -1 when the text names no channel.
    static int32_t FindId(const nString& text);

    bool Parse(nMetaFile* file, const nMetaTag* tag);
    nMetaTag* Serialize(nMetaFile* file) const;

private:
    int32_t m_id = MotionChannelNone;
};
