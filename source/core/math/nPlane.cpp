#include "core/math/nPlane.h"

#include "core/math/nMatrix4.h"

void nPlane::Set(const nVector* newPoint, const nVector& newNormal, const nMatrix4* matrix)
{
    if (matrix)
    {
        point = newPoint ? newPoint->MulMatrix4(*matrix) : matrix->GetTranslation();
        normal = newNormal.MulMatrix3(matrix->GetMatrix3());
    }
    else
    {
        point = newPoint ? nVector(newPoint->x, newPoint->y, newPoint->z) : nVector(0.0f, 0.0f, 0.0f);
        normal = nVector(newNormal.x, newNormal.y, newNormal.z);
    }
    d = -normal.Dot(point);
}

void nPlane::FromTriangle(const nVector& p0, const nVector& p1, const nVector& p2, const nMatrix4* matrix)
{
    Set(&p0, (p1 - p0).Cross(p2 - p0), matrix);
}

float nPlane::Distance(const nVector& p) const
{
    return normal.Dot(p) + d;
}
