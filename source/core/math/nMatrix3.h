#pragma once

#include "core/math/nVector.h"

#include <cstdint>

class nMetaTag;

// A row-major 3 x 3 matrix: m[row * 3 + column]. Vectors are columns, so a transform
// computes M . v and A . B applies B first; the columns are the local axes.
class nMatrix3
{
public:
    float m[9] = {1.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 1.0f};

    nMatrix3() = default;

    // The nine values are given column by column: the first three are column 0.
    void Set(float c0x, float c0y, float c0z, float c1x, float c1y, float c1z, float c2x, float c2y,
             float c2z);
    void SetColumns(const nVector& column0, const nVector& column1, const nVector& column2);
    nVector GetColumn(int index) const;
    nVector GetRow(int index) const;
    void SetColumn(int index, const nVector& column);
    void SetRow(int index, const nVector& row);

    nMatrix3 Multiply(const nMatrix3& other) const;
    nMatrix3 Transpose() const;
    void TransformArray(nVector* out, const nVector* in, uint32_t count) const;
    // False when the determinant is 0; out then holds the adjugate.
    bool Inverse(nMatrix3& out) const;

    static nMatrix3 RotationX(float angle);
    static nMatrix3 RotationY(float angle);
    static nMatrix3 RotationZ(float angle);
    static nMatrix3 FromEuler(float x, float y, float z, uint32_t order);
    static nMatrix3 FromEulerVector(const nVector& angles, uint32_t order);
    nVector ToEuler(uint32_t order) const;
    static nMatrix3 FromScale(const nVector& scale);
    static nMatrix3 FromScale2D(float x, float y);
    static nMatrix3 FromTranslation2D(float x, float y);
    static nMatrix3 FromCross(const nVector& a);
    static nMatrix3 FromFirstRow(const nVector& row);
    static nMatrix3 FromDirection(const nVector& direction, const nVector* up = nullptr);

    void NormalizeAxes(nMatrix3& out) const;
    void Orthonormalize(nMatrix3& out) const;

    // One line per storage column.
    void Dump(const char* name = nullptr) const;
    // A new tag named as given or "Mtx3" whose vector children R0, R1, R2 hold the columns.
    nMetaTag* Serialize(const char* name = nullptr) const;
    bool Parse(const nMetaTag* tag);
};

nMatrix3 operator*(const nMatrix3& a, const nMatrix3& b);
