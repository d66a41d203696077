#pragma once

#include "core/math/nVector.h"

class nMatrix4;

// The signed distance of a point p is normal . p + d; points on the normal's side are
// outside.
class nPlane
{
public:
    float d = 0.0f;
    nVector point;
    nVector normal;

    // With a matrix the point is transformed by it (no point takes the matrix's
    // translation) and the normal turned by its 3 x 3 part, without renormalising.
    void Set(const nVector* point, const nVector& normal, const nMatrix4* matrix);
    // The normal is (p1 - p0) x (p2 - p0), not normalised.
    void FromTriangle(const nVector& p0, const nVector& p1, const nVector& p2, const nMatrix4* matrix);
    float Distance(const nVector& p) const;
};
