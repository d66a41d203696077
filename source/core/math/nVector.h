#pragma once

#include <cstdint>

class nMatrix3;
class nMatrix4;
class nMetaTag;

// Positions, directions, scales, Euler angles and plane normals. Operations that produce
// a vector set w to 1 unless they say otherwise; w only takes part in the 4 x 4
// transforms that use it and in Floor and Ceil.
class nVector
{
public:
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    float w = 1.0f;

    nVector() = default;
    nVector(float x, float y, float z, float w = 1.0f) : x(x), y(y), z(z), w(w) {}

    void Set(float newX, float newY, float newZ, float newW = 1.0f);

    nVector& operator+=(const nVector& other);
    nVector& operator-=(const nVector& other);
    nVector& operator*=(float factor);
    void AddScalar(float value);
    void SubScalar(float value);

    float Dot(const nVector& other) const;
    nVector Cross(const nVector& other) const;
    float Length() const;
    float LengthSquared() const;
    nVector Normalized() const;
    nVector Abs() const;
    void Clamp(float lo, float hi);
    void ClampVector(const nVector& lo, const nVector& hi);
    void Floor();
    void Ceil();
    // Inline: bounding boxes of whole meshes call these once per vertex.
    nVector Max(const nVector& other) const
    {
        return nVector(x < other.x ? other.x : x, y < other.y ? other.y : y, z < other.z ? other.z : z);
    }
    nVector Min(const nVector& other) const
    {
        return nVector(other.x < x ? other.x : x, other.y < y ? other.y : y, other.z < z ? other.z : z);
    }
    void ClampLength(float minLength, float maxLength);
    nVector FaceForward(const nVector& normal) const;
    bool IsEqual(const nVector& other) const;
    bool DiffersFrom(const nVector& other) const;
    uint32_t Hash() const;

    void ApplyMatrix3(const nMatrix3& matrix);
    nVector MulMatrix3(const nMatrix3& matrix) const;
    void ApplyMatrix4(const nMatrix4& matrix);
    nVector MulMatrix4(const nMatrix4& matrix) const;

    // (pitch, yaw, roll) in radians of an item that looks along the direction; the roll
    // only comes from an up vector. A zero direction gives (0, 0, 0).
    static nVector ToEulerAngles(const nVector& direction, const nVector* up = nullptr);
    static nVector Random(float lo, float hi);

    void Dump(const char* name = nullptr) const;
    // A new tag named as given or "Vector", with Real children X, Y, Z and, when asked, W.
    nMetaTag* Serialize(const char* name = nullptr, bool withW = false) const;
    // Reads the first three children by position, and w from a fourth when there is one.
    bool Parse(const nMetaTag* tag);
};

nVector operator+(const nVector& a, const nVector& b);
nVector operator-(const nVector& a, const nVector& b);
nVector operator*(const nVector& v, float factor);
nVector operator-(const nVector& v);
