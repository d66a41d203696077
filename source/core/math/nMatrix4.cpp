#include "core/math/nMatrix4.h"

#include "core/nml/nMetaTag.h"
#include "core/math/nQuaternion.h"
#include "core/math/nScalar.h"

#include <cmath>

void nMatrix4::TransformVector4Array(nVector* out, const nVector* in, uint32_t count) const
{
    for (uint32_t i = 0; i < count; ++i)
    {
        const nVector v = in[i];
        out[i] = nVector(m[0] * v.x + m[1] * v.y + m[2] * v.z + m[3] * v.w,
                         m[4] * v.x + m[5] * v.y + m[6] * v.z + m[7] * v.w,
                         m[8] * v.x + m[9] * v.y + m[10] * v.z + m[11] * v.w,
                         m[12] * v.x + m[13] * v.y + m[14] * v.z + m[15] * v.w);
    }
}

void nMatrix4::RotateVectorArray(nVector* out, const nVector* in, uint32_t count) const
{
    for (uint32_t i = 0; i < count; ++i)
    {
        const nVector v = in[i];
        out[i] = nVector(m[0] * v.x + m[1] * v.y + m[2] * v.z, m[4] * v.x + m[5] * v.y + m[6] * v.z,
                         m[8] * v.x + m[9] * v.y + m[10] * v.z);
    }
}

nVector nMatrix4::GetColumn(int index, bool asPoint) const
{
    return nVector(m[index], m[index + 4], m[index + 8], asPoint ? 1.0f : m[index + 12]);
}

void nMatrix4::SetColumn(int index, const nVector& column)
{
    m[index] = column.x;
    m[index + 4] = column.y;
    m[index + 8] = column.z;
    m[index + 12] = column.w;
}

nVector nMatrix4::GetRow(int index) const
{
    return nVector(m[index * 4], m[index * 4 + 1], m[index * 4 + 2], m[index * 4 + 3]);
}

void nMatrix4::SetRow(int index, const nVector& row)
{
    m[index * 4] = row.x;
    m[index * 4 + 1] = row.y;
    m[index * 4 + 2] = row.z;
    m[index * 4 + 3] = row.w;
}

nVector nMatrix4::GetTranslation() const
{
    return nVector(m[3], m[7], m[11]);
}

nMatrix3 nMatrix4::GetMatrix3() const
{
    nMatrix3 result;
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column)
            result.m[row * 3 + column] = m[row * 4 + column];
    return result;
}

nMatrix4 nMatrix4::FromMatrix3(const nMatrix3& rotation)
{
    nMatrix4 result;
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column)
            result.m[row * 4 + column] = rotation.m[row * 3 + column];
    return result;
}

nMatrix4 nMatrix4::FromTranslation(float x, float y, float z)
{
    nMatrix4 result;
    result.m[3] = x;
    result.m[7] = y;
    result.m[11] = z;
    return result;
}

nMatrix4 nMatrix4::FromScale(float x, float y, float z)
{
    nMatrix4 result;
    result.m[0] = x;
    result.m[5] = y;
    result.m[10] = z;
    return result;
}

nMatrix4 nMatrix4::Compose(const nVector& position, const nMatrix3& rotation, const nVector& scale)
{
    nMatrix4 result;
    const float factors[3] = {scale.x, scale.y, scale.z};
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column)
            result.m[row * 4 + column] = rotation.m[row * 3 + column] * factors[column];
    result.m[3] = position.x;
    result.m[7] = position.y;
    result.m[11] = position.z;
    return result;
}

nMatrix4 nMatrix4::ComposeEuler(const nVector& position, const nVector& angles, const nVector& scale,
                                uint32_t order)
{
    return Compose(position, nMatrix3::FromEulerVector(angles, order), scale);
}

