#pragma once

#include "core/math/nVector.h"

#include <cmath>
#include <cstdint>
#include <cstring>

// The byte encodings of the geometry file: little-endian 4-byte values, signed-byte unit vectors
// (c x 127) and byte weights (w x 255).
namespace nGeometryEncoding
{
constexpr float SignedByteScale = 127.0f;
constexpr float WeightScale = 255.0f;

inline uint32_t ReadU32(const uint8_t* bytes)
{
    return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24;
}

inline float ReadF32(const uint8_t* bytes)
{
    const uint32_t word = ReadU32(bytes);
    float value;
    std::memcpy(&value, &word, sizeof value);
    return value;
}

inline void WriteU32(uint8_t* bytes, uint32_t word)
{
    bytes[0] = uint8_t(word);
    bytes[1] = uint8_t(word >> 8);
    bytes[2] = uint8_t(word >> 16);
    bytes[3] = uint8_t(word >> 24);
}

inline void WriteF32(uint8_t* bytes, float value)
{
    uint32_t word;
    std::memcpy(&word, &value, sizeof word);
    WriteU32(bytes, word);
}

inline int8_t EncodeSignedByte(float component)
{
    const float scaled = component * SignedByteScale;
    if (!(scaled > -128.0f))
        return scaled < 0.0f ? int8_t(-128) : int8_t(0);
    return scaled >= 127.0f ? int8_t(127) : int8_t(scaled);
}

// Decoded and brought back to unit length, unless it is zero.
inline nVector DecodeSignedBytes(const uint8_t* bytes)
{
    nVector v(float(int8_t(bytes[0])) / SignedByteScale, float(int8_t(bytes[1])) / SignedByteScale,
              float(int8_t(bytes[2])) / SignedByteScale, 1.0f);
    // As nVector::Length computes it, spelt out so that decoding millions of normals stays inline.
    const float length = float(std::sqrt(double(v.x * v.x + v.y * v.y + v.z * v.z)));
    if (length > 0.0f)
        v = nVector(v.x / length, v.y / length, v.z / length, 1.0f);
    return v;
}
} // namespace nGeometryEncoding
