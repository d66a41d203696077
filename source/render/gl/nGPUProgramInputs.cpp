#include "render/gl/nGPUProgramInputs.h"

#include "core/math/nMatrix3.h"
#include "core/math/nMatrix4.h"
#include "geometry/nMaterial.h"
#include "geometry/nTexture.h"
#include "render/gl/nEGLDisplayList.h"
#include "render/gl/nEGLMaterial.h"
#include "render/gl/nEGLProgram.h"
#include "render/gl/nEGLTexture.h"
#include "render/gl/nGPURenderer.h"
#include "render/gl/nShaderSemantic.h"
#include "render/nEngineServices.h"
#include "render/nLightSource.h"
#include "render/nRenderItem.h"
#include "render/nRenderView.h"
#include "render/nRendererEnvironmentInterface.h"

#include <cmath>

namespace
{
constexpr uint32_t MaxBones = 16;
// Attribute data types of the back end's table.
constexpr uint32_t SignedByteData = 0;
constexpr uint32_t UnsignedByteData = 1;
constexpr uint32_t FloatData = 4;
// The type of an input whose declaration the code file holds.
constexpr uint32_t CodeDeclaredType = 1;

bool Resolved(const nGPUProgramInput& input)
{
    return input.location && input.location->location >= 0;
}

uint32_t DeclaredComponents(uint32_t type)
{
    switch (type)
    {
    case 4:
        return 1;
    case 8:
        return 2;
    case 16:
        return 3;
    case 32:
        return 4;
    default:
        return 0;
    }
}

void UploadColour(nEGLProgram& program, const nGPUProgramInput& input, const nColor& colour)
{
    const float values[4] = {colour.r, colour.g, colour.b, colour.a};
    nGPUProgramInputs::UploadFloats(program, input, values, 4);
}

void UploadVector(nEGLProgram& program, const nGPUProgramInput& input, const nVector& vector, uint32_t count)
{
    const float values[4] = {vector.x, vector.y, vector.z, vector.w};
    nGPUProgramInputs::UploadFloats(program, input, values, count);
}

void UploadFloat(nEGLProgram& program, const nGPUProgramInput& input, float value)
{
    nGPUProgramInputs::UploadFloats(program, input, &value, 1);
}

void UploadMatrix(nEGLProgram& program, const nGPUProgramInput& input, const nMatrix4& matrix)
{
    if (Resolved(input))
        program.SetUniformMatrix4(input.location.get(), matrix.m, 1);
}

// The normal matrix of a transform: the transpose of its inverse's upper 3 x 3.
void UploadNormalMatrix(nEGLProgram& program, const nGPUProgramInput& input, const nMatrix4& inverse)
{
    if (!Resolved(input))
        return;
    const nMatrix3 normal = inverse.GetMatrix3().Transpose();
    program.SetUniformMatrix3(input.location.get(), normal.m, 1);
}

void BindTexture(nEGLProgram& program, const nGPUProgramInput& input, const nEGLTexture* texture)
{
    if (Resolved(input))
        program.BindTextureUnit(input.location.get(), texture, input.unit);
}

nVector WorldAxisZ(const nMatrix4& world)
{
    return nVector(world.m[2], world.m[6], world.m[10], 0.0f);
}
} // namespace

