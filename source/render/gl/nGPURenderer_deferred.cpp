#include "render/gl/nGPURenderer.h"

#include "render/gl/nEGLFBO.h"
#include "render/gl/nEGLProgram.h"
#include "render/gl/nGPULightVolume.h"
#include "render/gl/nGPUProgramInputs.h"
#include "render/gl/nShaderSemantic.h"
#include "render/nLightSource.h"
#include "render/nRenderView.h"

#include <cmath>

namespace
{
// Factors, depth functions, faces, primitives and index types of the back end's tables.
constexpr uint32_t FactorOne = 1;
constexpr uint32_t FactorSourceAlpha = 2;
constexpr uint32_t FactorOneMinusSourceAlpha = 3;
constexpr uint32_t DepthLess = 1;
constexpr uint32_t DepthGreater = 3;
constexpr uint32_t CullFrontFaces = 0;
constexpr uint32_t CullBackFaces = 1;
constexpr uint32_t PrimitiveTriangles = 1;
constexpr uint32_t IndexUnsignedByte = 1;
constexpr uint32_t FloatData = 4;
constexpr uint32_t GBufferProgram = 1;

// The library program of a light type, plain or shadowed; LibraryProgramCount for none.
uint32_t DeferredLightProgram(int32_t type, bool shadowed)
{
    switch (type)
    {
    case nLightSourceSettings::TypePoint:
        return shadowed ? nGPURenderer::LibraryPointLightShadow : nGPURenderer::LibraryPointLight;
    case nLightSourceSettings::TypeParallel:
        return shadowed ? nGPURenderer::LibraryLinearLightShadow : nGPURenderer::LibraryLinearLight;
    case nLightSourceSettings::TypeSpot:
        return shadowed ? nGPURenderer::LibrarySpotLightShadow : nGPURenderer::LibrarySpotLight;
    default:
        return nGPURenderer::LibraryProgramCount;
    }
}
} // namespace

// The G-buffer and the frame share one depth buffer, so the passes after the lights (the
// transparent list, particles) are hidden behind what the fill drew.
void nGPURenderer::DeferredPass(const nGPURenderPrimitiveList& opaqueList)
{
    if (!m_msaaFBO || !m_msaaFBO->Bind())
    {
        if (m_frameFBO)
            m_frameFBO->Bind();
        return;
    }
    ClearFrame(0.0f, 0.0f, 0.0f, 0.0f, 1.0f, ClearColour | ClearDepth);
    const nGPUPass pass{nGPUPass::Base, nGPUPass::BlendNone, GBufferProgram, nullptr};
    EnableBlending(false);
    ApplyPassState(pass);
    DrawPrimitiveList(opaqueList, pass);
    if (m_frameFBO)
        m_frameFBO->Bind();
    if (GetEnvironment())
        DeferredLightPass();
}

void nGPURenderer::DeferredLightPass()
{
    if (m_frameFBO)
        m_frameFBO->Bind();
    // The full-screen quads and the volumes seen from outside run counter-clockwise on screen,
    // which culling mode 0 keeps; the frame's passes cull with mode 1, which comes back at the end.
    SetCullFace(CullFrontFaces);
    EnableDepthWrite(false);
    DrawFullscreenQuad(GetLibraryProgram(LibraryAmbient), nullptr, nullptr);
    EnableDepthWrite(true);
    SetBlendFunc(FactorOne, FactorOne);

    nList<nLightSource*> lights;
    CollectCameraLights(lights);
    for (auto* node = lights.GetHead(); node; node = node->next)
    {
        nLightSource& light = *node->value;
        nLightSourceSettings settings;
        light.GetLightSettings(settings);
        // Only a light whose shadow was just drawn reads the atlas: another's would be stale.
        bool shadowed = false;
        if (m_shadowMapping && settings.shadowMode == nLightSourceSettings::ShadowMapMode)
        {
            shadowed = RenderShadowMap(light);
            if (m_frameFBO)
                m_frameFBO->Bind();
            SetCullFace(CullFrontFaces);
            SetBlendFunc(FactorOne, FactorOne);
        }
        EnableDepthWrite(false);
        EnableBlending(true);
        DrawDeferredLight(light, settings, shadowed);
        EnableBlending(false);
        EnableDepthWrite(true);
        ++m_statistics.lightsProcessed;
    }
    SetCullFace(CullBackFaces);
    SetBlendFunc(FactorSourceAlpha, FactorOneMinusSourceAlpha);
}

void nGPURenderer::DrawDeferredLight(nLightSource& light, const nLightSourceSettings& settings, bool shadowed)
{
    const uint32_t slot = DeferredLightProgram(settings.type, shadowed);
    nEGLProgram* program = slot < LibraryProgramCount ? GetLibraryProgram(slot) : nullptr;
    if (!program)
        return;
    nVector eye;
    float zFar = 0.0f;
    if (m_viewCamera)
    {
        eye = m_viewCamera->GetViewWorldMatrix().GetTranslation();
        zFar = m_viewCamera->GetViewZFar();
    }
    const nGPULightVolume volume = ComputeLightVolume(light, settings, eye, NearPlaneReach(), zFar);
    if (volume.fullScreen)
    {
        DrawFullscreenQuad(program, nullptr, &light);
        return;
    }
    DrawLightVolume(*program, light, volume.corners, volume.containsCamera);
}

// From inside the box its near faces are behind the camera: the far faces light what lies in
// front of them instead.
void nGPURenderer::DrawLightVolume(nEGLProgram& program, nLightSource& light, const nVector (&corners)[8],
                                   bool fromInside)
{
    ReleaseBufferBindings();
    if (!program.Bind(nullptr))
        return;
    float positions[8][3];
    for (uint32_t corner = 0; corner < 8; ++corner)
    {
        positions[corner][0] = corners[corner].x;
        positions[corner][1] = corners[corner].y;
        positions[corner][2] = corners[corner].z;
    }
    if (nGPUProgramInput* input = program.FindInput(SemanticPosition); input && input->location)
        program.SetVertexAttribute(input->location.get(), 3, FloatData, false, 0, positions);
    nGPUProgramInputs::BindConstantInputs(program);
    nGPUProgramInputs::BindTextureInputs(program);
    const nMatrix4 identity;
    nGPUProgramInputs::SetMatrixInputs(program, m_projection, m_view, m_inverseView, identity, identity);
    nGPUProgramInputs::SetFrameInputs(program, *this);
    if (GetViewItem())
        nGPUProgramInputs::SetLightInputs(program, *this, light);
    if (fromInside)
    {
        SetDepthFunc(DepthGreater);
        SetCullFace(CullBackFaces);
    }
    DrawPrimitives(PrimitiveTriangles, 36, IndexUnsignedByte, LightVolumeIndices);
    if (fromInside)
    {
        SetDepthFunc(DepthLess);
        SetCullFace(CullFrontFaces);
    }
    program.Unbind();
}

// The distance from the eye to a corner of the near plane.
float nGPURenderer::NearPlaneReach() const
{
    if (!m_viewCamera)
        return 0.0f;
    const float zNear = m_viewCamera->GetViewZNear();
    const float spreadX = m_projection.m[0] != 0.0f ? 1.0f / m_projection.m[0] : 0.0f;
    const float spreadY = m_projection.m[5] != 0.0f ? 1.0f / m_projection.m[5] : 0.0f;
    return std::fabs(zNear) * std::sqrt(1.0f + spreadX * spreadX + spreadY * spreadY);
}
