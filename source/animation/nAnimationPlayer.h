#pragma once

#include "animation/nAnimationSourceList.h"
#include "animation/nMotionChannel.h"
#include "core/base/nList.h"

#include <cstdint>

class nMetaFile;
class nMetaTag;
class nMotion;
class nMotionAnimationSource;
class nQuaternion;

// Owns an item's motions and plays any number of them at once: every update steps each
// source, blends what they give by weight and writes the result through the channel
// operations, which the managed item implements.
class nAnimationPlayer
{
public:
    // Out of line: the motion list's clean-up needs the complete motion type.
    nAnimationPlayer();
    nAnimationPlayer(const nAnimationPlayer&) = delete;
    nAnimationPlayer& operator=(const nAnimationPlayer&) = delete;
    virtual ~nAnimationPlayer();

    virtual bool GetChannelValue(int32_t id, float& value);
    virtual bool SetChannelValue(int32_t id, float value);
    virtual void GetRotationQuaternion(nQuaternion& rotation);
    virtual bool SetRotationQuaternion(const nQuaternion& rotation);

    // Starts the motion; unless add is set the playing sources fade out over the fade time.
    nAnimationSource* SetMotion(nMotion* motion, nAnimationSourceList* list, float fadeTime, bool add, float weight);
    void Update(float dt);
    void StopMotions();
    bool IsPlaying() const { return !m_sources.IsEmpty(); }
    bool IsDone() const;

    nMotion* GetMotion(const char* name) const;
    const nList<nMotion*>& GetMotionList() const { return m_motions; }
    // The player takes the motion.
    bool AddMotion(nMotion* motion);
    const nAnimationSourceList& GetSources() const { return m_sources; }

    // Blend weights per channel, only while an update runs.
    float* GetChannelWeights() { return m_updating ? m_channelWeights : nullptr; }

    // "MotionPlayer": the motions the player owns.
    bool ParseMotionPlayer(nMetaFile* file, const nMetaTag* tag);
    nMetaTag* SerializeMotionPlayer(nMetaFile* file) const;

private:
    friend class nMotionAnimationSource;
    void TrackSource(nMotionAnimationSource* source);
    void ForgetSource(nMotionAnimationSource* source);

    nAutoList<nMotion*> m_motions;
    nAnimationSourceList m_sources;
    // Every motion source made for this player that is still alive, wherever it is held.
    nList<nMotionAnimationSource*> m_createdSources;
    float m_channelWeights[MotionChannelCount] = {};
    bool m_updating = false;
};
