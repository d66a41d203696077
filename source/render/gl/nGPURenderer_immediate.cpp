#include "render/gl/nGPURenderer.h"

#include "core/math/nMatrix4.h"
#include "core/math/nVector.h"
#include "geometry/nMaterialRenderFlags.h"
#include "render/gl/nEGLProgram.h"
#include "render/gl/nGPUImmediateInputs.h"
#include "render/gl/nShaderSemantic.h"

#include <algorithm>

namespace
{
using namespace nGPUImmediateInputs;

constexpr uint32_t VectorStride = sizeof(nVector);
constexpr uint32_t UVStride = 2 * sizeof(float);
// Lines are drawn without indices; the same bound keeps every count within what GL takes.
constexpr uint32_t MaxChunkLines = nGPUImmediateBuffers::MaxChunkVertices / 2;

const float QuadCornerUVs[4][2] = {{0.0f, 1.0f}, {1.0f, 1.0f}, {1.0f, 0.0f}, {0.0f, 0.0f}};
} // namespace

void nGPURenderer::SetupImmediateState(int32_t blendMode, uint32_t renderFlags)
{
    if (blendMode == BlendAlpha || blendMode == BlendAdditive)
    {
        EnableBlending(true);
        SetBlendFunc(BlendSourceAlpha, blendMode == BlendAlpha ? BlendOneMinusSourceAlpha : BlendOne);
    }
    EnableDepthWrite((renderFlags & MaterialNoZWrite) == 0);
    EnableDepthTest((renderFlags & MaterialNoZTest) == 0);
    EnableFaceCulling((renderFlags & MaterialDoubleSided) == 0);
}

void nGPURenderer::RestoreImmediateState(int32_t blendMode)
{
    EnableFaceCulling(true);
    EnableDepthTest(true);
    EnableDepthWrite(true);
    if (blendMode == BlendOpaque)
        return;
    EnableBlending(false);
    SetBlendFunc(BlendSourceAlpha, BlendOneMinusSourceAlpha);
}

void nGPURenderer::DrawLines(uint32_t count, const nVector* vertices, const nVector* colours,
                             int32_t blendMode, uint32_t renderFlags)
{
    nEGLProgram* program = GetLibraryProgram(colours ? LibrarySimpleColor : LibrarySimple);
    if (count == 0 || !vertices || !program)
        return;
    SetupImmediateState(blendMode, renderFlags);
    if (nGPUImmediateInputs::Begin(*this, *program, false))
    {
        for (uint32_t first = 0; first < count; first += MaxChunkLines)
        {
            const uint32_t lines = std::min(count - first, MaxChunkLines);
            nGPUImmediateInputs::BindArray(*program, SemanticPosition, 3, VectorStride, vertices + 2 * first);
            if (colours)
                nGPUImmediateInputs::BindArray(*program, SemanticVertexColor, 4, VectorStride,
                                               colours + 2 * first);
            DrawPrimitives(PrimitiveLines, 2 * lines, NoIndices, nullptr);
        }
        program->Unbind();
    }
    RestoreImmediateState(blendMode);
}

void nGPURenderer::DrawTriangles(uint32_t count, const nVector* vertices, const nVector* colours,
                                 const float* uvs, nTexture* texture, int32_t blendMode, uint32_t renderFlags)
{
    if (count == 0 || !vertices || (!colours && !texture))
        return;
    const uint32_t slot =
        texture ? (colours ? LibrarySingleTextureColor : LibrarySingleTexture) : LibrarySingleColor;
    nEGLProgram* program = GetLibraryProgram(slot);
    if (!program)
        return;
    const uint16_t* indices =
        m_immediate.GetSequence(3 * std::min(count, nGPUImmediateBuffers::MaxChunkTriangles));
    if (!indices)
        return;
    SetupImmediateState(blendMode, renderFlags);
    if (nGPUImmediateInputs::Begin(*this, *program, false))
    {
        nGPUImmediateInputs::BindTexture(*program, texture);
        for (uint32_t first = 0; first < count; first += nGPUImmediateBuffers::MaxChunkTriangles)
        {
            const uint32_t triangles = std::min(count - first, nGPUImmediateBuffers::MaxChunkTriangles);
            const uint32_t vertex = 3 * first;
            nGPUImmediateInputs::BindArray(*program, SemanticPosition, 3, VectorStride, vertices + vertex);
            if (colours)
                nGPUImmediateInputs::BindArray(*program, SemanticVertexColor, 4, VectorStride,
                                               colours + vertex);
            if (uvs)
                nGPUImmediateInputs::BindArray(*program, SemanticUV0, 2, UVStride, uvs + 2 * size_t(vertex));
            DrawPrimitives(PrimitiveTriangles, 3 * triangles, IndexUnsignedShort, indices);
        }
        program->Unbind();
    }
    RestoreImmediateState(blendMode);
    m_statistics.trianglesDrawn += count;
}

void nGPURenderer::DrawBillboards(uint32_t count, const nVector* positions, const nVector* colours,
                                  const float* sizes, nTexture* texture, float scale, int32_t blendMode,
                                  uint32_t renderFlags)
{
    if (count == 0 || !positions)
        return;
    const uint32_t slot =
        texture ? (colours ? LibrarySingleTextureColor : LibrarySingleTexture) : LibrarySimpleColor;
    nEGLProgram* program = GetLibraryProgram(slot);
    if (!program)
        return;
    const uint32_t chunk = std::min(count, nGPUImmediateBuffers::MaxChunkQuads);
    const uint16_t* indices = m_immediate.GetQuadIndices(chunk);
    if (!indices || !m_immediate.ReserveQuads(chunk))
        return;
    const nVector right = GetViewMatrix().GetColumn(0, false);
    const nVector up = GetViewMatrix().GetColumn(1, false);
    const nVector corners[4] = {-right - up, right - up, right + up, up - right};
    static const nVector White(1.0f, 1.0f, 1.0f, 1.0f);

    SetupImmediateState(blendMode, renderFlags);
    if (nGPUImmediateInputs::Begin(*this, *program, false))
    {
        nGPUImmediateInputs::BindTexture(*program, texture);
        nGPUImmediateInputs::BindArray(*program, SemanticPosition, 3, 0, m_immediate.GetPositions());
        nGPUImmediateInputs::BindArray(*program, SemanticUV0, 2, 0, m_immediate.GetUVs());
        nGPUImmediateInputs::BindArray(*program, SemanticVertexColor, 4, 0, m_immediate.GetColours());
        for (uint32_t first = 0; first < count; first += chunk)
        {
            const uint32_t quads = std::min(count - first, chunk);
            float* position = m_immediate.GetPositions();
            float* uv = m_immediate.GetUVs();
            float* colour = m_immediate.GetColours();
            for (uint32_t quad = first; quad < first + quads; ++quad)
            {
                const float extent = (sizes ? sizes[quad] : 1.0f) * scale;
                const nVector& quadColour = colours ? colours[quad] : White;
                for (uint32_t corner = 0; corner < 4; ++corner)
                {
                    const nVector at = positions[quad] + corners[corner] * extent;
                    *position++ = at.x;
                    *position++ = at.y;
                    *position++ = at.z;
                    *uv++ = QuadCornerUVs[corner][0];
                    *uv++ = QuadCornerUVs[corner][1];
                    *colour++ = quadColour.x;
                    *colour++ = quadColour.y;
                    *colour++ = quadColour.z;
                    *colour++ = quadColour.w;
                }
            }
            DrawPrimitives(PrimitiveTriangles, 6 * quads, IndexUnsignedShort, indices);
        }
        program->Unbind();
    }
    RestoreImmediateState(blendMode);
}
