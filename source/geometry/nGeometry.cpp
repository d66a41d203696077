#include "geometry/nGeometry.h"

#include "core/base/nLog.h"
#include "core/base/nMemory.h"
#include "geometry/nGeometryOctreeNode.h"
#include "render/nCoreEventData.h"
#include "render/nEngineServices.h"

void* nGeometry::operator new(size_t size) noexcept
{
    return MemAllocGeometry(size);
}

void nGeometry::operator delete(void* memory) noexcept
{
    MemFreeGeometry(memory);
}

nGeometry::nGeometry(nEngineServices* engine) : engine(engine) {}

nGeometry::~nGeometry()
{
    const nCoreEventData data(this);
    if (engine)
        engine->SendCoreMessage(CoreMessageResourceDestroying, &data);
    Clear();
    if (engine)
        engine->SendCoreMessage(CoreMessageResourceDestroyed, &data);
    renderData = nullptr;
    DeleteOctree();
}

nMaterial* nGeometry::GetMaterial(uint32_t index) const
{
    if (materials.GetCount() == 0)
        return nullptr;
    return materials.At(index < materials.GetCount() ? index : 0)->Get();
}

bool nGeometry::AllocateMaterials(uint32_t count, bool createDefaults)
{
    FreeMaterialSlots();
    if (!materials.Resize(count))
    {
        nLogHolder::Get() << nString::Format("[!] Could not allocate material array for geometry '%s'.\n",
                                             GetNameText())
                                 .GetText();
        return false;
    }
    if (createDefaults)
        for (uint32_t i = 0; i < count; ++i)
            if (auto* material = new nMaterial(engine))
            {
                material->owner = this;
                material->embedded = true;
                *materials.At(i) = material;
            }
    if (materials.GetCount() == 0)
        nLogHolder::Get()
            << nString::Format("[!] No material slot in geometry %s\n", GetNameText()).GetText();
    return true;
}

bool nGeometry::HasMaterialFlags(uint32_t mask) const
{
    for (uint32_t i = 0; i < materials.GetCount(); ++i)
        if (const nMaterial* material = materials.At(i)->Get(); material && (material->renderFlags & mask))
            return true;
    return false;
}

bool nGeometry::HasMaterialWithout(uint32_t mask) const
{
    for (uint32_t i = 0; i < materials.GetCount(); ++i)
        if (const nMaterial* material = materials.At(i)->Get(); material && !(material->renderFlags & mask))
            return true;
    return false;
}

bool nGeometry::SetPolygonCount(uint32_t count)
{
    DeleteTree(); // it names polygons that are about to go
    bindings.Free();
    bindingOffsets.Free();
    polygons.Free();
    return polygons.Resize(count);
}

bool nGeometry::AllocateBindings()
{
    if (!bindings.Resize(0) || !bindings.Resize(GetBindingTotal()))
        return false;
    uint32_t next = 0;
    for (uint32_t i = 0; i < polygons.GetCount(); ++i)
    {
        polygons.At(i)->firstBinding = next;
        next += polygons.At(i)->bindingCount;
    }
    return true;
}

void nGeometry::BuildPolygonBindingOffsets()
{
    if (!bindingOffsets.Resize(polygons.GetCount()))
        return;
    uint32_t next = 0;
    for (uint32_t i = 0; i < polygons.GetCount(); ++i)
    {
        *bindingOffsets.At(i) = next;
        next += polygons.At(i)->bindingCount;
    }
}

bool nGeometry::AllocateSkin(uint32_t count)
{
    boneNames.Free();
    boneMatrices.Free();
    return boneNames.Resize(count) && boneMatrices.Resize(count);
}

uint32_t nGeometry::GetUVSetCount() const
{
    uint32_t count = 0;
    for (const nAutoArray<nUV>& set : uvSets)
        if (set.GetCount())
            ++count;
    return count;
}

uint32_t nGeometry::GetBindingTotal() const
{
    uint32_t total = 0;
    for (uint32_t i = 0; i < polygons.GetCount(); ++i)
        total += polygons.At(i)->bindingCount;
    return total;
}

void nGeometry::DeleteOctree()
{
    delete octree;
    octree = nullptr;
}

void nGeometry::FreeMaterialSlots()
{
    for (uint32_t i = 0; i < materials.GetCount(); ++i)
        if (nMaterial* material = materials.At(i)->Get(); material && material->owner == this)
            material->owner = nullptr;
    materials.Free();
}

void nGeometry::ReleaseData()
{
    if (!(keepFlags & KeepMaterials))
        FreeMaterialSlots();
    if (!(keepFlags & KeepTopology))
    {
        DeleteTree();
        vertices.Free();
        vertexNormals.Free();
        tangentFrames.Free();
        polygons.Free();
        bindings.Free();
        polygonNormals.Free();
        polygonTangents.Free();
        if (!(keepFlags & KeepBindingOffsets))
            bindingOffsets.Free();
    }
    if (!(keepFlags & KeepOctree))
        DeleteOctree();
    if (!(keepFlags & KeepProxies))
    {
        lodProxy = nullptr;
        shadowProxy = nullptr;
        lodDistance = DefaultLodDistance;
        flags &= ~uint32_t(FlagLodNull | FlagShadowNull);
    }
    if (!(keepFlags & KeepRenderData))
        renderData = nullptr;
    if (!(keepFlags & KeepMapping))
    {
        for (nAutoArray<nUV>& set : uvSets)
            set.Free();
        colors.Free();
    }
}

void nGeometry::Clear()
{
    boneNames.Free();
    boneMatrices.Free();
    weights.Free();
    keepFlags = 0;
    ReleaseData();
}

bool nGeometry::ComputeMinMaxFromVertices(const nAutoArray<nVector>& points, nMinMax& result,
                                          const nMatrix4* matrix)
{
    if (points.GetCount() == 0)
        return false;
    for (uint32_t i = 0; i < points.GetCount(); ++i)
    {
        nVector point = *points.At(i);
        if (matrix)
            point = point.MulMatrix4(*matrix);
        if (i == 0)
            result = nMinMax(point, point);
        else
        {
            result.min = result.min.Min(point);
            result.max = result.max.Max(point);
        }
    }
    return true;
}

nMinMax nGeometry::GetMinMax(const nMatrix4* matrix) const
{
    nMinMax result = box;
    if (ComputeMinMaxFromVertices(vertices, result, matrix))
        return result;
    if (matrix)
    {
        nAutoArray<nVector> corners(2, MemCategoryGeometry);
        if (corners.GetCount() == 2)
        {
            *corners.At(0) = box.min;
            *corners.At(1) = box.max;
            ComputeMinMaxFromVertices(corners, result, matrix);
        }
    }
    return result;
}
