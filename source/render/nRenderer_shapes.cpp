#include "render/nRenderer.h"

#include "core/math/nMatrix4.h"
#include "core/math/nTransform.h"
#include "core/math/nVector.h"

namespace
{
const nVector White(1.0f, 1.0f, 1.0f, 1.0f);

// Corner i of the unit cube has bit 0 for +x, bit 1 for +y, bit 2 for +z; each edge joins two
// corners that differ in one bit.
const uint8_t BoxEdges[12][2] = {{0, 1}, {2, 3}, {4, 5}, {6, 7}, {0, 2}, {1, 3},
                                 {4, 6}, {5, 7}, {0, 4}, {1, 5}, {2, 6}, {3, 7}};
} // namespace

void nRenderer::DrawTriangle(const nVector* vertices, const nVector* colours, const float* uvs,
                             nTexture* texture, int32_t blendMode, uint32_t renderFlags)
{
    DrawTriangles(1, vertices, colours, uvs, texture, blendMode, renderFlags);
}

void nRenderer::DrawLine(const nVector& from, const nVector& to, const nVector* colour, int32_t blendMode,
                         uint32_t renderFlags)
{
    const nVector vertices[2] = {from, to};
    const nVector& lineColour = colour ? *colour : White;
    const nVector colours[2] = {lineColour, lineColour};
    DrawLines(1, vertices, colours, blendMode, renderFlags);
}

void nRenderer::DrawCross(const nVector& centre, float halfSize, const nVector* colour)
{
    if (m_closed)
        return;
    const nVector axes[3] = {
        {halfSize, 0.0f, 0.0f, 0.0f}, {0.0f, halfSize, 0.0f, 0.0f}, {0.0f, 0.0f, halfSize, 0.0f}};
    for (const nVector& axis : axes)
    {
        nVector from = centre;
        nVector to = centre;
        from -= axis;
        to += axis;
        from.w = centre.w;
        to.w = centre.w;
        DrawLine(from, to, colour, BlendOpaque, ShapeRenderFlags);
    }
}

void nRenderer::DrawBox(const nTransform& box, const nVector* colour, int32_t blendMode)
{
    const nMatrix4 identity;
    SetModelMatrix(identity, &identity);
    const nMatrix4 placement = nMatrix4::Compose(box.position, box.rotation, box.scale);
    nVector corners[8];
    for (int i = 0; i < 8; ++i)
        corners[i] = nVector(i & 1 ? 0.5f : -0.5f, i & 2 ? 0.5f : -0.5f, i & 4 ? 0.5f : -0.5f, 1.0f);
    placement.TransformVector4Array(corners, corners, 8);
    for (const auto& edge : BoxEdges)
        DrawLine(corners[edge[0]], corners[edge[1]], colour, blendMode, ShapeRenderFlags);
}
