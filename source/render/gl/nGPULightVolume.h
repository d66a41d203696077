#pragma once

#include "core/math/nVector.h"

#include <cstdint>

class nLightSource;
struct nLightSourceSettings;

// Where a deferred light is drawn: a box (eight world corners) around all it can reach, or the
// whole screen when no box bounds it.
struct nGPULightVolume
{
    // Corner i takes its x from bit 0, its y from bit 1 and its z from bit 2 (set: the high side).
    nVector corners[8];
    bool fullScreen = true;
    // The camera is inside, or so close that its near plane would cut the faces towards it away.
    bool containsCamera = false;
};

// The box of a point light (its position +- its range) or of a spot light (its frustum: cone +
// edge, from its z-near to its volume range). A light of volume range 0, a point light of range 0
// (it reaches everything) and a spot light whose cone opens to a half space fill the screen.
// nearReach is how far the camera's near plane reaches from the eye, zFar its far distance: a box
// around the camera that reaches past it fills the screen too, as its far faces would be cut away.
nGPULightVolume ComputeLightVolume(const nLightSource& light, const nLightSourceSettings& settings,
                                   const nVector& eye, float nearReach, float zFar);

// The box's 12 triangles, each turned so that seen from outside it runs counter-clockwise on screen.
extern const uint8_t LightVolumeIndices[36];