namespace nGPUProgramInputs
{
void UploadFloats(nEGLProgram& program, const nGPUProgramInput& input, const float* values, uint32_t count)
{
    if (!Resolved(input))
        return;
    // A "User" input is declared by the code file alone: its size is what the caller gives.
    if (input.type == CodeDeclaredType)
    {
        if (count >= 1 && count <= 4)
            program.SetUniformFloat(input.location.get(), values, count);
        return;
    }
    const uint32_t components = DeclaredComponents(input.type);
    if (components == 0)
        return;
    float declared[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    for (uint32_t i = 0; i < count && i < components; ++i)
        declared[i] = values[i];
    program.SetUniformFloat(input.location.get(), declared, components);
}

void SetFrameInputs(nEGLProgram& program, const nGPURenderer& renderer)
{
    nRenderView* view = renderer.GetViewCamera();
    nRendererEnvironmentInterface* environment = renderer.GetEnvironment();
    uint32_t outputWidth = 1;
    uint32_t outputHeight = 1;
    renderer.GetOutputSize(outputWidth, outputHeight);
    uint32_t windowWidth = 1;
    uint32_t windowHeight = 1;
    renderer.GetWindowSize(windowWidth, windowHeight);
    int32_t viewport[4] = {};
    renderer.GetViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
    const bool deferred = renderer.GetTechnique() == nGPURenderer::TechniqueDeferred;
    for (nGPUProgramInput& input : program.GetInputs())
    {
        switch (input.semantic)
        {
        case SemanticClock:
            UploadFloat(program, input, renderer.GetEngine() ? renderer.GetEngine()->GetClock() : 0.0f);
            break;
        case SemanticViewVector:
            if (view)
                UploadVector(program, input, WorldAxisZ(view->GetViewWorldMatrix()), 3);
            break;
        case SemanticZNear:
            if (view)
                UploadFloat(program, input, view->GetViewZNear());
            break;
        case SemanticZFar:
            if (view)
                UploadFloat(program, input, view->GetViewZFar());
            break;
        case SemanticZoomFactor:
            if (view)
                UploadFloat(program, input, view->GetViewZoom());
            break;
        case SemanticAmbientColor:
            if (environment)
                UploadColour(program, input, environment->GetAmbientColor());
            break;
        case SemanticFogColor:
        {
            const nColor& fog = renderer.GetFogColour();
            const float values[3] = {fog.r, fog.g, fog.b};
            UploadFloats(program, input, values, 3);
            break;
        }
        case SemanticFogNear:
            UploadFloat(program, input, renderer.GetFogNear());
            break;
        case SemanticFogFar:
            UploadFloat(program, input, renderer.GetFogFar());
            break;
        case SemanticFogInverseRange:
            UploadFloat(program, input,
                        renderer.IsFogEnabled() ? 1.0f / (renderer.GetFogFar() - renderer.GetFogNear()) : 0.0f);
            break;
        case SemanticFxScale:
            UploadFloat(program, input, static_cast<float>(renderer.GetFXScale()));
            break;
        case SemanticInverseBufferSize:
        {
            const float values[2] = {1.0f / static_cast<float>(outputWidth), 1.0f / static_cast<float>(outputHeight)};
            UploadFloats(program, input, values, 2);
            break;
        }
        case SemanticInverseViewportSize:
        {
            const float values[2] = {viewport[2] ? 1.0f / static_cast<float>(viewport[2]) : 0.0f,
                                     viewport[3] ? 1.0f / static_cast<float>(viewport[3]) : 0.0f};
            UploadFloats(program, input, values, 2);
            break;
        }
        case SemanticDisplayBufferRatio:
        {
            const float values[2] = {static_cast<float>(outputHeight) / static_cast<float>(outputWidth), 1.0f};
            UploadFloats(program, input, values, 2);
            break;
        }
        case SemanticViewportRatio:
        {
            const float values[2] = {static_cast<float>(windowHeight) / static_cast<float>(windowWidth), 1.0f};
            UploadFloats(program, input, values, 2);
            break;
        }
        case SemanticViewDepthOffset:
            UploadFloat(program, input, 0.0f);
            break;
        case SemanticDepthBuffer:
            BindTexture(program, input, deferred ? renderer.GetGBufferTexture(0) : renderer.GetFrameDepthTexture());
            break;
        case SemanticGBuffer0:
        case SemanticGBuffer0 + 1:
        case SemanticGBuffer0 + 2:
        case SemanticGBuffer0 + 3:
            BindTexture(program, input, renderer.GetGBufferTexture(input.semantic - SemanticGBuffer0));
            break;
        case SemanticNoiseMap:
            BindTexture(program, input, renderer.GetNoiseTexture());
            break;
        default:
            break;
        }
    }
}

void SetMatrixInputs(nEGLProgram& program, const nMatrix4& projection, const nMatrix4& view,
                     const nMatrix4& inverseView, const nMatrix4& model, const nMatrix4& inverseModel)
{
    for (nGPUProgramInput& input : program.GetInputs())
    {
        switch (input.semantic)
        {
        case SemanticModelMatrix:
            UploadMatrix(program, input, model);
            break;
        case SemanticViewMatrix:
            UploadMatrix(program, input, inverseView);
            break;
        case SemanticModelViewMatrix:
            UploadMatrix(program, input, inverseView.Multiply(model));
            break;
        case SemanticModelViewProjectionMatrix:
            UploadMatrix(program, input, projection.Multiply(inverseView.Multiply(model)));
            break;
        case SemanticNormalMatrix:
            UploadNormalMatrix(program, input, inverseModel);
            break;
        case SemanticNormalViewMatrix:
            UploadNormalMatrix(program, input, inverseModel.Multiply(view));
            break;
        default:
            break;
        }
    }
}

void SetMaterialInputs(nEGLProgram& program, const nEGLMaterial& gpuMaterial)
{
    const nMaterial* material = gpuMaterial.GetMaterial();
    if (!material)
        return;
    for (nGPUProgramInput& input : program.GetInputs())
    {
        switch (input.semantic)
        {
        case SemanticMaterialDiffuse:
            UploadColour(program, input, material->diffuse);
            break;
        case SemanticMaterialSpecular:
            UploadColour(program, input, material->specular);
            break;
        // Each from the colour of its own name: crossed, default materials lit flat white.
        case SemanticMaterialSelf:
            UploadColour(program, input, material->selfIllumination);
            break;
        case SemanticMaterialAmbient:
            UploadColour(program, input, material->ambient);
            break;
        case SemanticMaterialGlossiness:
            UploadFloat(program, input, material->glossiness);
            break;
        case SemanticMaterialReflection:
            UploadFloat(program, input, material->reflection);
            break;
        case SemanticMaterialAlphaThreshold:
            UploadFloat(program, input, material->alphaThreshold);
            break;
        default:
            break;
        }
    }
}

void SetOpacityInput(nEGLProgram& program, float opacity)
{
    for (nGPUProgramInput& input : program.GetInputs())
    {
        if (input.semantic == SemanticMaterialOpacity)
            UploadFloat(program, input, opacity);
    }
}

void SetLightInputs(nEGLProgram& program, const nGPURenderer& renderer, nLightSource& light)
{
    nLightSourceSettings settings;
    light.GetLightSettings(settings);
    const nMatrix4& world = light.GetLightWorldMatrix();
    const nMatrix4& worldToView = renderer.GetInverseViewMatrix();
    const nVector position = world.GetTranslation();
    nVector viewPosition;
    const nVector worldPosition(position.x, position.y, position.z, 1.0f);
    worldToView.TransformVector4Array(&viewPosition, &worldPosition, 1);
    nVector viewDirection;
    const nVector axis = WorldAxisZ(world);
    worldToView.TransformVector4Array(&viewDirection, &axis, 1);
    const uint32_t shadowMapSize = renderer.GetShadowMapSize() ? renderer.GetShadowMapSize() : 1;
    const float inverseShadowSize = 1.0f / static_cast<float>(shadowMapSize);
    for (nGPUProgramInput& input : program.GetInputs())
    {
        switch (input.semantic)
        {
        case SemanticLightDiffuseColor:
        {
            const float intensity = settings.diffuseIntensity;
            const float values[3] = {settings.diffuse.r * intensity, settings.diffuse.g * intensity,
                                     settings.diffuse.b * intensity};
            UploadFloats(program, input, values, 3);
            break;
        }
        case SemanticLightSpecularColor:
        {
            const float intensity = settings.specularIntensity;
            const float values[3] = {settings.specular.r * intensity, settings.specular.g * intensity,
                                     settings.specular.b * intensity};
            UploadFloats(program, input, values, 3);
            break;
        }
        case SemanticLightSpotEdge:
            UploadFloat(program, input, std::cos(settings.coneAngle + settings.edgeAngle));
            break;
        case SemanticLightSpotCone:
            UploadFloat(program, input, std::cos(settings.coneAngle));
            break;
        case SemanticLightViewDirection:
            UploadVector(program, input, viewDirection, 3);
            break;
        case SemanticLightViewPosition:
            UploadVector(program, input, viewPosition, 3);
            break;
        case SemanticLightRange:
            UploadFloat(program, input, settings.range);
            break;
        case SemanticViewToLightMatrix:
            UploadMatrix(program, input, light.GetLightInverseMatrix().Multiply(renderer.GetViewMatrix()));
            break;
        case SemanticLightShadowColor:
            UploadColour(program, input, settings.shadowColor);
            break;
        case SemanticLightShadowBias:
            UploadFloat(program, input, settings.shadowBias);
            break;
        case SemanticLightProjectionMap:
            BindTexture(program, input,
                        settings.projectionMap
                            ? static_cast<const nEGLTexture*>(settings.projectionMap->GetRenderData())
                            : nullptr);
            break;
        case SemanticInverseShadowMapSize:
        {
            const float values[2] = {inverseShadowSize, inverseShadowSize};
            UploadFloats(program, input, values, 2);
            break;
        }
        default:
            if (input.semantic >= SemanticLightShadowMap0 && input.semantic < SemanticLightShadowMap0 + 6)
                BindTexture(program, input, renderer.GetShadowMap(input.semantic - SemanticLightShadowMap0));
            else if (input.semantic >= SemanticLightShadowMatrix0 && input.semantic < SemanticLightShadowMatrix0 + 6)
            {
                // The programs project view-space positions.
                if (const nGPURenderer::ShadowSplit* split =
                        renderer.GetShadowSplit(light, input.semantic - SemanticLightShadowMatrix0))
                    UploadMatrix(program, input, split->shadowMatrix.Multiply(renderer.GetViewMatrix()));
            }
            else if (input.semantic >= SemanticLightPSSMSliceDistance0 &&
                     input.semantic < SemanticLightPSSMSliceDistance0 + 4)
            {
                if (const nGPURenderer::ShadowSplit* split =
                        renderer.GetShadowSplit(light, input.semantic - SemanticLightPSSMSliceDistance0))
                    UploadFloat(program, input, split->farDistance);
            }
            break;
        }
    }
}

void BindVertexInputs(nEGLProgram& program, const nEGLDisplayList& displayList)
{
    const nGPUVertexLayout& layout = displayList.GetLayout();
    for (nGPUProgramInput& input : program.GetInputs())
    {
        if (input.kind != nGPUProgramInput::Attribute || !Resolved(input))
            continue;
        uint32_t components = 0;
        uint32_t type = FloatData;
        bool normalised = false;
        int32_t offset = -1;
        switch (input.semantic)
        {
        case SemanticPosition:
            components = 3, offset = layout.offsets[nGPUVertexLayout::Position];
            break;
        case SemanticNormal:
            components = 3, type = SignedByteData, normalised = true;
            offset = layout.offsets[nGPUVertexLayout::Normal];
            break;
        case SemanticUV0:
        case SemanticUV1:
        case SemanticUV2:
            components = 2, offset = layout.offsets[nGPUVertexLayout::UV0 + input.semantic - SemanticUV0];
            break;
        case SemanticVertexColor:
            components = 4, type = UnsignedByteData, normalised = true;
            offset = layout.offsets[nGPUVertexLayout::Colour];
            break;
        case SemanticTangent:
        case SemanticBitangent:
            components = 3, type = SignedByteData, normalised = true;
            offset = layout.offsets[nGPUVertexLayout::TangentFrame];
            if (offset >= 0 && input.semantic == SemanticBitangent)
                offset += 4;
            break;
        case SemanticBoneIndex:
        case SemanticBoneWeight:
            components = 4, type = UnsignedByteData, normalised = input.semantic == SemanticBoneWeight;
            offset = layout.offsets[nGPUVertexLayout::Skin];
            if (offset >= 0 && input.semantic == SemanticBoneWeight)
                offset += 4;
            break;
        default:
            continue;
        }
        if (offset < 0)
            program.SetVertexAttribute(input.location.get(), 0, type, false, 0, nullptr);
        else
            program.SetVertexAttribute(input.location.get(), components, type, normalised, layout.stride,
                                       reinterpret_cast<const void*>(static_cast<uintptr_t>(offset)));
    }
}

void BindConstantInputs(nEGLProgram& program)
{
    for (nGPUProgramInput& input : program.GetInputs())
    {
        if (input.semantic != SemanticConstant || !Resolved(input))
            continue;
        if (input.type == 2)
        {
            const int32_t value = static_cast<int32_t>(input.value[0]);
            program.SetUniformInt(input.location.get(), &value, 1);
        }
        else
            UploadFloats(program, input, input.value, 4);
    }
}

void BindTextureInputs(nEGLProgram& program)
{
    for (nGPUProgramInput& input : program.GetInputs())
    {
        if (input.semantic == SemanticTexture && input.texture)
            BindTexture(program, input, static_cast<const nEGLTexture*>(input.texture->GetRenderData()));
        else if (input.semantic == SemanticNativeTexture && input.nativeTexture)
            BindTexture(program, input, input.nativeTexture);
    }
}

void SetBoneInputs(nEGLProgram& program, const nEGLDisplayList& displayList, const nRenderItem& item)
{
    uint32_t boneCount = 0;
    const nMatrix4* bones = item.GetRenderBoneMatrices(boneCount);
    if (!bones)
        return;
    nGPUProgramInput* input = program.FindInput(SemanticBoneMatrix);
    if (!input || !Resolved(*input))
        return;
    const nAutoArray<uint16_t>& map = displayList.GetBoneMap();
    float palette[MaxBones * 16];
    uint32_t count = 0;
    for (; count < map.GetCount() && count < MaxBones; ++count)
    {
        const uint16_t bone = *map.At(count);
        const nMatrix4 matrix = bone < boneCount ? bones[bone] : nMatrix4();
        for (uint32_t i = 0; i < 16; ++i)
            palette[count * 16 + i] = matrix.m[i];
    }
    if (count)
        program.SetUniformMatrix4(input->location.get(), palette, count);
}
} // namespace nGPUProgramInputs
