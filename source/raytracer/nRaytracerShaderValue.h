#pragma once

#include "core/math/nMatrix3.h"
#include "core/math/nMatrix4.h"

#include <cstdint>
#include <cstring>

class nTexture;

// The value of one shader block on the CPU. A scalar is a vector whose first component holds it.
// The matrix storage is only written and read for the matrix kinds: a value is made for every
// input of every block a hit evaluates, so making one costs no more than its vector.
struct nRaytracerShaderValue
{
    enum Kind : uint8_t
    {
        KindEmpty,
        KindVector,
        KindMatrix3,
        KindMatrix4,
        KindTexture,
    };

    Kind kind = KindEmpty;
    float vector[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    float matrix[16]; // row-major: 9 values for KindMatrix3, 16 for KindMatrix4
    const nTexture* texture = nullptr;

    void Reset()
    {
        kind = KindEmpty;
        vector[0] = vector[1] = vector[2] = vector[3] = 0.0f;
        texture = nullptr;
    }
    void SetVector(float x, float y, float z, float w)
    {
        kind = KindVector;
        vector[0] = x;
        vector[1] = y;
        vector[2] = z;
        vector[3] = w;
    }
    void SetScalar(float value) { SetVector(value, 0.0f, 0.0f, 1.0f); }
    void SetMatrix3(const nMatrix3& value)
    {
        kind = KindMatrix3;
        std::memcpy(matrix, value.m, sizeof(value.m));
    }
    void SetMatrix4(const nMatrix4& value)
    {
        kind = KindMatrix4;
        std::memcpy(matrix, value.m, sizeof(value.m));
    }
    nMatrix3 GetMatrix3() const
    {
        nMatrix3 value;
        std::memcpy(value.m, matrix, sizeof(value.m));
        return value;
    }
    nMatrix4 GetMatrix4() const
    {
        nMatrix4 value;
        std::memcpy(value.m, matrix, sizeof(value.m));
        return value;
    }
};
