#pragma once

#include "core/math/nMatrix3.h"
#include "core/math/nVector.h"

#include <cstdint>

class nMetaTag;

// A row-major 4 x 4 matrix: m[row * 4 + column]. Vectors are columns (M . v, and A . B
// applies B first); an affine transform keeps its translation in the fourth column
// (m3, m7, m11) and (0, 0, 0, 1) in the last row.
class nMatrix4
{
public:
    float m[16] = {1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f,
                   0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f};

    nMatrix4() = default;

    nMatrix4 Multiply(const nMatrix4& other) const;
    // Full 4 x 4 products: w takes part, so points (w = 1) are translated and directions
    // (w = 0) are not.
    void TransformVector4Array(nVector* out, const nVector* in, uint32_t count) const;
    // The upper-left 3 x 3 part only; results have w = 1.
    void RotateVectorArray(nVector* out, const nVector* in, uint32_t count) const;

    nVector GetColumn(int index, bool asPoint) const;
    void SetColumn(int index, const nVector& column);
    nVector GetRow(int index) const;
    void SetRow(int index, const nVector& row);
    nVector GetTranslation() const;
    nMatrix3 GetMatrix3() const;

    static nMatrix4 FromMatrix3(const nMatrix3& rotation);
    static nMatrix4 FromTranslation(float x, float y, float z);
    static nMatrix4 FromScale(float x, float y, float z);
    // translation . rotation . scale
    static nMatrix4 Compose(const nVector& position, const nMatrix3& rotation, const nVector& scale);
    static nMatrix4 ComposeEuler(const nVector& position, const nVector& angles, const nVector& scale,
                                 uint32_t order);
    // The inverse of Compose, mirrored matrices included: a mirror is given to the x scale,
    // so the rotation stays a proper rotation.
    void Decompose(nVector* position, nVector* scale, nMatrix3* rotation) const;
    void DecomposeEuler(nVector* position, nVector* angles, uint32_t order) const;
    // For affine matrices with scale; an axis of scale 0 maps to 0 instead of dividing by 0.
    nMatrix4 InverseAffine() const;
    bool DiffersFrom(const nMatrix4& other) const;
    nMatrix4 Orthonormalize() const;
    static nMatrix4 Interpolate(const nMatrix4& from, const nMatrix4& to, float t, bool elementwise);

    // A new tag named as given or "Mtx4" whose vector children R0 to R3 hold the four
    // columns with their last-row entry as W.
    nMetaTag* Serialize(const char* name = nullptr) const;
    bool Parse(const nMetaTag* tag);
};

nMatrix4 operator*(const nMatrix4& a, const nMatrix4& b);

// Inline: products of world, bone and view matrices run per item and per bone every frame.
inline nMatrix4 nMatrix4::Multiply(const nMatrix4& other) const
{
    nMatrix4 result;
    const float* b = other.m;
    for (int row = 0; row < 4; ++row)
    {
        const float* a = m + row * 4;
        float* out = result.m + row * 4;
        for (int column = 0; column < 4; ++column)
            out[column] =
                a[0] * b[column] + a[1] * b[4 + column] + a[2] * b[8 + column] + a[3] * b[12 + column];
    }
    return result;
}
