#pragma once

#include "core/math/nMatrix4.h"

class nMetaTag;

// An affine matrix kept together with its inverse: every setter recomputes the inverse, so
// readers never see a stale one.
class nMatrix4WithInverse
{
public:
    nMatrix4WithInverse() = default;
    explicit nMatrix4WithInverse(const nMatrix4& matrix) { Set(matrix); }

    void Set(const nMatrix4& matrix);
    void SetColumn(int index, const nVector& column);
    void SetRow(int index, const nVector& row);
    bool Parse(const nMetaTag* tag);

    const nMatrix4& GetMatrix() const { return m_matrix; }
    const nMatrix4& GetInverse() const { return m_inverse; }

private:
    nMatrix4 m_matrix;
    nMatrix4 m_inverse;
};
