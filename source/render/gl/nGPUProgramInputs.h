#pragma once

#include <cstdint>

class nEGLDisplayList;
class nEGLMaterial;
class nEGLProgram;
class nGPURenderer;
class nLightSource;
class nMatrix4;
class nRenderItem;
struct nGPUProgramInput;

// The setters that feed a program's inputs by their semantics. Each walks the program's inputs
// once and sets only those it serves. Values go up as the input declares its type: a float input
// takes the first component, missing components are 0 and a missing w is 1.
namespace nGPUProgramInputs
{
void SetFrameInputs(nEGLProgram& program, const nGPURenderer& renderer);
// The matrices of one draw: projection, view (camera to world), its inverse, model and its
// inverse. The normal matrices come from the inverses.
void SetMatrixInputs(nEGLProgram& program, const nMatrix4& projection, const nMatrix4& view,
                     const nMatrix4& inverseView, const nMatrix4& model, const nMatrix4& inverseModel);
void SetMaterialInputs(nEGLProgram& program, const nEGLMaterial& material);
void SetOpacityInput(nEGLProgram& program, float opacity);
void SetLightInputs(nEGLProgram& program, const nGPURenderer& renderer, nLightSource& light);
void BindVertexInputs(nEGLProgram& program, const nEGLDisplayList& displayList);
void BindConstantInputs(nEGLProgram& program);
void BindTextureInputs(nEGLProgram& program);
// The item's skin matrices in the order of the display list's bone map; nothing without a skin.
void SetBoneInputs(nEGLProgram& program, const nEGLDisplayList& displayList, const nRenderItem& item);
// Floats of an input's declared type from count given values; an input the code file declares
// (a "User" input) takes the count given, 1 to 4.
void UploadFloats(nEGLProgram& program, const nGPUProgramInput& input, const float* values, uint32_t count);
} // namespace nGPUProgramInputs
