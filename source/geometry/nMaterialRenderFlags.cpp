#include "geometry/nMaterialRenderFlags.h"

const nMaterialRenderFlagName nMaterialRenderFlagNames[14] = {
    {MaterialUnlit, "Unlit"},
    {MaterialSmoothing, "Smoothing"},
    {MaterialNormalMapTangent, "NormalMapTangent"},
    {MaterialNoFog, "NoFog"},
    {MaterialDoubleSided, "DoubleSided"},
    {MaterialWireframe, "Wireframe"},
    {MaterialVertexColor, "VertexColor"},
    {MaterialParallaxDisplacement, "ParralaxDisp"},
    {MaterialToon, "Toon"},
    {MaterialNoZWrite, "NoZWrite"},
    {MaterialNoZTest, "NoZTest"},
    {MaterialAlphaSoftZ, "AlphaSoftZ"},
    {MaterialAlphaInShadow, "AlphaInShadow"},
    {MaterialAlphaTest, "AlphaTest"},
};
