#include "geometry/nGeometry.h"

#include "core/base/nLog.h"
#include "core/math/nMatrix3.h"
#include "geometry/nSafeNormal.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace
{
const nColor MissingColor(1.0f, 1.0f, 1.0f, 1.0f);
const nUV MissingUV(0.5f, 0.5f);

// Normals follow a surface through the inverse transpose of the matrix's linear part; for a
// matrix that flattens space (no inverse), through its adjugate, which points the same way.
struct nNormalTransform
{
    explicit nNormalTransform(const nMatrix4* matrix) : identity(matrix == nullptr)
    {
        if (matrix)
        {
            nMatrix3 inverse;
            matrix->GetMatrix3().Inverse(inverse);
            linear = inverse.Transpose();
        }
    }
    nVector operator()(const nVector& normal) const
    {
        return identity ? normal : SafeNormalized(normal.MulMatrix3(linear));
    }

    bool identity;
    nMatrix3 linear;
};

// Writes the first count values of the source (fewer when it holds fewer), each transformed; the
// rest of the run keeps what the destination held.
template <typename T, typename Transform>
void CopyRun(nAutoArray<T>& destination, uint32_t at, const nAutoArray<T>& source, uint32_t count,
             Transform transform)
{
    const uint32_t available = std::min(count, source.GetCount());
    for (uint32_t i = 0; i < available; ++i)
        *destination.At(at + i) = transform(*source.At(i));
}

template <typename T> void FillRun(nAutoArray<T>& destination, uint32_t at, uint32_t count, const T& value)
{
    for (uint32_t i = 0; i < count; ++i)
        *destination.At(at + i) = value;
}

// Per-binding values of both parts, a's then b's; a part without them contributes the default.
template <typename T>
bool MergePerBinding(nAutoArray<T>& merged, const nAutoArray<T>& a, uint32_t aCount, const nAutoArray<T>& b,
                     uint32_t bCount, const T& missing)
{
    if (a.GetCount() == 0 && b.GetCount() == 0)
        return true;
    if (!merged.Resize(aCount + bCount))
        return false;
    const auto copy = [](const T& value) { return value; };
    if (a.GetCount())
        CopyRun(merged, 0, a, aCount, copy);
    else
        FillRun(merged, 0, aCount, missing);
    if (b.GetCount())
        CopyRun(merged, aCount, b, bCount, copy);
    else
        FillRun(merged, aCount, bCount, missing);
    return true;
}

bool SameStages(const nMaterial& a, const nMaterial& b)
{
    for (uint32_t channel = 1; channel < ChannelCount; ++channel)
    {
        const nTextureStage* first = a.GetChannel(channel, true);
        const nTextureStage* second = b.GetChannel(channel, true);
        if (!first != !second)
            return false;
        if (first && (first->texture != second->texture || first->uvSource != second->uvSource ||
                      first->uvSet != second->uvSet))
            return false;
    }
    return true;
}

bool Foldable(const nMaterial* a, const nMaterial* b, uint32_t flags)
{
    if (a == b)
        return true;
    if (!a || !b)
        return false;
    if (flags & nGeometry::MergeMaterialsByFields)
        return a->IsSameAs(*b);
    if ((flags & nGeometry::MergeMaterialsByName) && !(a->name == b->name))
        return false;
    return !(flags & nGeometry::MergeMaterialsByStages) || SameStages(*a, *b);
}
} // namespace

