#pragma once

#include "core/math/nVector.h"

#include <cstdint>

class nGeometry;
class nMaterial;
struct nRaytracerObject;

// What a ray met: the object, polygon, fan triangle and barycentric weights the hierarchy found,
// and what shading adds (position, shading normal, material). The medium's refraction index and
// the distance travelled from the camera pass from a hit to the rays it sends.
struct nRaytracerHit
{
    bool hit = false;
    float distance = -1.0f;
    uint32_t polygon = 0;
    uint32_t triangle = 0;
    float barycentrics[3] = {0.0f, 0.0f, 0.0f}; // triangle's second, third and first corner
    const nRaytracerObject* object = nullptr;
    bool backFace = false;
    uint32_t surfacesCrossed = 0;
    nVector origin;
    nVector direction;
    nVector position;
    nVector normal; // world space, towards the ray's side
    float mediumIndex = 1.0f;
    float travelled = 0.0f;
    const nGeometry* geometry = nullptr;
    const nMaterial* material = nullptr;
    // Binding indices of the hit triangle's second, third and first corner; valid when the
    // geometry's arrays still hold them.
    uint32_t corners[3] = {0, 0, 0};
    bool cornersValid = false;
};
