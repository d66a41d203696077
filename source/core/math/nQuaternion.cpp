#include "core/math/nQuaternion.h"

#include "core/base/nLog.h"
#include "core/nml/nMetaTag.h"
#include "core/math/nScalar.h"

#include <cmath>

float nQuaternion::Dot(const nQuaternion& other) const
{
    return x * other.x + y * other.y + z * other.z + w * other.w;
}

float nQuaternion::Distance(const nQuaternion& other) const
{
    const nQuaternion difference(x - other.x, y - other.y, z - other.z, w - other.w);
    return Sqrt(difference.Dot(difference));
}

nQuaternion nQuaternion::Add(const nQuaternion& other) const
{
    return nQuaternion(x + other.x, y + other.y, z + other.z, w + other.w);
}

nQuaternion nQuaternion::Scale(float factor) const
{
    return nQuaternion(x * factor, y * factor, z * factor, w * factor);
}

nQuaternion nQuaternion::Inverse() const
{
    const float squared = Dot(*this);
    if (!(squared > 0.0f))
        return *this;
    const float inverse = 1.0f / squared;
    return nQuaternion(-x * inverse, -y * inverse, -z * inverse, w * inverse);
}

nQuaternion nQuaternion::Normalize() const
{
    const float norm = Sqrt(Dot(*this));
    if (norm == 0.0f)
        return nQuaternion(1.0f, 1.0f, 1.0f, 1.0f);
    return Scale(1.0f / norm);
}

nQuaternion nQuaternion::FromAxisAngle(float angle, float axisX, float axisY, float axisZ)
{
    const float half = angle * 0.5f;
    const float s = std::sin(half);
    return nQuaternion(s * axisX, s * axisY, s * axisZ, std::cos(half)).Normalize();
}

nMatrix3 nQuaternion::ToMatrix3() const
{
    nMatrix3 result;
    result.Set(1.0f - 2.0f * (y * y + z * z), 2.0f * (x * y + w * z), 2.0f * (x * z - w * y),
               2.0f * (x * y - w * z), 1.0f - 2.0f * (x * x + z * z), 2.0f * (y * z + w * x),
               2.0f * (x * z + w * y), 2.0f * (y * z - w * x), 1.0f - 2.0f * (x * x + y * y));
    return result;
}

nQuaternion nQuaternion::FromMatrix3(const nMatrix3& matrix)
{
    const float* m = matrix.m;
    const float trace = m[0] + m[4] + m[8] + 1.0f;
    nQuaternion result;
    if (trace > 0.0f)
    {
        const float s = 2.0f * Sqrt(trace);
        result = nQuaternion((m[7] - m[5]) / s, (m[2] - m[6]) / s, (m[3] - m[1]) / s, s / 4.0f);
    }
    else if (m[0] > m[4] && m[0] > m[8])
    {
        const float s = 2.0f * Sqrt(1.0f + m[0] - m[4] - m[8]);
        result = nQuaternion(s / 4.0f, (m[3] + m[1]) / s, (m[6] + m[2]) / s, (m[7] - m[5]) / s);
    }
    else if (m[4] > m[8])
    {
        const float s = 2.0f * Sqrt(1.0f + m[4] - m[0] - m[8]);
        result = nQuaternion((m[3] + m[1]) / s, s / 4.0f, (m[7] + m[5]) / s, (m[2] - m[6]) / s);
    }
    else
    {
        const float s = 2.0f * Sqrt(1.0f + m[8] - m[0] - m[4]);
        result = nQuaternion((m[6] + m[2]) / s, (m[7] + m[5]) / s, s / 4.0f, (m[3] - m[1]) / s);
    }
    return result.Normalize();
}

nQuaternion nQuaternion::FromDirection(const nVector& direction)
{
    return FromMatrix3(nMatrix3::FromDirection(direction));
}

nQuaternion nQuaternion::FromEuler(float x, float y, float z, uint32_t order)
{
    const nQuaternion qx = FromAxisAngle(x, 1.0f, 0.0f, 0.0f);
    const nQuaternion qy = FromAxisAngle(y, 0.0f, 1.0f, 0.0f);
    const nQuaternion qz = FromAxisAngle(z, 0.0f, 0.0f, 1.0f);
    nQuaternion product;
    switch (order)
    {
    case 0:
        product = qz * qy * qx;
        break;
    case 1:
        product = qy * qz * qx;
        break;
    case 2:
        product = qz * qx * qy;
        break;
    case 3:
        product = qx * qz * qy;
        break;
    case 4:
        product = qy * qx * qz;
        break;
    case 5:
        product = qx * qy * qz;
        break;
    case 6:
        product = qx * qy;
        break;
    default:
        break; // the identity, as for the matrix of an unknown order
    }
    return product.Normalize();
}

nQuaternion nQuaternion::Slerp(float t, const nQuaternion& a, const nQuaternion& b)
{
    float cosine = a.Dot(b);
    nQuaternion target = b;
    if (cosine < 0.0f)
    {
        cosine = -cosine;
        target = b.Scale(-1.0f);
    }
    float weightA = 1.0f - t;
    float weightB = t;
    if (1.0f - cosine >= 0.05f)
    {
        const float theta = std::acos(cosine);
        const float sine = std::sin(theta);
        weightA = std::sin((1.0f - t) * theta) / sine;
        weightB = std::sin(t * theta) / sine;
    }
    return a.Scale(weightA).Add(target.Scale(weightB)).Normalize();
}

void nQuaternion::Dump(const char* name) const
{
    nLog& log = nLogHolder::Get();
    if (name)
        log << "Dumping quaternion '" << name << "' content:\n";
    log << "{" << x << "," << y << "," << z << "," << w << "}\n";
    log << "\n";
}

bool nQuaternion::Parse(const nMetaTag* tag)
{
    if (!tag)
        return false;
    float values[4];
    nLinkedListIterator iterator;
    for (float& value : values)
    {
        const nMetaTag* child = tag->GetNextChild(iterator);
        if (!child || !child->GetValue().GetFloat(value))
            return false;
    }
    *this = nQuaternion(values[0], values[1], values[2], values[3]);
    return true;
}

nQuaternion operator*(const nQuaternion& a, const nQuaternion& b)
{
    return nQuaternion(
        a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y, a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x,
        a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w, a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z);
}
