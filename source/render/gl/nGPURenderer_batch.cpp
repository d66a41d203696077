#include "render/gl/nGPURenderer.h"

#include "core/math/nMatrix4.h"
#include "geometry/nMaterial.h"
#include "render/gl/nEGLDisplayList.h"
#include "render/gl/nEGLMaterial.h"
#include "render/gl/nEGLProgram.h"
#include "render/gl/nEGLVBO.h"
#include "render/gl/nGPUProgramInputs.h"
#include "render/gl/nGPUTerrainCache.h"
#include "render/gl/nShaderSemantic.h"
#include "render/nRenderItem.h"
#include "render/nTerrainPatch.h"

namespace
{
// Factors, depth functions and faces of the back end's tables.
constexpr uint32_t FactorOne = 1;
constexpr uint32_t FactorSourceAlpha = 2;
constexpr uint32_t FactorOneMinusSourceAlpha = 3;
constexpr uint32_t DepthAlways = 0;
constexpr uint32_t DepthLess = 1;
constexpr uint32_t PrimitiveTriangles = 1;
constexpr uint32_t PolygonFill = 0;
constexpr uint32_t PolygonLines = 1;

bool IsTransparentPass(const nGPUPass& pass)
{
    return pass.blendClass == nGPUPass::BlendTransparent;
}

// The factors a transparent pass draws with when the material asks for nothing else.
void PassBlendFactors(nGPURenderer& renderer, const nGPUPass& pass)
{
    if (pass.lighting == nGPUPass::Base)
        renderer.SetBlendFunc(FactorSourceAlpha, FactorOneMinusSourceAlpha);
    else
        renderer.SetBlendFunc(FactorSourceAlpha, FactorOne);
}

nMaterial* MaterialOf(const nEGLDisplayList& displayList)
{
    return reinterpret_cast<nMaterial*>(displayList.GetUserWord());
}
} // namespace

void nGPURenderer::ApplyPassState(const nGPUPass& pass)
{
    const bool transparent = IsTransparentPass(pass);
    if (pass.lighting == nGPUPass::Base)
    {
        if (!transparent)
        {
            EnableDepthTest(true);
            return;
        }
        EnableDepthWrite(false);
        EnableBlending(true);
        SetBlendFunc(FactorSourceAlpha, FactorOneMinusSourceAlpha);
        return;
    }
    if (transparent)
        EnableDepthWrite(false);
    EnableBlending(true);
    if (transparent)
        SetBlendFunc(FactorSourceAlpha, FactorOne);
    else
        SetBlendFunc(FactorOne, FactorOne);
}

void nGPURenderer::ApplyMaterialState(const nMaterial& material, const nGPUPass& pass, bool forceBlend)
{
    if (material.renderFlags & MaterialDoubleSided)
        EnableFaceCulling(false);
    if ((material.renderFlags & MaterialAlphaTest) && m_alphaToCoverage)
        EnableMultisample(true);
    if (!IsTransparentPass(pass))
        return;
    const uint32_t blend =
        material.blendOp == MaterialBlendNone && forceBlend ? MaterialBlendAlpha : material.blendOp;
    if (blend == MaterialBlendAlpha)
        SetBlendFunc(FactorSourceAlpha,
                     pass.lighting == nGPUPass::Base ? FactorOneMinusSourceAlpha : FactorOne);
    else if (blend == MaterialBlendAdditive)
        SetBlendFunc(FactorOne, FactorOne);
}

void nGPURenderer::RestoreMaterialState(const nMaterial& material, const nGPUPass& pass)
{
    if (material.renderFlags & MaterialDoubleSided)
        EnableFaceCulling(true);
    if ((material.renderFlags & MaterialAlphaTest) && m_alphaToCoverage)
        EnableMultisample(false);
    if (IsTransparentPass(pass))
        PassBlendFactors(*this, pass);
}

