#include "engine/items/nMItem.h"

#include "animation/nACECommand.h"
#include "engine/items/nItem.h"

#include <algorithm>

namespace
{
constexpr float RadiansPerDegree = 0.017453292f;

nVector MovedToward(const nVector& from, const nVector& to, float fraction)
{
    return nVector(from.x + (to.x - from.x) * fraction, from.y + (to.y - from.y) * fraction,
                   from.z + (to.z - from.z) * fraction, 1.0f);
}
} // namespace

// Each step covers step / remaining of what is left, so the target is met exactly in the last
// step from wherever the item stood when the step began.
bool nMItem::ExecuteCommand(nACECommand* command, float step)
{
    if (!command || command->code < ItemCommandToPosition || command->code > ItemCommandToAlpha)
        return nACEUnit::ExecuteCommand(command, step);
    const float fraction = command->remaining > 0.0f ? std::min(step / command->remaining, 1.0f) : 1.0f;
    const float* p = command->parameters;
    const nVector target(p[0], p[1], p[2], 1.0f);
    nItem& item = *m_item;
    switch (command->code)
    {
    case ItemCommandToPosition:
        item.SetPosition(MovedToward(item.GetPosition(), target, fraction));
        break;
    case ItemCommandOffsetPosition:
    {
        const float share = command->duration > 0.0f ? step / command->duration : 1.0f;
        const nVector& position = item.GetPosition();
        item.SetPosition(nVector(position.x + p[0] * share, position.y + p[1] * share, position.z + p[2] * share));
        break;
    }
    case ItemCommandToOffset:
    {
        nMatrix4 pivot = item.GetPivot();
        const nVector offset = MovedToward(nVector(pivot.m[3], pivot.m[7], pivot.m[11]), target, fraction);
        pivot.m[3] = offset.x;
        pivot.m[7] = offset.y;
        pivot.m[11] = offset.z;
        item.SetPivot(pivot);
        break;
    }
    case ItemCommandToScale:
        item.SetScale(MovedToward(item.GetScale(), target, fraction));
        break;
    case ItemCommandToRotation:
        item.SetRotation(MovedToward(item.GetRotation(), target * RadiansPerDegree, fraction));
        break;
    default:
        item.SetAlpha(std::clamp(item.GetAlpha() + (p[0] - item.GetAlpha()) * fraction, 0.0f, 1.0f));
        break;
    }
    return true;
}
