#include "engine/animation/nAnimationPlayer.h"

#include "core/math/nQuaternion.h"

nAnimationPlayer::~nAnimationPlayer() = default;

bool nAnimationPlayer::GetChannelValue(int32_t, float&)
{
    return false;
}

bool nAnimationPlayer::SetChannelValue(int32_t, float)
{
    return false;
}

void nAnimationPlayer::GetRotationQuaternion(nQuaternion& out)
{
    out = nQuaternion();
}

bool nAnimationPlayer::SetRotationQuaternion(const nQuaternion&)
{
    return false;
}

void nAnimationPlayer::Update(float)
{
}