// Leaves nothing bound that a later draw could inherit: the program's attribute arrays, the
// list's buffers and the material's state.
void nGPURenderer::ResetBatchState()
{
    if (m_batch.material && m_batch.material->GetMaterial())
        RestoreMaterialState(*m_batch.material->GetMaterial(), m_batchPass);
    if (m_batch.program)
        m_batch.program->Unbind();
    if (m_batch.displayList)
    {
        if (nEGLVBO* buffer = m_batch.displayList->GetVertexBuffer())
            buffer->Unbind();
        if (nEGLVBO* buffer = m_batch.displayList->GetIndexBuffer())
            buffer->Unbind();
    }
    m_batch = BatchCache();
}

void nGPURenderer::DrawPrimitiveList(const nGPURenderPrimitiveList& list, const nGPUPass& pass)
{
    if (m_terrainCache)
        m_terrainCache->Age();
    DrawPrimitives(list, pass);
}

void nGPURenderer::DrawPrimitives(const nGPURenderPrimitiveList& list, const nGPUPass& pass)
{
    ResetBatchState();
    m_batchPass = pass;
    for (uint32_t index = 0; index < list.GetCount(); ++index)
    {
        const nGPURenderPrimitive& primitive = *list.At(index);
        if (!primitive.item)
            continue;
        primitive.item->UpdateRenderMatrices();
        if (primitive.kind == nRenderablePrimitive::KindObject && primitive.displayList)
        {
            SetModelMatrix(primitive.item->GetRenderWorldMatrix(), &primitive.item->GetRenderInverseMatrix());
            DrawBatch(primitive.displayList, primitive.item, pass);
        }
        else if (primitive.kind == nRenderablePrimitive::KindTerrainNode && primitive.patch && m_terrainCache)
        {
            nEGLDisplayList* page = m_terrainCache->Acquire(*primitive.patch);
            if (!page)
                continue;
            nMatrix4 placement;
            primitive.patch->GetPatchPlacement(placement);
            SetModelMatrix(primitive.item->GetRenderWorldMatrix().Multiply(placement), nullptr);
            DrawBatch(page, primitive.item, pass);
        }
    }
    ResetBatchState();
    ++m_statistics.queuePasses;
}

void nGPURenderer::DrawBatch(nEGLDisplayList* displayList, nRenderItem* item, const nGPUPass& pass)
{
    nMaterial* material = displayList ? MaterialOf(*displayList) : nullptr;
    auto* gpuMaterial = material ? static_cast<nEGLMaterial*>(material->renderData.Get()) : nullptr;
    nEGLProgram* program = gpuMaterial ? gpuMaterial->UseProgram(pass.programIndex) : nullptr;
    if (!program || !item)
        return;
    const bool programChanged = program != m_batch.program;
    const bool listChanged = displayList != m_batch.displayList;
    const bool materialChanged = gpuMaterial != m_batch.material;
    const bool itemChanged = item != m_batch.item;
    const float opacity = item->GetRenderOpacity();
    if (programChanged)
    {
        // An unlinked pass draws nothing; the next batch binds afresh.
        if (!program->Bind(m_batch.program))
        {
            m_batch.program = nullptr;
            return;
        }
        nGPUProgramInputs::BindConstantInputs(*program);
        ++m_counters.programChanges;
    }
    if (listChanged)
    {
        if (m_batch.displayList)
        {
            if (nEGLVBO* buffer = m_batch.displayList->GetVertexBuffer())
                buffer->Unbind();
        }
        if (nEGLVBO* buffer = displayList->GetIndexBuffer())
            buffer->Bind();
        if (nEGLVBO* buffer = displayList->GetVertexBuffer())
            buffer->Bind();
        ++m_counters.listChanges;
    }
    if (materialChanged)
    {
        if (m_batch.material && m_batch.material->GetMaterial())
            RestoreMaterialState(*m_batch.material->GetMaterial(), pass);
        ApplyMaterialState(*material, pass, opacity < 1.0f);
        ++m_counters.materialChanges;
    }
    if (programChanged)
    {
        nGPUProgramInputs::SetFrameInputs(*program, *this);
        if (pass.light)
            nGPUProgramInputs::SetLightInputs(*program, *this, *pass.light);
    }
    if (programChanged || materialChanged || opacity != m_batch.opacity)
        nGPUProgramInputs::SetOpacityInput(*program, material->opacity * opacity);
    if (programChanged || materialChanged)
    {
        nGPUProgramInputs::SetMaterialInputs(*program, *gpuMaterial);
        nGPUProgramInputs::BindTextureInputs(*program);
    }
    if (programChanged || listChanged)
        nGPUProgramInputs::BindVertexInputs(*program, *displayList);
    if (programChanged || itemChanged)
    {
        nGPUProgramInputs::SetMatrixInputs(*program, m_projection, m_view, m_inverseView, m_model,
                                           m_inverseModel);
        ++m_counters.itemChanges;
    }
    if (programChanged || listChanged || itemChanged)
        nGPUProgramInputs::SetBoneInputs(*program, *displayList, *item);
    m_batch.lighting = pass.lighting;
    m_batch.programIndex = pass.programIndex;
    m_batch.displayList = displayList;
    m_batch.material = gpuMaterial;
    m_batch.program = program;
    m_batch.item = item;
    m_batch.opacity = opacity;
    if (m_wireframe)
        SetPolygonMode(PolygonLines);
    displayList->Draw();
    if (m_wireframe)
        SetPolygonMode(PolygonFill);
    ++m_statistics.listsDrawn;
    m_statistics.trianglesDrawn += displayList->GetIndexCount() / 3;
}

