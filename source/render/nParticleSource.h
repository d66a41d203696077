#pragma once

#include "core/math/nVector.h"

#include <cstdint>

class nMaterial;

// What the renderer's particle pass reads of an emitter: its live particles and their material.
class nParticleSource
{
public:
    // The material the particles are drawn with; null draws nothing.
    virtual const nMaterial* GetParticleMaterial() const = 0;
    // The most particles a copy can give.
    virtual uint32_t GetParticleCapacity() const = 0;
    // Sorts the live particles by their depth along the unit direction from the eye and copies at
    // most capacity of them, farthest first so that blending reads right: world position, colour
    // (red, green, blue, opacity) and half-size. Answers how many it copied.
    virtual uint32_t CopyParticlesFarthestFirst(const nVector& eye, const nVector& direction, nVector* positions,
                                                nVector* colours, float* sizes, uint32_t capacity) = 0;

protected:
    ~nParticleSource() = default;
};
