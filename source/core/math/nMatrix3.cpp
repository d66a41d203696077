#include "core/math/nMatrix3.h"

#include "core/base/nLog.h"
#include "core/nml/nMetaTag.h"
#include "core/math/nScalar.h"

#include <cmath>

namespace
{
// The unit vector along v, or the given fallback when v has no usable direction.
nVector NormalizedOr(const nVector& v, const nVector& fallback)
{
    const float length = v.Length();
    if (!(length > 0.0f) || !IsFiniteRange(length))
        return fallback;
    return v * (1.0f / length);
}

nVector UnitAxis(int index)
{
    return nVector(index == 0 ? 1.0f : 0.0f, index == 1 ? 1.0f : 0.0f, index == 2 ? 1.0f : 0.0f);
}
} // namespace

void nMatrix3::Set(float c0x, float c0y, float c0z, float c1x, float c1y, float c1z, float c2x, float c2y,
                   float c2z)
{
    m[0] = c0x;
    m[3] = c0y;
    m[6] = c0z;
    m[1] = c1x;
    m[4] = c1y;
    m[7] = c1z;
    m[2] = c2x;
    m[5] = c2y;
    m[8] = c2z;
}

void nMatrix3::SetColumns(const nVector& column0, const nVector& column1, const nVector& column2)
{
    SetColumn(0, column0);
    SetColumn(1, column1);
    SetColumn(2, column2);
}

nVector nMatrix3::GetColumn(int index) const
{
    return nVector(m[index], m[index + 3], m[index + 6]);
}

nVector nMatrix3::GetRow(int index) const
{
    return nVector(m[index * 3], m[index * 3 + 1], m[index * 3 + 2]);
}

void nMatrix3::SetColumn(int index, const nVector& column)
{
    m[index] = column.x;
    m[index + 3] = column.y;
    m[index + 6] = column.z;
}

void nMatrix3::SetRow(int index, const nVector& row)
{
    m[index * 3] = row.x;
    m[index * 3 + 1] = row.y;
    m[index * 3 + 2] = row.z;
}

nMatrix3 nMatrix3::Multiply(const nMatrix3& other) const
{
    nMatrix3 result;
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column)
            result.m[row * 3 + column] = m[row * 3] * other.m[column] + m[row * 3 + 1] * other.m[3 + column] +
                                         m[row * 3 + 2] * other.m[6 + column];
    return result;
}

nMatrix3 nMatrix3::Transpose() const
{
    nMatrix3 result;
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column)
            result.m[row * 3 + column] = m[column * 3 + row];
    return result;
}

void nMatrix3::TransformArray(nVector* out, const nVector* in, uint32_t count) const
{
    for (uint32_t i = 0; i < count; ++i)
        out[i] = in[i].MulMatrix3(*this);
}

bool nMatrix3::Inverse(nMatrix3& out) const
{
    nMatrix3 adjugate;
    adjugate.m[0] = m[4] * m[8] - m[5] * m[7];
    adjugate.m[1] = m[2] * m[7] - m[1] * m[8];
    adjugate.m[2] = m[1] * m[5] - m[2] * m[4];
    adjugate.m[3] = m[5] * m[6] - m[3] * m[8];
    adjugate.m[4] = m[0] * m[8] - m[2] * m[6];
    adjugate.m[5] = m[2] * m[3] - m[0] * m[5];
    adjugate.m[6] = m[3] * m[7] - m[4] * m[6];
    adjugate.m[7] = m[1] * m[6] - m[0] * m[7];
    adjugate.m[8] = m[0] * m[4] - m[1] * m[3];
    const float determinant = m[0] * adjugate.m[0] + m[1] * adjugate.m[3] + m[2] * adjugate.m[6];
    out = adjugate;
    if (determinant == 0.0f)
        return false;
    const float inverse = 1.0f / determinant;
    for (float& value : out.m)
        value *= inverse;
    return true;
}

nMatrix3 nMatrix3::RotationX(float angle)
{
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    nMatrix3 result;
    result.m[4] = c;
    result.m[5] = -s;
    result.m[7] = s;
    result.m[8] = c;
    return result;
}

