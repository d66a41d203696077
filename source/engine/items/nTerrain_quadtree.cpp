#include "engine/items/nTerrain.h"

#include "core/base/nLog.h"
#include "core/math/nFrustum.h"
#include "core/math/nMatrix4.h"
#include "engine/Quenvar.h"
#include "engine/items/nCamera.h"
#include "geometry/nGeometry.h"
#include "render/nRenderer.h"

#include <algorithm>
#include <new>

namespace
{
// The points from first to first + count, every step, the last one always included.
template <typename Visit> void ForEachSample(int32_t first, int32_t count, int32_t step, Visit&& visit)
{
    for (int32_t offset = 0;; offset = std::min(offset + step, count))
    {
        visit(first + offset);
        if (offset == count)
            break;
    }
}
} // namespace

nTerrain::QuadNode::QuadNode(nTerrain& terrain, int32_t column, int32_t row, int32_t columns, int32_t rows,
                             int32_t stride)
    : terrain(&terrain), column(column), row(row), columns(columns), rows(rows), stride(stride)
{
}

nTerrain::QuadNode::~QuadNode() = default;

// The root samples every w / 64 points, but at least every point, so that small grids draw too.
void nTerrain::BuildQuadtree()
{
    m_root.reset();
    if (!HasHeightmap())
        return;
    m_root = BuildNode(0, 0, m_gridWidth, m_gridHeight, std::max(m_gridWidth / 64, 1), 0);
}

std::unique_ptr<nTerrain::QuadNode> nTerrain::BuildNode(int32_t column, int32_t row, int32_t columns,
                                                        int32_t rows, int32_t stride, int32_t depth)
{
    if (stride == 0 || depth == MaxTreeDepth || columns == 0 || rows == 0)
        return nullptr;
    std::unique_ptr<QuadNode> node(new (std::nothrow) QuadNode(*this, column, row, columns, rows, stride));
    if (!node)
        return nullptr;
    float lowest = At(column, row);
    float highest = lowest;
    ForEachSample(row, rows, stride,
                  [&](int32_t j)
                  {
                      ForEachSample(column, columns, stride,
                                    [&](int32_t i)
                                    {
                                        lowest = std::min(lowest, At(i, j));
                                        highest = std::max(highest, At(i, j));
                                    });
                  });
    const float halfWidth = m_worldWidth * 0.5f;
    const float halfDepth = m_worldDepth * 0.5f;
    node->box = nMinMax(nVector(float(column) * m_resolution - halfWidth, lowest,
                                -(float(row + rows) * m_resolution - halfDepth)),
                        nVector(float(column + columns) * m_resolution - halfWidth, highest,
                                -(float(row) * m_resolution - halfDepth)));
    const int32_t half = stride / 2;
    const int32_t left = columns / 2, top = rows / 2;
    node->children[0] = BuildNode(column, row, left, top, half, depth + 1);
    node->children[1] = BuildNode(column + left, row, columns - left, top, half, depth + 1);
    node->children[2] = BuildNode(column, row + top, left, rows - top, half, depth + 1);
    node->children[3] = BuildNode(column + left, row + top, columns - left, rows - top, half, depth + 1);
    return node;
}

void nTerrain::GetMinMax(nMinMax& out)
{
    if (m_root)
        out = m_root->box;
    else
        nItem::GetMinMax(out);
}

// Updating the item only refreshes its cached matrices, so the box is asked of a const renderable.
void nTerrain::GetWorldMinMax(nMinMax& box) const
{
    auto& self = const_cast<nTerrain&>(*this);
    if (!m_root)
    {
        self.nItem::GetMinMax(box);
        return;
    }
    const nMatrix4& world = self.GetWorldMatrix();
    const nMinMax& local = m_root->box;
    for (int corner = 0; corner < 8; ++corner)
    {
        const nVector point =
            nVector(corner & 1 ? local.max.x : local.min.x, corner & 2 ? local.max.y : local.min.y,
                    corner & 4 ? local.max.z : local.min.z)
                .MulMatrix4(world);
        if (corner == 0)
            box = nMinMax(point, point);
        else
            box.Extend(point);
    }
}

void nTerrain::Render(nCamera* camera, nItem* viewItem, nAutoList<nRenderablePrimitive*>* drawList, int32_t,
                      bool)
{
    if (!m_root)
        return;
    const nMatrix4& world = GetWorldMatrix();
    nVector eye = world.GetTranslation();
    if (camera)
        eye = camera->GetWorldMatrix().GetTranslation();
    else if (viewItem)
        eye = viewItem->GetStoredWorldMatrix().GetTranslation();
    QueueNode(*m_root, camera ? &camera->GetViewFrustum() : nullptr, world, eye, drawList);
}