nGeometry* nGeometry::Merge(nGeometry* a, nGeometry* b, const nMatrix4* matrixA, const nMatrix4* matrixB)
{
    nLog& log = nLogHolder::Get();
    if (!a || !b)
    {
        log << "[!] Cannot merge NULL geometry.\n";
        return nullptr;
    }
    const uint64_t vertexTotal = uint64_t(a->vertices.GetCount()) + b->vertices.GetCount();
    const uint64_t bindingTotal = uint64_t(a->bindings.GetCount()) + b->bindings.GetCount();
    const uint64_t polygonTotal = uint64_t(a->polygons.GetCount()) + b->polygons.GetCount();
    const uint64_t slotTotal = uint64_t(a->materials.GetCount()) + b->materials.GetCount();
    auto* merged = std::max({vertexTotal, bindingTotal, polygonTotal, slotTotal}) <= UINT32_MAX
                       ? new nGeometry(a->engine)
                       : nullptr;
    if (!merged)
    {
        log << "[!] Failed to allocate merged geometry.\n";
        return nullptr;
    }
    merged->name = a->name;
    if (a->polygonNormals.GetCount() || b->polygonNormals.GetCount())
    {
        a->ComputePolygonNormal(false);
        b->ComputePolygonNormal(false);
    }
    if (a->vertexNormals.GetCount() || b->vertexNormals.GetCount())
    {
        a->ComputeVertexNormals(false, -1.0f);
        b->ComputeVertexNormals(false, -1.0f);
    }

    const uint32_t aVertices = a->vertices.GetCount(), bVertices = b->vertices.GetCount();
    const uint32_t aBindings = a->bindings.GetCount(), bBindings = b->bindings.GetCount();
    const uint32_t aPolygons = a->polygons.GetCount(), bPolygons = b->polygons.GetCount();
    const uint32_t aSlots = a->materials.GetCount(), bSlots = b->materials.GetCount();
    const nNormalTransform aNormals(matrixA), bNormals(matrixB);
    const auto place = [](const nMatrix4* matrix)
    {
        return [matrix](const nVector& v)
        { return matrix ? v.MulMatrix4(*matrix) : nVector(v.x, v.y, v.z, 1.0f); };
    };
    bool allocated = merged->vertices.Resize(aVertices + bVertices) &&
                     merged->bindings.Resize(aBindings + bBindings) &&
                     merged->polygons.Resize(aPolygons + bPolygons);
    if (allocated)
    {
        CopyRun(merged->vertices, 0, a->vertices, aVertices, place(matrixA));
        CopyRun(merged->vertices, aVertices, b->vertices, bVertices, place(matrixB));
        CopyRun(merged->bindings, 0, a->bindings, aBindings, [](uint32_t v) { return v; });
        CopyRun(merged->bindings, aBindings, b->bindings, bBindings,
                [aVertices](uint32_t v) { return v + aVertices; });
        CopyRun(merged->polygons, 0, a->polygons, aPolygons, [](const nPolygon& p) { return p; });
        CopyRun(merged->polygons, aPolygons, b->polygons, bPolygons,
                [aBindings, aSlots](const nPolygon& p)
                {
                    const uint32_t slot = uint32_t(p.material) + aSlots;
                    return nPolygon{p.bindingCount, uint16_t(std::min<uint32_t>(slot, UINT16_MAX)),
                                    p.firstBinding + aBindings};
                });
    }
    if (allocated && (a->polygonNormals.GetCount() || b->polygonNormals.GetCount()))
    {
        allocated = merged->polygonNormals.Resize(aPolygons + bPolygons);
        if (allocated)
        {
            CopyRun(merged->polygonNormals, 0, a->polygonNormals, aPolygons, aNormals);
            CopyRun(merged->polygonNormals, aPolygons, b->polygonNormals, bPolygons, bNormals);
        }
    }
    if (allocated && (a->vertexNormals.GetCount() || b->vertexNormals.GetCount()))
    {
        allocated = merged->vertexNormals.Resize(aBindings + bBindings);
        if (allocated)
        {
            CopyRun(merged->vertexNormals, 0, a->vertexNormals, aBindings, aNormals);
            CopyRun(merged->vertexNormals, aBindings, b->vertexNormals, bBindings, bNormals);
        }
    }
    allocated = allocated &&
                MergePerBinding(merged->colors, a->colors, aBindings, b->colors, bBindings, MissingColor);
    for (uint32_t set = 0; set < nUVMapCount; ++set)
        allocated = allocated && MergePerBinding(merged->uvSets[set], a->uvSets[set], aBindings,
                                                 b->uvSets[set], bBindings, MissingUV);
    allocated = allocated && merged->AllocateMaterials(aSlots + bSlots, false);
    if (!allocated)
    {
        log << "[!] Failed to allocate merged geometry.\n";
        delete merged;
        return nullptr;
    }
    CopyRun(merged->materials, 0, a->materials, aSlots, [](const nSharedPtr<nMaterial>& m) { return m; });
    CopyRun(merged->materials, aSlots, b->materials, bSlots,
            [](const nSharedPtr<nMaterial>& m) { return m; });
    merged->MergeMaterials(MergeMaterialsByFields);
    merged->Check();
    merged->box = merged->GetMinMax(nullptr);
    return merged;
}

void nGeometry::MergeMaterials(uint32_t flags)
{
    const uint32_t count = materials.GetCount();
    if (count < 2)
        return;
    nLog& log = nLogHolder::Get();
    log << nString::Format("Merging materials in geometry '%s'...\n", GetNameText()).GetText();
    std::vector<uint32_t> slotOf(count); // the new slot of each old one
    std::vector<uint32_t> kept;          // the old slots that stay, in order
    for (uint32_t slot = 0; slot < count; ++slot)
    {
        const nMaterial* material = materials.At(slot)->Get();
        uint32_t folded = 0;
        while (folded < kept.size() && !Foldable(materials.At(kept[folded])->Get(), material, flags))
            ++folded;
        if (folded == kept.size())
            kept.push_back(slot);
        slotOf[slot] = folded;
    }
    const uint32_t removed = count - uint32_t(kept.size());
    if (removed)
    {
        nAutoArray<nSharedPtr<nMaterial>> table(uint32_t(kept.size()), materials.GetCategory());
        if (table.GetCount() != kept.size())
        {
            log << "[!] Failed to allocate new material table.\n";
            return;
        }
        for (uint32_t i = 0; i < kept.size(); ++i)
            *table.At(i) = *materials.At(kept[i]);
        for (uint32_t slot = 0; slot < count; ++slot)
        {
            nMaterial* material = materials.At(slot)->Get();
            if (material && material->owner == this && table.At(slotOf[slot])->Get() != material)
                material->owner = nullptr;
        }
        materials = static_cast<nAutoArray<nSharedPtr<nMaterial>>&&>(table);
        for (uint32_t p = 0; p < polygons.GetCount(); ++p)
            if (nPolygon& polygon = *polygons.At(p); polygon.material < count)
                polygon.material = uint16_t(slotOf[polygon.material]);
    }
    log << nString::Format("Done, merged %u material slot(s).\n", removed).GetText();
}