void nMatrix4::Decompose(nVector* position, nVector* scale, nMatrix3* rotation) const
{
    if (position)
        *position = GetTranslation();

    const nMatrix3 linear = GetMatrix3();
    float lengths[3];
    for (int i = 0; i < 3; ++i)
        lengths[i] = linear.GetColumn(i).Length();
    const float determinant = linear.GetColumn(0).Dot(linear.GetColumn(1).Cross(linear.GetColumn(2)));
    if (determinant < 0.0f)
        lengths[0] = -lengths[0];

    if (scale)
        *scale = nVector(lengths[0], lengths[1], lengths[2]);
    if (rotation)
    {
        for (int i = 0; i < 3; ++i)
        {
            const nVector axis(i == 0 ? 1.0f : 0.0f, i == 1 ? 1.0f : 0.0f, i == 2 ? 1.0f : 0.0f);
            rotation->SetColumn(i, lengths[i] != 0.0f ? linear.GetColumn(i) * (1.0f / lengths[i]) : axis);
        }
    }
}

void nMatrix4::DecomposeEuler(nVector* position, nVector* angles, uint32_t order) const
{
    nMatrix3 rotation;
    Decompose(position, nullptr, &rotation);
    if (angles)
        *angles = rotation.ToEuler(order);
}

// M = T . R . S, so the inverse is S^-1 . R^T . T^-1: row i of its linear part is column i
// of M divided by that column's squared length.
nMatrix4 nMatrix4::InverseAffine() const
{
    nMatrix4 result;
    for (int i = 0; i < 3; ++i)
    {
        const nVector column(m[i], m[i + 4], m[i + 8]);
        const float squared = column.LengthSquared();
        const nVector row = squared > 0.0f ? column * (1.0f / squared) : nVector(0.0f, 0.0f, 0.0f);
        result.m[i * 4] = row.x;
        result.m[i * 4 + 1] = row.y;
        result.m[i * 4 + 2] = row.z;
        result.m[i * 4 + 3] = -(row.x * m[3] + row.y * m[7] + row.z * m[11]);
    }
    return result;
}

bool nMatrix4::DiffersFrom(const nMatrix4& other) const
{
    for (int i = 0; i < 16; ++i)
        if (IsNearlyEqual(m[i], other.m[i], 1e-6f) == 0.0f)
            return true;
    return false;
}

nMatrix4 nMatrix4::Orthonormalize() const
{
    nMatrix3 orthonormal;
    GetMatrix3().Orthonormalize(orthonormal);
    nMatrix4 result = *this;
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column)
            result.m[row * 4 + column] = orthonormal.m[row * 3 + column];
    return result;
}

nMatrix4 nMatrix4::Interpolate(const nMatrix4& from, const nMatrix4& to, float t, bool elementwise)
{
    nMatrix4 result;
    if (elementwise)
    {
        for (int i = 0; i < 16; ++i)
            result.m[i] = from.m[i] + (to.m[i] - from.m[i]) * t;
        return result;
    }
    nVector fromPosition, fromScale, toPosition, toScale;
    nMatrix3 fromRotation, toRotation;
    from.Decompose(&fromPosition, &fromScale, &fromRotation);
    to.Decompose(&toPosition, &toScale, &toRotation);
    const nVector position = fromPosition + (toPosition - fromPosition) * t;
    const nVector scale = fromScale + (toScale - fromScale) * t;
    const nQuaternion rotation =
        nQuaternion::Slerp(t, nQuaternion::FromMatrix3(fromRotation), nQuaternion::FromMatrix3(toRotation));
    return Compose(position, rotation.ToMatrix3(), scale);
}

nMetaTag* nMatrix4::Serialize(const char* name) const
{
    nMetaTag* tag = new nMetaTag(name ? name : "Mtx4");
    if (!tag)
        return nullptr;
    const char* const columnNames[4] = {"R0", "R1", "R2", "R3"};
    for (int i = 0; i < 4; ++i)
    {
        nMetaTag* column = GetColumn(i, false).Serialize(columnNames[i], true);
        if (!tag->AddChildTag(column))
        {
            delete column;
            delete tag;
            return nullptr;
        }
    }
    return tag;
}

bool nMatrix4::Parse(const nMetaTag* tag)
{
    if (!tag)
        return false;
    nMatrix4 parsed = *this;
    nLinkedListIterator iterator;
    for (int i = 0; i < 4; ++i)
    {
        nVector column = parsed.GetColumn(i, false);
        if (!column.Parse(tag->GetNextChild(iterator)))
            return false;
        parsed.SetColumn(i, column);
    }
    *this = parsed;
    return true;
}

nMatrix4 operator*(const nMatrix4& a, const nMatrix4& b)
{
    return a.Multiply(b);
}
