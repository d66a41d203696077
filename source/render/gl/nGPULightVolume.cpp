#include "render/gl/nGPULightVolume.h"

#include "core/math/nMatrix4.h"
#include "render/nLightSource.h"

#include <cmath>

// The view space looks down +Z with Y up: a face runs counter-clockwise on screen from outside
// when the cross product of its edges points into the box.
const uint8_t LightVolumeIndices[36] = {
    0, 1, 3, 0, 3, 2, // z low
    4, 7, 5, 4, 6, 7, // z high
    0, 2, 6, 0, 6, 4, // x low
    1, 7, 3, 1, 5, 7, // x high
    0, 5, 1, 0, 4, 5, // y low
    2, 3, 7, 2, 7, 6, // y high
};

namespace
{
constexpr float HalfPi = 1.57079632679f;

float Side(uint32_t corner, uint32_t bit)
{
    return (corner >> bit) & 1u ? 1.0f : -1.0f;
}

nGPULightVolume PointVolume(const nLightSource& light, float range, const nVector& eye, float nearReach)
{
    nGPULightVolume volume;
    volume.fullScreen = false;
    const nVector centre = light.GetLightWorldMatrix().GetTranslation();
    for (uint32_t corner = 0; corner < 8; ++corner)
        volume.corners[corner] = nVector(centre.x + Side(corner, 0) * range, centre.y + Side(corner, 1) * range,
                                         centre.z + Side(corner, 2) * range, 1.0f);
    const float reach = range + nearReach;
    volume.containsCamera = std::fabs(eye.x - centre.x) <= reach && std::fabs(eye.y - centre.y) <= reach &&
                            std::fabs(eye.z - centre.z) <= reach;
    return volume;
}

// The light's projection holds its z-near: depth 0 there.
float SpotZNear(const nLightSource& light, float zFar)
{
    nMatrix4 projection;
    light.ComputeProjectionMatrix(projection);
    if (projection.m[10] == 0.0f)
        return 0.0f;
    const float zNear = -projection.m[11] / projection.m[10];
    return zNear > 0.0f && zNear < zFar ? zNear : 0.0f;
}

nGPULightVolume SpotVolume(const nLightSource& light, const nLightSourceSettings& settings, const nVector& eye,
                           float nearReach)
{
    nGPULightVolume volume;
    const float angle = settings.coneAngle + settings.edgeAngle;
    if (!(angle > 0.0f && angle < HalfPi))
        return volume;
    volume.fullScreen = false;
    const float spread = std::tan(angle);
    const float zFar = settings.volumeRange;
    const float zNear = SpotZNear(light, zFar);
    nVector local[8];
    for (uint32_t corner = 0; corner < 8; ++corner)
    {
        const float z = (corner >> 2) & 1u ? zFar : zNear;
        local[corner] = nVector(Side(corner, 0) * spread * z, Side(corner, 1) * spread * z, z, 1.0f);
    }
    light.GetLightWorldMatrix().TransformVector4Array(volume.corners, local, 8);

    nVector seen;
    const nVector from(eye.x, eye.y, eye.z, 1.0f);
    light.GetLightInverseMatrix().TransformVector4Array(&seen, &from, 1);
    // Distances from the side planes x = +-z tan(angle) are (|x| - z tan) cos(angle).
    const float sideReach = nearReach * std::sqrt(1.0f + spread * spread);
    volume.containsCamera = seen.z >= zNear - nearReach && seen.z <= zFar + nearReach &&
                            std::fabs(seen.x) - seen.z * spread <= sideReach &&
                            std::fabs(seen.y) - seen.z * spread <= sideReach;
    return volume;
}
} // namespace

nGPULightVolume ComputeLightVolume(const nLightSource& light, const nLightSourceSettings& settings,
                                   const nVector& eye, float nearReach, float zFar)
{
    if (!(settings.volumeRange > 0.0f))
        return nGPULightVolume();
    nGPULightVolume volume;
    if (settings.type == nLightSourceSettings::TypePoint && settings.range > 0.0f)
        volume = PointVolume(light, settings.range, eye, nearReach);
    else if (settings.type == nLightSourceSettings::TypeSpot)
        volume = SpotVolume(light, settings, eye, nearReach);
    if (volume.fullScreen || !volume.containsCamera)
        return volume;
    for (const nVector& corner : volume.corners)
    {
        const nVector offset(corner.x - eye.x, corner.y - eye.y, corner.z - eye.z, 0.0f);
        if (offset.Length() > zFar)
            return nGPULightVolume();
    }
    return volume;
}
