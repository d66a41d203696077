#include "engine/items/nTerrain.h"

#include "core/math/nMatrix4.h"

#include <algorithm>
#include <cmath>

namespace
{
// Horizontal parts below this share of the direction's length make a vertical ray.
constexpr float VerticalShare = 1e-6f;

int Side(float difference)
{
    return difference > 0.0f ? 1 : difference < 0.0f ? -1 : 0;
}
} // namespace

nMinMax nTerrain::GetHeightBox() const
{
    if (m_heightBoxRevision != m_revision)
    {
        const auto [lowest, highest] =
            std::minmax_element(m_heights.GetData(), m_heights.GetData() + m_heights.GetCount());
        const float low = m_heights.GetCount() ? *lowest : 0.0f;
        const float high = m_heights.GetCount() ? *highest : 0.0f;
        m_heightBox = nMinMax(nVector(-m_worldWidth * 0.5f, low, -m_worldDepth * 0.5f),
                              nVector(m_worldWidth * 0.5f, high, m_worldDepth * 0.5f));
        m_heightBoxRevision = m_revision;
    }
    return m_heightBox;
}

// A ray with no horizontal part meets the surface straight above or below its origin; stepping
// along its horizontal direction would never advance.
bool nTerrain::IntersectVertical(const nVector& origin, float directionY, nVector& hit) const
{
    const nMinMax box = GetHeightBox();
    if (origin.x < box.min.x || origin.x > box.max.x || origin.z < box.min.z || origin.z > box.max.z)
        return false;
    const float height = GetHeight(origin.x, origin.z);
    if ((directionY < 0.0f && origin.y < height) || (directionY > 0.0f && origin.y > height) ||
        directionY == 0.0f)
        return false;
    hit = nVector(origin.x, height, origin.z);
    return true;
}

bool nTerrain::IntersectRay(const nVector& origin, const nVector& direction, nVector& hit, float* blendU,
                            float* blendV)
{
    if (!HasHeightmap() || !(m_worldWidth > 0.0f) || !(m_worldDepth > 0.0f))
        return false;
    const nMatrix4& inverse = GetInverseMatrix();
    const nVector start = origin.MulMatrix4(inverse);
    const nVector way = direction.MulMatrix3(inverse.GetMatrix3());
    const float horizontal = std::sqrt(way.x * way.x + way.z * way.z);
    const float length = way.Length();
    if (!(length > 0.0f) || !std::isfinite(length) || !std::isfinite(start.Length()))
        return false;
    nVector local;
    if (horizontal <= VerticalShare * length)
    {
        if (!IntersectVertical(start, way.y, local))
            return false;
    }
    else
    {
        float enter = 0.0f, leave = 0.0f;
        if (!GetHeightBox().IntersectRaySlab(start, way, enter, leave))
            return false;
        // One grid cell along the horizontal direction per step.
        const float cell = std::min(m_worldWidth / float(m_gridWidth), m_worldDepth / float(m_gridHeight));
        const float step = cell / horizontal;
        nVector previous = start + way * enter;
        float previousDifference = previous.y - GetHeight(previous.x, previous.z);
        const int entrySide = Side(previousDifference);
        bool found = entrySide == 0;
        local = previous;
        // The box is crossed in at most this many steps; the count also bounds rounding.
        const float steps = std::min((leave - enter) / step, float(m_gridWidth + m_gridHeight) * 2.0f) + 1.0f;
        for (float t = enter, taken = 0.0f; !found && t < leave && taken < steps; taken += 1.0f)
        {
            t = std::min(t + step, leave);
            const nVector point = start + way * t;
            const float difference = point.y - GetHeight(point.x, point.z);
            if (Side(difference) != entrySide)
            {
                const float share = previousDifference / (previousDifference - difference);
                local = previous + (point - previous) * share;
                local.y = GetHeight(local.x, local.z);
                found = true;
            }
            previous = point;
            previousDifference = difference;
        }
        if (!found)
            return false;
    }
    hit = local.MulMatrix4(GetWorldMatrix());
    const float gridX = (local.x + m_worldWidth * 0.5f) / m_worldWidth;
    const float gridZ = (m_worldDepth * 0.5f - local.z) / m_worldDepth;
    if (blendU)
        *blendU = gridX;
    if (blendV)
        *blendV = gridZ;
    return true;
}
