#include "render/gl/nGPUImmediateInputs.h"

#include "core/math/nMatrix4.h"
#include "geometry/nTexture.h"
#include "render/gl/nEGLProgram.h"
#include "render/gl/nEGLTexture.h"
#include "render/gl/nGPUProgramInputs.h"
#include "render/gl/nGPURenderer.h"
#include "render/gl/nShaderSemantic.h"

namespace
{
constexpr uint32_t FloatData = 4;
} // namespace

namespace nGPUImmediateInputs
{
bool Begin(nGPURenderer& renderer, nEGLProgram& program, bool screenSpace)
{
    renderer.ReleaseBufferBindings();
    if (!program.Bind(nullptr))
        return false;
    if (screenSpace)
    {
        const nMatrix4 identity;
        nGPUProgramInputs::SetMatrixInputs(program, identity, identity, identity, identity, identity);
        return true;
    }
    nGPUProgramInputs::SetFrameInputs(program, renderer);
    nGPUProgramInputs::SetMatrixInputs(program, renderer.GetProjectionMatrix(), renderer.GetViewMatrix(),
                                       renderer.GetInverseViewMatrix(), renderer.GetModelMatrix(),
                                       renderer.GetInverseModelMatrix());
    return true;
}

void BindArray(nEGLProgram& program, uint32_t semantic, uint32_t components, uint32_t stride,
               const void* data)
{
    nGPUProgramInput* input = program.FindInput(semantic);
    if (input && input->kind == nGPUProgramInput::Attribute && input->location)
        program.SetVertexAttribute(input->location.get(), components, FloatData, false, stride, data);
}

void BindTexture(nEGLProgram& program, const nTexture* texture)
{
    nGPUProgramInput* input = program.FindInput(SemanticNativeTexture);
    if (!input || input->kind != nGPUProgramInput::Uniform || !input->location)
        return;
    const auto* gpuTexture = texture ? static_cast<const nEGLTexture*>(texture->GetRenderData()) : nullptr;
    program.BindTextureUnit(input->location.get(), gpuTexture, input->unit);
}
} // namespace nGPUImmediateInputs