// A node no farther from the eye than its own diagonal is too coarse and gives way to its children.
void nTerrain::QueueNode(QuadNode& node, const nFrustum* frustum, const nMatrix4& world, const nVector& eye,
                         nAutoList<nRenderablePrimitive*>* drawList)
{
    if (frustum && frustum->TestMinMax(node.box, &world) == nFrustum::Outside)
        return;
    const nVector centre = ((node.box.min + node.box.max) * 0.5f).MulMatrix4(world);
    const float diagonal = (node.box.max - node.box.min).Length();
    if (node.HasChildren() && (centre - eye).Length() <= diagonal)
    {
        for (std::unique_ptr<QuadNode>& child : node.children)
            if (child)
                QueueNode(*child, frustum, world, eye, drawList);
        return;
    }
    AppendDrawEntry(drawList, nRenderablePrimitive::KindTerrainNode, static_cast<nItem*>(this),
                    static_cast<nTerrainPatch*>(&node));
}

nGeometry* nTerrain::BuildPatch(QuadNode& node)
{
    Quenvar* engine = GetEngine();
    nSharedPtr<nGeometry> geometry(new nGeometry(engine));
    if (!geometry)
        return nullptr;
    uint32_t across = 0, down = 0;
    ForEachSample(0, node.columns, node.stride, [&](int32_t) { ++across; });
    ForEachSample(0, node.rows, node.stride, [&](int32_t) { ++down; });
    const uint32_t quads = (across - 1) * (down - 1);
    if (!geometry->vertices.Resize(across * down) || !geometry->SetPolygonCount(quads))
        return nullptr;
    uint32_t vertex = 0;
    ForEachSample(node.row, node.rows, node.stride,
                  [&](int32_t j)
                  {
                      ForEachSample(node.column, node.columns, node.stride,
                                    [&](int32_t i) {
                                        *geometry->vertices.At(vertex++) =
                                            nVector(float(i), At(i, j), -float(j));
                                    });
                  });
    for (uint32_t quad = 0; quad < quads; ++quad)
        geometry->polygons.At(quad)->bindingCount = 4;
    if (!geometry->AllocateBindings() || !geometry->AllocateMaterials(1, true))
        return nullptr;
    uint32_t* binding = geometry->bindings.GetData();
    for (uint32_t y = 0; y + 1 < down; ++y)
        for (uint32_t x = 0; x + 1 < across; ++x)
        {
            const uint32_t first = y * across + x;
            *binding++ = first;
            *binding++ = first + across;
            *binding++ = first + across + 1;
            *binding++ = first + 1;
        }
    geometry->BuildPolygonBindingOffsets();
    geometry->ComputePolygonNormal(true);
    geometry->ComputeVertexNormals(true, -1.0f);
    geometry->box = geometry->GetMinMax(nullptr);
    if (engine)
        geometry->renderData = engine->GetRenderer()->SetupGeometry(geometry.Get());
    node.patch = geometry;
    return node.patch.Get();
}

int32_t nTerrain::QuadNode::GetPageStep() const
{
    const int32_t span = std::max(columns, rows);
    const int32_t covering = (span + int32_t(PageSize) - 2) / int32_t(PageSize - 1);
    return std::max({stride, covering, 1});
}

nTerrainPatchKey nTerrain::QuadNode::GetPatchKey() const
{
    return {terrain, this, terrain->GetRevision()};
}

void nTerrain::QuadNode::FillPatchPage(nTerrainPageVertex* vertices) const
{
    const int32_t step = GetPageStep();
    const float units = 1.0f / float(step);
    const float gridWidth = float(terrain->GetGridWidth());
    const float gridDepth = float(terrain->GetGridDepth());
    for (uint32_t j = 0; j < PageSize; ++j)
    {
        const int32_t down = std::min(int32_t(j) * step, rows);
        for (uint32_t i = 0; i < PageSize; ++i)
        {
            const int32_t across = std::min(int32_t(i) * step, columns);
            const int32_t pointColumn = column + across, pointRow = row + down;
            const PackedNormal& normal =
                *terrain->m_normals.At(uint32_t(pointRow * (terrain->m_gridWidth + 1) + pointColumn));
            nTerrainPageVertex& vertex = vertices[j * PageSize + i];
            vertex.x = float(across) * units;
            vertex.y = terrain->GetPointHeight(pointColumn, pointRow);
            vertex.z = -float(down) * units;
            vertex.normal[0] = normal.x;
            vertex.normal[1] = normal.y;
            vertex.normal[2] = normal.z;
            vertex.normal[3] = 0;
            vertex.u = float(pointColumn) / gridWidth;
            vertex.v = float(pointRow) / gridDepth;
        }
    }
}

void nTerrain::QuadNode::GetPatchPlacement(nMatrix4& placement) const
{
    const float scale = float(GetPageStep()) * terrain->GetResolution();
    placement = nMatrix4::FromTranslation(
                    float(column) * terrain->GetResolution() - terrain->GetWorldWidth() * 0.5f, 0.0f,
                    terrain->GetWorldDepth() * 0.5f - float(row) * terrain->GetResolution()) *
                nMatrix4::FromScale(scale, 1.0f, scale);
}

nMaterial* nTerrain::QuadNode::GetPatchMaterial() const
{
    return terrain->GetMaterial();
}
