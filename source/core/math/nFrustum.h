#pragma once

#include "core/math/nPlane.h"
#include "core/math/nVector.h"

#include <cstdint>

class nMatrix4;
class nMinMax;

// A camera or light volume. In its own space it looks along +z with x to the right and y
// up. Corners: 0 left-top, 1 right-top, 2 right-bottom, 3 left-bottom at the near depth,
// 4 to 7 the same at the far depth. Planes: 0 top, 1 bottom, 2 left, 3 right, 4 near,
// 5 far, with normals pointing out of the volume.
class nFrustum
{
public:
    enum TestResult : int
    {
        Outside = 0,
        Inside = 1,
        Crossing = 2,
    };

    nVector corners[8];
    nPlane planes[6];

    // The visible width and height are divided by the factors, as the camera's
    // projection divides them.
    void SetOrthographic(float width, float height, float nearDepth, float farDepth, const nMatrix4* matrix,
                         float xFactor, float yFactor);
    void SetPerspective(float fieldOfView, float nearDepth, float farDepth, const nMatrix4* matrix,
                        float xFactor, float yFactor);

    int TestSphere(const nVector& centre, float radius) const;
    int TestPoints(uint32_t count, const nVector* points, float margin) const;
    int TestCorners(const nVector* eightPoints) const;
    int TestMinMax(const nMinMax& box, const nMatrix4* matrix) const;

private:
    void SetCorners(const nVector* local, const nMatrix4* matrix);
};
