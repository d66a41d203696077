#pragma once

#include <cstdint>

// Everything a frame of the raytracer depends on besides the scene; copied whole by value
// between the raytracer and whoever changes it.
struct nRaytracerSettings
{
    int32_t visibilityPassLimit = 32; // surfaces a visibility ray may pass through
    int32_t reflectionDepth = 2;      // budgets of every primary ray
    int32_t refractionDepth = 6;
    int32_t globalIlluminationDepth = 1;
    int32_t sampleSetSideCount = 8; // a sample set holds its square of directions
    int32_t antialiasGrid = 4;      // n x n samples per resampled pixel
    bool shadows = true;
    bool globalIllumination = false;
    bool antialias = true; // set by the antialias setter; frames do not read it
    bool transparentShadows = true;
    bool reflections = true;
    bool spare = true; // read by nothing
    bool ambientOffUnderGlobalIllumination = false;
    bool antialiasJitter = false;
    bool ambientOcclusion = false;
    bool fresnel = false;
    float ambientOcclusionRange = 1.0f;
    float sampleConeAngle = 90.0f; // degrees
    bool interlaced = false;
    bool firstFieldFlag = true;
    bool halfHeightFields = true;
    float antialiasThreshold = 0.0075f; // squared RGB distance above which a pixel is resampled
    int32_t jobWorkerMask = -1;
};
