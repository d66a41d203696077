#pragma once

#include <cstdint>

class nMaterial;
class nShader;

// The lighting cases a material has one program for. The passes from MaterialPassAmbientPoint on
// are the light passes 3 to 10 in the same order, each summed with the ambient pass's terms, so
// that an opaque item's base terms and one light take one draw.
enum nMaterialPass : uint32_t
{
    MaterialPassDepth = 0,
    MaterialPassGBuffer = 1,
    MaterialPassAmbient = 2,
    MaterialPassPoint = 3,
    MaterialPassPointShadow = 4,
    MaterialPassDirectional = 5,
    MaterialPassDirectionalShadow = 6,
    MaterialPassSpot = 7,
    MaterialPassSpotShadow = 8,
    MaterialPassSpotProjected = 9,
    MaterialPassSpotProjectedShadow = 10,
    MaterialPassAmbientPoint = 11,
    MaterialPassAmbientSpotProjectedShadow = 18,
    MaterialPassCount = 19,
};

// What shadowed passes take from the shader dictionary, with the tags the texts came from (for
// the line that names a missing one). A null text is missing.
struct nMaterialPassTexts
{
    const char* pcf = nullptr;
    const char* pcfTag = "PCF:3x3;";
    const char* psm = nullptr;
    const char* psmTag = "PSM;";
    const char* towardsLight = nullptr; // defines MoveTowardsLight, the spot's lookup offset
    const char* towardsLightTag = "MoveTowardsLight;";
    const char* pssm = nullptr;
    const char* pssmTag = "PSSM:3Split;";
    uint32_t splitCount = 3; // 2 to 4
};

// The pass that sums the ambient terms with a light pass (MaterialPassPoint to
// MaterialPassSpotProjectedShadow).
constexpr uint32_t AmbientSummedPass(uint32_t lightPass)
{
    return lightPass + (MaterialPassAmbientPoint - MaterialPassPoint);
}

// Fills an empty shader with one pass of the material: the pass template, the material's
// channels compiled from its shader map (or their defaults), skin and alpha-test inputs. False
// after one "[!]" line when the material has no shader map or the pass needs a text that is
// missing; the shader is then not to be built.
bool BuildMaterialPassShader(const nMaterial& material, uint32_t pass, const nMaterialPassTexts& texts,
                             nShader& shader);