nMatrix3 nMatrix3::RotationY(float angle)
{
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    nMatrix3 result;
    result.m[0] = c;
    result.m[2] = s;
    result.m[6] = -s;
    result.m[8] = c;
    return result;
}

nMatrix3 nMatrix3::RotationZ(float angle)
{
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    nMatrix3 result;
    result.m[0] = c;
    result.m[1] = -s;
    result.m[3] = s;
    result.m[4] = c;
    return result;
}

nMatrix3 nMatrix3::FromEuler(float x, float y, float z, uint32_t order)
{
    switch (order)
    {
    case 0:
        return RotationZ(z) * RotationY(y) * RotationX(x);
    case 1:
        return RotationY(y) * RotationZ(z) * RotationX(x);
    case 2:
        return RotationZ(z) * RotationX(x) * RotationY(y);
    case 3:
        return RotationX(x) * RotationZ(z) * RotationY(y);
    case 4:
        return RotationY(y) * RotationX(x) * RotationZ(z);
    case 5:
        return RotationX(x) * RotationY(y) * RotationZ(z);
    case 6:
        return RotationX(x) * RotationY(y);
    default:
        return nMatrix3();
    }
}

nMatrix3 nMatrix3::FromEulerVector(const nVector& angles, uint32_t order)
{
    return FromEuler(angles.x, angles.y, angles.z, order);
}

// The middle rotation of each product is read by the arc sine, the outer two by atan2.
namespace
{
// Adding zero turns -0 into 0: an unrotated matrix answers angles that print as 0, not -0.
nVector WithoutNegativeZeros(const nVector& angles)
{
    return nVector(angles.x + 0.0f, angles.y + 0.0f, angles.z + 0.0f, angles.w);
}

nVector EulerAngles(const float* m, uint32_t order)
{
    switch (order)
    {
    case 0:
        return nVector(ArcTan2(m[7], m[8]), ArcSinClamped(-m[6]), ArcTan2(m[3], m[0]));
    case 1:
        return nVector(ArcTan2(-m[5], m[4]), ArcTan2(-m[6], m[0]), ArcSinClamped(m[3]));
    case 2:
        return nVector(ArcSinClamped(m[7]), ArcTan2(-m[6], m[8]), ArcTan2(-m[1], m[4]));
    case 3:
        return nVector(ArcTan2(m[7], m[4]), ArcTan2(m[2], m[0]), ArcSinClamped(-m[1]));
    case 5:
        return nVector(ArcTan2(-m[5], m[8]), ArcSinClamped(m[2]), ArcTan2(-m[1], m[0]));
    case 6:
        return nVector(ArcCosClamped(m[4]), ArcCosClamped(m[0]), 0.0f);
    default:
        return nVector(ArcSinClamped(-m[5]), ArcTan2(m[2], m[8]), ArcTan2(m[3], m[4]));
    }
}
} // namespace

nVector nMatrix3::ToEuler(uint32_t order) const
{
    return WithoutNegativeZeros(EulerAngles(m, order));
}

nMatrix3 nMatrix3::FromScale(const nVector& scale)
{
    nMatrix3 result;
    result.m[0] = scale.x;
    result.m[4] = scale.y;
    result.m[8] = scale.z;
    return result;
}

nMatrix3 nMatrix3::FromScale2D(float x, float y)
{
    nMatrix3 result;
    result.m[0] = x;
    result.m[4] = y;
    return result;
}

nMatrix3 nMatrix3::FromTranslation2D(float x, float y)
{
    nMatrix3 result;
    result.m[2] = x;
    result.m[5] = y;
    return result;
}

nMatrix3 nMatrix3::FromCross(const nVector& a)
{
    nMatrix3 result;
    result.SetRow(0, nVector(0.0f, a.z, -a.y));
    result.SetRow(1, nVector(-a.z, 0.0f, a.x));
    result.SetRow(2, nVector(a.y, -a.x, 0.0f));
    return result;
}

