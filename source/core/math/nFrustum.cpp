#include "core/math/nFrustum.h"

#include "core/math/nMatrix4.h"
#include "core/math/nMinMax.h"

#include <cmath>

void nFrustum::SetCorners(const nVector* local, const nMatrix4* matrix)
{
    if (matrix)
        matrix->TransformVector4Array(corners, local, 8);
    else
        for (int i = 0; i < 8; ++i)
            corners[i] = local[i];
}

void nFrustum::SetOrthographic(float width, float height, float nearDepth, float farDepth,
                               const nMatrix4* matrix, float xFactor, float yFactor)
{
    const float halfWidth = width / xFactor * 0.5f;
    const float halfHeight = height / yFactor * 0.5f;

    const nVector top(0.0f, halfHeight, 0.0f), bottom(0.0f, -halfHeight, 0.0f);
    const nVector left(-halfWidth, 0.0f, 0.0f), right(halfWidth, 0.0f, 0.0f);
    const nVector nearPoint(0.0f, 0.0f, nearDepth), farPoint(0.0f, 0.0f, farDepth);
    planes[0].Set(&top, nVector(0.0f, 1.0f, 0.0f), matrix);
    planes[1].Set(&bottom, nVector(0.0f, -1.0f, 0.0f), matrix);
    planes[2].Set(&left, nVector(-1.0f, 0.0f, 0.0f), matrix);
    planes[3].Set(&right, nVector(1.0f, 0.0f, 0.0f), matrix);
    planes[4].Set(&nearPoint, nVector(0.0f, 0.0f, -1.0f), matrix);
    planes[5].Set(&farPoint, nVector(0.0f, 0.0f, 1.0f), matrix);

    nVector local[8];
    for (int layer = 0; layer < 2; ++layer)
    {
        const float depth = layer == 0 ? nearDepth : farDepth;
        local[layer * 4 + 0] = nVector(-halfWidth, halfHeight, depth);
        local[layer * 4 + 1] = nVector(halfWidth, halfHeight, depth);
        local[layer * 4 + 2] = nVector(halfWidth, -halfHeight, depth);
        local[layer * 4 + 3] = nVector(-halfWidth, -halfHeight, depth);
    }
    SetCorners(local, matrix);
}

void nFrustum::SetPerspective(float fieldOfView, float nearDepth, float farDepth, const nMatrix4* matrix,
                              float xFactor, float yFactor)
{
    const double tangent = std::tan(static_cast<double>(fieldOfView) * 0.5);
    const double angleX = std::atan(tangent / xFactor);
    const double angleY = std::atan(tangent / yFactor);
    const float sinX = static_cast<float>(std::sin(angleX));
    const float cosX = static_cast<float>(std::cos(angleX));
    const float sinY = static_cast<float>(std::sin(angleY));
    const float cosY = static_cast<float>(std::cos(angleY));

    // The side planes pass through the apex.
    planes[0].Set(nullptr, nVector(0.0f, cosY, -sinY), matrix);
    planes[1].Set(nullptr, nVector(0.0f, -cosY, -sinY), matrix);
    planes[2].Set(nullptr, nVector(-cosX, 0.0f, -sinX), matrix);
    planes[3].Set(nullptr, nVector(cosX, 0.0f, -sinX), matrix);
    const nVector nearPoint(0.0f, 0.0f, nearDepth), farPoint(0.0f, 0.0f, farDepth);
    planes[4].Set(&nearPoint, nVector(0.0f, 0.0f, -1.0f), matrix);
    planes[5].Set(&farPoint, nVector(0.0f, 0.0f, 1.0f), matrix);

    const float slopeX = sinX / cosX;
    const float slopeY = sinY / cosY;
    nVector local[8];
    for (int layer = 0; layer < 2; ++layer)
    {
        const float depth = layer == 0 ? nearDepth : farDepth;
        const float x = depth * slopeX;
        const float y = depth * slopeY;
        local[layer * 4 + 0] = nVector(-x, y, depth);
        local[layer * 4 + 1] = nVector(x, y, depth);
        local[layer * 4 + 2] = nVector(x, -y, depth);
        local[layer * 4 + 3] = nVector(-x, -y, depth);
    }
    SetCorners(local, matrix);
}

int nFrustum::TestSphere(const nVector& centre, float radius) const
{
    bool crossing = false;
    for (const nPlane& plane : planes)
    {
        const float distance = plane.Distance(centre);
        if (distance > radius)
            return Outside;
        if (distance > -radius)
            crossing = true;
    }
    return crossing ? Crossing : Inside;
}

int nFrustum::TestPoints(uint32_t count, const nVector* points, float margin) const
{
    bool crossing = false;
    for (const nPlane& plane : planes)
    {
        uint32_t outside = 0;
        for (uint32_t i = 0; i < count; ++i)
            if (plane.Distance(points[i]) > margin)
                ++outside;
        if (outside == count)
            return Outside;
        if (outside > 0)
            crossing = true;
    }
    return crossing ? Crossing : Inside;
}

int nFrustum::TestCorners(const nVector* eightPoints) const
{
    return TestPoints(8, eightPoints, 0.0f);
}

int nFrustum::TestMinMax(const nMinMax& box, const nMatrix4* matrix) const
{
    const nVector& a = box.min;
    const nVector& b = box.max;
    nVector points[8] = {nVector(a.x, a.y, a.z), nVector(b.x, a.y, a.z), nVector(b.x, b.y, a.z),
                         nVector(a.x, b.y, a.z), nVector(a.x, a.y, b.z), nVector(b.x, a.y, b.z),
                         nVector(b.x, b.y, b.z), nVector(a.x, b.y, b.z)};
    if (matrix)
        matrix->TransformVector4Array(points, points, 8);
    return TestPoints(8, points, 0.0f);
}
