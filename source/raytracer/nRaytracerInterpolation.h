#pragma once

#include "core/base/nAutoArray.h"
#include "core/math/nColor.h"
#include "core/math/nMatrix3.h"
#include "core/math/nUV.h"
#include "core/math/nVector.h"
#include "geometry/nTangentFrame.h"
#include "raytracer/nRaytracerHit.h"

#include <algorithm>

// Per-corner streams at a hit: the three corner values of the hit triangle weighed by its
// barycentrics. Each answers false, leaving the output alone, when the stream does not reach the
// triangle's corners.

inline bool HitCornersIn(const nRaytracerHit& hit, uint32_t count)
{
    return hit.cornersValid && std::max({hit.corners[0], hit.corners[1], hit.corners[2]}) < count;
}

inline bool InterpolateVector(const nRaytracerHit& hit, const nAutoArray<nVector>& values, nVector& out)
{
    if (!HitCornersIn(hit, values.GetCount()))
        return false;
    const float* w = hit.barycentrics;
    const nVector& a = *values.At(hit.corners[0]);
    const nVector& b = *values.At(hit.corners[1]);
    const nVector& c = *values.At(hit.corners[2]);
    out = nVector(a.x * w[0] + b.x * w[1] + c.x * w[2], a.y * w[0] + b.y * w[1] + c.y * w[2],
                  a.z * w[0] + b.z * w[1] + c.z * w[2], 1.0f);
    return true;
}

inline bool InterpolateColor(const nRaytracerHit& hit, const nAutoArray<nColor>& values, nColor& out)
{
    if (!HitCornersIn(hit, values.GetCount()))
        return false;
    const float* w = hit.barycentrics;
    const nColor& a = *values.At(hit.corners[0]);
    const nColor& b = *values.At(hit.corners[1]);
    const nColor& c = *values.At(hit.corners[2]);
    out = nColor(a.r * w[0] + b.r * w[1] + c.r * w[2], a.g * w[0] + b.g * w[1] + c.g * w[2],
                 a.b * w[0] + b.b * w[1] + c.b * w[2], a.a * w[0] + b.a * w[1] + c.a * w[2]);
    return true;
}

inline bool InterpolateUV(const nRaytracerHit& hit, const nAutoArray<nUV>& values, float& u, float& v)
{
    if (!HitCornersIn(hit, values.GetCount()))
        return false;
    const float* w = hit.barycentrics;
    const nUV& a = *values.At(hit.corners[0]);
    const nUV& b = *values.At(hit.corners[1]);
    const nUV& c = *values.At(hit.corners[2]);
    u = a.u * w[0] + b.u * w[1] + c.u * w[2];
    v = a.v * w[0] + b.v * w[1] + c.v * w[2];
    return true;
}

inline bool InterpolateTangentFrame(const nRaytracerHit& hit, const nAutoArray<nTangentFrame>& values,
                                    nVector& tangent, nVector& bitangent)
{
    if (!HitCornersIn(hit, values.GetCount()))
        return false;
    const float* w = hit.barycentrics;
    const nTangentFrame& a = *values.At(hit.corners[0]);
    const nTangentFrame& b = *values.At(hit.corners[1]);
    const nTangentFrame& c = *values.At(hit.corners[2]);
    tangent = nVector(a.tangent.x * w[0] + b.tangent.x * w[1] + c.tangent.x * w[2],
                      a.tangent.y * w[0] + b.tangent.y * w[1] + c.tangent.y * w[2],
                      a.tangent.z * w[0] + b.tangent.z * w[1] + c.tangent.z * w[2]);
    bitangent = nVector(a.bitangent.x * w[0] + b.bitangent.x * w[1] + c.bitangent.x * w[2],
                        a.bitangent.y * w[0] + b.bitangent.y * w[1] + c.bitangent.y * w[2],
                        a.bitangent.z * w[0] + b.bitangent.z * w[1] + c.bitangent.z * w[2]);
    return true;
}

// The unit tangent and bitangent at the hit around a unit normal: the interpolated frame, or any
// orthonormal one around the normal when the stream does not reach the hit.
inline void HitTangentFrame(const nRaytracerHit& hit, const nAutoArray<nTangentFrame>& values,
                            const nVector& normal, nVector& tangent, nVector& bitangent)
{
    if (InterpolateTangentFrame(hit, values, tangent, bitangent))
    {
        tangent = tangent * (1.0f / tangent.Length());
        bitangent = bitangent * (1.0f / bitangent.Length());
        return;
    }
    const nMatrix3 frame = nMatrix3::FromDirection(normal);
    tangent = frame.GetColumn(0);
    bitangent = frame.GetColumn(1);
}