nMatrix3 nMatrix3::FromFirstRow(const nVector& row)
{
    nMatrix3 result;
    for (float& value : result.m)
        value = 0.0f;
    result.SetRow(0, row);
    return result;
}

// A basis whose local z axis is the direction. An up vector that is zero, not finite or
// parallel to the direction cannot span a basis and is ignored.
nMatrix3 nMatrix3::FromDirection(const nVector& direction, const nVector* up)
{
    const float length =
        Sqrt(direction.x * direction.x + direction.y * direction.y + direction.z * direction.z);
    if (length == 0.0f || !IsFiniteRange(length))
        return nMatrix3();
    const nVector forward = direction * (1.0f / length);

    if (up)
    {
        const float upLength = up->Length();
        if (upLength > 0.0f && IsFiniteRange(upLength))
        {
            // An up vector not perpendicular to the direction still gives a rotation: the
            // basis is made orthonormal around the direction, which it keeps exactly.
            const nVector unitUp = *up * (1.0f / upLength);
            const nVector right = unitUp.Cross(forward);
            if (right.LengthSquared() > 1e-12f)
            {
                const nVector unitRight = right.Normalized();
                nMatrix3 result;
                result.SetColumns(unitRight, forward.Cross(unitRight), forward);
                return result;
            }
        }
    }

    nVector right(-1.0f, 0.0f, 0.0f);
    if (!IsNearZero(forward.x, 1e-6f) || !IsNearZero(forward.z, 1e-6f))
        right = nVector(forward.z, 0.0f, -forward.x).Normalized();
    nMatrix3 result;
    result.SetColumns(right, forward.Cross(right), forward);
    return result;
}

void nMatrix3::NormalizeAxes(nMatrix3& out) const
{
    for (int i = 0; i < 3; ++i)
        out.SetColumn(i, NormalizedOr(GetColumn(i), UnitAxis(i)));
}

void nMatrix3::Orthonormalize(nMatrix3& out) const
{
    const nVector axisX = NormalizedOr(GetColumn(0), UnitAxis(0));
    nVector axisZ = NormalizedOr(axisX.Cross(GetColumn(1)), nVector(0.0f, 0.0f, 0.0f));
    if (axisZ.LengthSquared() == 0.0f) // column 1 is zero or parallel to column 0
        axisZ = NormalizedOr(axisX.Cross(UnitAxis(1)), NormalizedOr(axisX.Cross(UnitAxis(2)), UnitAxis(2)));
    const nVector axisY = NormalizedOr(axisZ.Cross(axisX), UnitAxis(1));
    out.SetColumns(axisX, axisY, axisZ);
}

void nMatrix3::Dump(const char* name) const
{
    nLog& log = nLogHolder::Get();
    if (name)
        log << "** Dumping matrix '" << name << "' content:\n";
    for (int i = 0; i < 3; ++i)
        log << "** |" << m[i] << "," << m[i + 3] << "," << m[i + 6] << "|\n";
    log << "\n";
}

nMetaTag* nMatrix3::Serialize(const char* name) const
{
    nMetaTag* tag = new nMetaTag(name ? name : "Mtx3");
    if (!tag)
        return nullptr;
    const char* const columnNames[3] = {"R0", "R1", "R2"};
    for (int i = 0; i < 3; ++i)
    {
        nMetaTag* column = GetColumn(i).Serialize(columnNames[i]);
        if (!tag->AddChildTag(column))
        {
            delete column;
            delete tag;
            return nullptr;
        }
    }
    return tag;
}

bool nMatrix3::Parse(const nMetaTag* tag)
{
    if (!tag)
        return false;
    nMatrix3 parsed = *this;
    nLinkedListIterator iterator;
    for (int i = 0; i < 3; ++i)
    {
        nVector column = parsed.GetColumn(i);
        if (!column.Parse(tag->GetNextChild(iterator)))
            return false;
        parsed.SetColumn(i, column);
    }
    *this = parsed;
    return true;
}

nMatrix3 operator*(const nMatrix3& a, const nMatrix3& b)
{
    return a.Multiply(b);
}
