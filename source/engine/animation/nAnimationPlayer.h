#pragma once

#include <cstdint>

class nQuaternion;

// Plays motions on an object through four channel operations that the object implements.
// Channel ids: 1 to 3 position, 4 to 6 rotation in radians, 7 to 9 scale, 10 to 12 pivot, 13 and
// above material, light, camera and fog values; 0 is no channel.
class nAnimationPlayer
{
public:
    nAnimationPlayer() = default;
    nAnimationPlayer(const nAnimationPlayer&) = delete;
    nAnimationPlayer& operator=(const nAnimationPlayer&) = delete;

    // The base player has no channel to read or write and turns nothing.
    virtual bool GetChannelValue(int32_t channel, float& out);
    virtual bool SetChannelValue(int32_t channel, float value);
    virtual void GetRotationQuaternion(nQuaternion& out);
    virtual bool SetRotationQuaternion(const nQuaternion& rotation);
    // One frame of the playing motions.
    void Update(float dt);
    virtual ~nAnimationPlayer();
};
