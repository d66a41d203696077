#include "core/math/nVector.h"

#include "core/base/nLog.h"
#include "core/math/nMatrix3.h"
#include "core/math/nMatrix4.h"
#include "core/nml/nMetaTag.h"
#include "core/math/nRandom.h"
#include "core/math/nScalar.h"

#include <algorithm>
#include <cmath>

void nVector::Set(float newX, float newY, float newZ, float newW)
{
    x = newX;
    y = newY;
    z = newZ;
    w = newW;
}

nVector& nVector::operator+=(const nVector& other)
{
    x += other.x;
    y += other.y;
    z += other.z;
    return *this;
}

nVector& nVector::operator-=(const nVector& other)
{
    x -= other.x;
    y -= other.y;
    z -= other.z;
    return *this;
}

nVector& nVector::operator*=(float factor)
{
    x *= factor;
    y *= factor;
    z *= factor;
    return *this;
}

void nVector::AddScalar(float value)
{
    x += value;
    y += value;
    z += value;
}

void nVector::SubScalar(float value)
{
    x -= value;
    y -= value;
    z -= value;
}

float nVector::Dot(const nVector& other) const
{
    return x * other.x + y * other.y + z * other.z;
}

nVector nVector::Cross(const nVector& other) const
{
    return nVector(y * other.z - z * other.y, z * other.x - x * other.z, x * other.y - y * other.x);
}

float nVector::Length() const
{
    return Sqrt(Dot(*this));
}

float nVector::LengthSquared() const
{
    return Dot(*this);
}

nVector nVector::Normalized() const
{
    const float inverse = 1.0f / Length();
    return nVector(x * inverse, y * inverse, z * inverse);
}

nVector nVector::Abs() const
{
    return nVector(std::fabs(x), std::fabs(y), std::fabs(z));
}

void nVector::Clamp(float lo, float hi)
{
    x = std::min(std::max(x, lo), hi);
    y = std::min(std::max(y, lo), hi);
    z = std::min(std::max(z, lo), hi);
}

void nVector::ClampVector(const nVector& lo, const nVector& hi)
{
    x = std::min(std::max(x, lo.x), hi.x);
    y = std::min(std::max(y, lo.y), hi.y);
    z = std::min(std::max(z, lo.z), hi.z);
}

void nVector::Floor()
{
    x = std::floor(x);
    y = std::floor(y);
    z = std::floor(z);
    w = std::floor(w);
}

void nVector::Ceil()
{
    x = std::ceil(x);
    y = std::ceil(y);
    z = std::ceil(z);
    w = std::ceil(w);
}

void nVector::ClampLength(float minLength, float maxLength)
{
    const float squared = LengthSquared();
    if (squared < 1e-6f)
        return;
    const float length = Sqrt(squared);
    if (length >= minLength && length <= maxLength)
        return;
    const float target = length < minLength ? minLength : maxLength;
    *this *= target / length;
}

nVector nVector::FaceForward(const nVector& normal) const
{
    if (Dot(normal) >= 0.0f)
        return nVector(-x, -y, -z);
    return nVector(x, y, z);
}

bool nVector::IsEqual(const nVector& other) const
{
    return std::fabs(x - other.x) < 1e-6f && std::fabs(y - other.y) < 1e-6f && std::fabs(z - other.z) < 1e-6f;
}

bool nVector::DiffersFrom(const nVector& other) const
{
    return IsNearlyEqual(x, other.x, 1e-6f) == 0.0f || IsNearlyEqual(y, other.y, 1e-6f) == 0.0f ||
           IsNearlyEqual(z, other.z, 1e-6f) == 0.0f;
}

namespace
{
// Truncation toward zero that stays defined for values no int32 can hold.
uint32_t TruncateToWord(float value)
{
    const float scaled = std::trunc(value);
    if (!(scaled > -2147483648.0f))
        return 0x80000000u;
    if (scaled >= 2147483648.0f)
        return 0x7FFFFFFFu;
    return static_cast<uint32_t>(static_cast<int32_t>(scaled));
}
} // namespace

uint32_t nVector::Hash() const
{
    const uint32_t hx = TruncateToWord(x * 10.0f);
    const uint32_t hy = TruncateToWord(y * -10.0f);
    const uint32_t hz = TruncateToWord(z * 10.0f);
    return hy * 669632447u - hz * 887442657u - hx * 1918454973u;
}

void nVector::ApplyMatrix3(const nMatrix3& matrix)
{
    *this = MulMatrix3(matrix);
}

