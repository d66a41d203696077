#pragma once

#include "core/math/nMatrix3.h"
#include "core/math/nMatrix4.h"

#include <cstdint>

class nTexture;

// The value of one shader block on the CPU. A scalar is a vector whose first component holds it.
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
    nMatrix3 matrix3;
    nMatrix4 matrix4;
    const nTexture* texture = nullptr;

    void SetVector(float x, float y, float z, float w)
    {
        kind = KindVector;
        vector[0] = x;
        vector[1] = y;
        vector[2] = z;
        vector[3] = w;
    }
    void SetScalar(float value) { SetVector(value, 0.0f, 0.0f, 1.0f); }
};
