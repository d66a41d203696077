#pragma once

#include <cstdint>

class nMaterial;
class nShader;

// The lighting cases a material has one program for.
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
    MaterialPassCount = 11,
};

// What shadowed passes take from the shader dictionary, with the tags the texts came from (for
// the line that names a missing one). A null text is missing.
struct nMaterialPassTexts
{
    const char* pcf = nullptr;
    const char* pcfTag = "PCF:3x3;";
    const char* psm = nullptr;
    const char* psmTag = "PSM;";
    const char* pssm = nullptr;
    const char* pssmTag = "PSSM:3Split;";
    uint32_t splitCount = 3; // 2 to 4
};

// Fills an empty shader with one pass of the material: the pass template, the material's
// channels compiled from its shader map (or their defaults), skin and alpha-test inputs. False
// after one "[!]" line when the material has no shader map or the pass needs a text that is
// missing; the shader is then not to be built.
bool BuildMaterialPassShader(const nMaterial& material, uint32_t pass, const nMaterialPassTexts& texts,
                             nShader& shader);