void nGPURenderer::DrawFullscreenQuad(nEGLProgram* program, nEGLTexture* texture, nLightSource* light)
{
    if (!program)
        return;
    SetDepthFunc(DepthAlways);
    EnableDepthWrite(false);
    ReleaseBufferBindings();
    if (program->Bind(nullptr))
    {
        uint32_t windowWidth = 1;
        uint32_t windowHeight = 1;
        GetWindowSize(windowWidth, windowHeight);
        const float u = static_cast<float>(windowWidth) / static_cast<float>(m_outputWidth);
        const float v = static_cast<float>(windowHeight) / static_cast<float>(m_outputHeight);
        const float positions[6][3] = {{-1, -1, 0}, {1, -1, 0}, {1, 1, 0},
                                       {-1, -1, 0}, {1, 1, 0},  {-1, 1, 0}};
        const float uvs[6][2] = {{0, 0}, {u, 0}, {u, v}, {0, 0}, {u, v}, {0, v}};
        for (nGPUProgramInput& input : program->GetInputs())
        {
            if (input.kind != nGPUProgramInput::Attribute || !input.location)
                continue;
            if (input.semantic == SemanticPosition)
                program->SetVertexAttribute(input.location.get(), 3, 4, false, 0, positions);
            else if (input.semantic == SemanticUV0)
                program->SetVertexAttribute(input.location.get(), 2, 4, false, 0, uvs);
        }
        if (texture)
            if (nGPUProgramInput* input = program->FindInput(SemanticNativeTexture))
                input->nativeTexture = texture;
        nGPUProgramInputs::BindConstantInputs(*program);
        nGPUProgramInputs::BindTextureInputs(*program);
        if (light && GetViewItem())
            nGPUProgramInputs::SetLightInputs(*program, *this, *light);
        const nMatrix4 identity;
        nGPUProgramInputs::SetMatrixInputs(*program, identity, identity, identity, identity, identity);
        nGPUProgramInputs::SetFrameInputs(*program, *this);
        DrawPrimitives(PrimitiveTriangles, 6, NoIndices, nullptr);
        program->Unbind();
    }
    EnableDepthWrite(true);
    SetDepthFunc(DepthLess);
}
