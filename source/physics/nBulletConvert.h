#pragma once

#include "core/math/nMatrix3.h"
#include "core/math/nMatrix4.h"
#include "core/math/nVector.h"

#include <LinearMath/btTransform.h>

// Conversions between the engine's maths and Bullet's, whatever btScalar's precision.
inline btVector3 ToBullet(const nVector& v)
{
    return btVector3(btScalar(v.x), btScalar(v.y), btScalar(v.z));
}

inline nVector FromBullet(const btVector3& v)
{
    return nVector(float(v.x()), float(v.y()), float(v.z()), 1.0f);
}

// The upper 3 x 3 of a row-major matrix (scale included, as the caller gives it).
inline btMatrix3x3 ToBulletBasis(const nMatrix4& m)
{
    return btMatrix3x3(m.m[0], m.m[1], m.m[2], m.m[4], m.m[5], m.m[6], m.m[8], m.m[9], m.m[10]);
}

inline btMatrix3x3 ToBulletBasis(const nMatrix3& m)
{
    return btMatrix3x3(m.m[0], m.m[1], m.m[2], m.m[3], m.m[4], m.m[5], m.m[6], m.m[7], m.m[8]);
}

// Rotation rows, the origin as translation, bottom row 0, 0, 0, 1.
inline nMatrix4 FromBullet(const btMatrix3x3& basis, const btVector3& origin)
{
    nMatrix4 result;
    for (int row = 0; row < 3; ++row)
    {
        result.m[row * 4 + 0] = float(basis[row].x());
        result.m[row * 4 + 1] = float(basis[row].y());
        result.m[row * 4 + 2] = float(basis[row].z());
        result.m[row * 4 + 3] = float(origin[row]);
    }
    return result;
}

inline nMatrix4 FromBullet(const btTransform& transform)
{
    return FromBullet(transform.getBasis(), transform.getOrigin());
}
