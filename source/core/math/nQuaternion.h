#pragma once

#include "core/math/nMatrix3.h"

#include <cstdint>

class nMetaTag;

// A rotation as (x, y, z, w) with w the scalar part. Products follow the matrices: the
// matrix of a * b is the matrix of a times the matrix of b.
class nQuaternion
{
public:
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    float w = 1.0f;

    nQuaternion() = default;
    nQuaternion(float x, float y, float z, float w) : x(x), y(y), z(z), w(w) {}

    float Dot(const nQuaternion& other) const;
    float Distance(const nQuaternion& other) const;
    nQuaternion Add(const nQuaternion& other) const;
    nQuaternion Scale(float factor) const;
    // A quaternion whose squared norm is not above 0 comes back unchanged.
    nQuaternion Inverse() const;
    // A zero quaternion gives (1, 1, 1, 1).
    nQuaternion Normalize() const;

    static nQuaternion FromAxisAngle(float angle, float axisX, float axisY, float axisZ);
    nMatrix3 ToMatrix3() const;
    static nQuaternion FromMatrix3(const nMatrix3& matrix);
    static nQuaternion FromDirection(const nVector& direction);
    static nQuaternion FromEuler(float x, float y, float z, uint32_t order);
    static nQuaternion Slerp(float t, const nQuaternion& a, const nQuaternion& b);

    void Dump(const char* name = nullptr) const;
    // x, y, z, w from the first four children, by position.
    bool Parse(const nMetaTag* tag);
};

nQuaternion operator*(const nQuaternion& a, const nQuaternion& b);