nVector nVector::MulMatrix3(const nMatrix3& matrix) const
{
    const float* m = matrix.m;
    return nVector(m[0] * x + m[1] * y + m[2] * z, m[3] * x + m[4] * y + m[5] * z,
                   m[6] * x + m[7] * y + m[8] * z);
}

void nVector::ApplyMatrix4(const nMatrix4& matrix)
{
    *this = MulMatrix4(matrix);
}

nVector nVector::MulMatrix4(const nMatrix4& matrix) const
{
    const float* m = matrix.m;
    return nVector(m[0] * x + m[1] * y + m[2] * z + m[3], m[4] * x + m[5] * y + m[6] * z + m[7],
                   m[8] * x + m[9] * y + m[10] * z + m[11]);
}

nVector nVector::ToEulerAngles(const nVector& direction, const nVector* up)
{
    const float length = direction.Length();
    if (!(length > 0.0f) || !IsFiniteRange(length))
        return nVector(0.0f, 0.0f, 0.0f);

    const float pitch = -ArcSinClamped(direction.y / length);
    const float horizontal = Sqrt(direction.z * direction.z + direction.x * direction.x);
    float yaw = horizontal > 1e-5f ? ArcSinClamped(direction.x / horizontal) : 0.0f;
    if (direction.z < 0.0f)
        yaw = yaw < 0.0f ? -(yaw + kPi) : kPi - yaw;

    float roll = 0.0f;
    const float upLength = up ? up->Length() : 0.0f;
    if (upLength > 0.0f && IsFiniteRange(upLength))
    {
        // The up direction of an item rotated Ry(yaw) . Rx(pitch) with no roll.
        const float sinPitch = std::sin(pitch);
        const float cosPitch = std::cos(pitch);
        const nVector reference(std::sin(yaw) * sinPitch, cosPitch, std::cos(yaw) * sinPitch);
        const nVector unitUp = *up * (1.0f / upLength);
        const float cosine = reference.Dot(unitUp);
        if (cosine >= 1.0f)
            roll = 0.0f;
        else if (cosine <= -1.0f)
            roll = kPi;
        else
            roll = std::acos(cosine);
        // An up vector equal to the reference has no side to turn to: its roll stays 0, not 2 pi.
        if (roll > 0.0f && reference.Cross(unitUp).Dot(direction) <= 0.0f)
            roll = kTwoPi - roll;
    }
    return nVector(pitch, yaw, roll);
}

nVector nVector::Random(float lo, float hi)
{
    const float rx = RandomRange(lo, hi);
    const float ry = RandomRange(lo, hi);
    const float rz = RandomRange(lo, hi);
    return nVector(rx, ry, rz);
}

void nVector::Dump(const char* name) const
{
    nLog& log = nLogHolder::Get();
    if (name)
        log << "[S] Vector '" << name << "' = {";
    else
        log << "[S] Vector = {";
    log << x << "," << y << "," << z << "}\n";
}

nMetaTag* nVector::Serialize(const char* name, bool withW) const
{
    nMetaTag* tag = new nMetaTag(name ? name : "Vector");
    if (!tag)
        return nullptr;
    if (!tag->AddChildFloat("X", x) || !tag->AddChildFloat("Y", y) || !tag->AddChildFloat("Z", z) ||
        (withW && !tag->AddChildFloat("W", w)))
    {
        delete tag;
        return nullptr;
    }
    return tag;
}

bool nVector::Parse(const nMetaTag* tag)
{
    if (!tag)
        return false;
    float values[4] = {x, y, z, w};
    nLinkedListIterator iterator;
    int read = 0;
    while (read < 4)
    {
        const nMetaTag* child = tag->GetNextChild(iterator);
        if (!child)
            break;
        if (!child->GetValue().GetFloat(values[read]))
        {
            if (read < 3)
                return false;
            break; // a fourth child that holds no number leaves w as it was
        }
        ++read;
    }
    if (read < 3)
        return false;
    Set(values[0], values[1], values[2], values[3]);
    return true;
}

nVector operator+(const nVector& a, const nVector& b)
{
    return nVector(a.x + b.x, a.y + b.y, a.z + b.z);
}

nVector operator-(const nVector& a, const nVector& b)
{
    return nVector(a.x - b.x, a.y - b.y, a.z - b.z);
}

nVector operator*(const nVector& v, float factor)
{
    return nVector(v.x * factor, v.y * factor, v.z * factor);
}

nVector operator-(const nVector& v)
{
    return nVector(-v.x, -v.y, -v.z);
}
