#include "render/gl/nTrilist.h"

#include "core/base/nLog.h"
#include "geometry/nGeometry.h"
#include "geometry/nMaterialRenderFlags.h"
#include "platform/nPlatform.h"

#include <algorithm>
#include <new>

namespace
{
constexpr uint32_t Unmapped = UINT32_MAX;
constexpr uint32_t EndOfChain = UINT32_MAX;

// The polygons of one list as the counting pass closed it.
struct ListExtent
{
    uint32_t first = EndOfChain;
    uint32_t end = EndOfChain; // the first polygon of the next list
    uint32_t vertexCount = 0;
    uint32_t triangleCount = 0;
    uint32_t boneCount = 0;
    uint16_t bones[nTrilist::BoneLimit] = {};
};

// Builds the lists of one geometry. Each material's usable polygons are chained in polygon order,
// so a material's lists are found without walking the polygons of the others. A vertex the
// geometry marks as shareable (same attributes at every corner) is written once per list; its
// remap word holds its index in the list being built and is reset, through the touched list,
// before the next list.
class TrilistBuilder
{
public:
    TrilistBuilder(const nGeometry& geometry, uint32_t triangleLimit)
        // Capped so that three indices per triangle always count in 32 bits.
        : m_geometry(geometry), m_triangleLimit(std::min(triangleLimit, UINT32_MAX / 3 - UINT16_MAX)),
          m_skinned(geometry.vertices.GetCount() > 0 && geometry.weights.GetCount() >= geometry.vertices.GetCount())
    {
    }

    bool Prepare();
    bool Build(nTrilistArray& result);
    bool HasOversizedPolygon() const { return m_oversizedPolygon; }

private:
    uint32_t GetSlot(uint32_t polygon) const;
    bool IsUsable(uint32_t polygon) const;
    bool HasStream(uint32_t count) const { return count > 0 && count >= m_geometry.bindings.GetCount(); }
    bool TryTake(uint32_t polygon, bool first, ListExtent& extent);
    void ResetRemap(uint32_t from);
    void CloseList(uint32_t first, ListExtent& extent);
    nTrilist* NewList(uint32_t material, const ListExtent& extent) const;
    void WriteList(const ListExtent& extent, nTrilist& list);
    void WriteVertex(uint32_t vertex, uint32_t binding, const ListExtent& extent, nTrilist& list,
                     uint32_t at) const;

    const nGeometry& m_geometry;
    uint32_t m_triangleLimit;
    bool m_skinned;
    bool m_oversizedPolygon = false;
    nAutoArray<uint8_t> m_shareable{MemCategoryGeometry};
    nAutoArray<uint32_t> m_remap{MemCategoryGeometry};
    nAutoArray<uint32_t> m_touched{MemCategoryGeometry};
    uint32_t m_touchedCount = 0;
    nAutoArray<uint32_t> m_firstOfSlot{MemCategoryGeometry};
    nAutoArray<uint32_t> m_nextOfSlot{MemCategoryGeometry};
    nAutoArray<uint32_t> m_cornerIndices{MemCategoryGeometry};
};

uint32_t TrilistBuilder::GetSlot(uint32_t polygon) const
{
    // As the geometry's check does, a slot past the last one is the last one.
    const uint32_t slot = m_geometry.polygons.At(polygon)->material;
    const uint32_t slotCount = m_geometry.materials.GetCount();
    return slot < slotCount ? slot : slotCount - 1;
}

bool TrilistBuilder::IsUsable(uint32_t polygon) const
{
    const nPolygon& at = *m_geometry.polygons.At(polygon);
    if (at.bindingCount < 3 || uint64_t{at.firstBinding} + at.bindingCount > m_geometry.bindings.GetCount())
        return false;
    const uint32_t* corners = m_geometry.bindings.At(at.firstBinding);
    for (uint32_t corner = 0; corner < at.bindingCount; ++corner)
    {
        if (corners[corner] >= m_geometry.vertices.GetCount())
            return false;
    }
    return true;
}

bool TrilistBuilder::Prepare()
{
    nAutoArray<nVertexPolygons> vertexPolygons(MemCategoryGeometry);
    if (!m_geometry.BuildVertexPolygonTable(vertexPolygons))
    {
        nLogHolder::Get() << "[!] Could not allocate homogeneous vertex table.\n";
        return false;
    }
    if (!m_geometry.ComputeHomogeneousVertexTable(m_shareable, vertexPolygons, -1))
        return false;

    const uint32_t vertexCount = m_geometry.vertices.GetCount();
    const uint32_t polygonCount = m_geometry.polygons.GetCount();
    const uint32_t slotCount = m_geometry.materials.GetCount();
    uint32_t largestPolygon = 0;
    for (uint32_t polygon = 0; polygon < polygonCount; ++polygon)
        largestPolygon = std::max<uint32_t>(largestPolygon, m_geometry.polygons.At(polygon)->bindingCount);
    if (!m_remap.ResizeForOverwrite(vertexCount) || !m_touched.ResizeForOverwrite(vertexCount) ||
        !m_firstOfSlot.ResizeForOverwrite(slotCount) || !m_nextOfSlot.ResizeForOverwrite(polygonCount) ||
        !m_cornerIndices.ResizeForOverwrite(largestPolygon))
    {
        nLogHolder::Get() << "[!] Could not allocate memory to remap vertice!\n";
        return false;
    }
    for (uint32_t vertex = 0; vertex < vertexCount; ++vertex)
        *m_remap.At(vertex) = Unmapped;
    if (slotCount == 0)
        return true;

    // Chained from the back, so each chain comes out in polygon order.
    for (uint32_t slot = 0; slot < slotCount; ++slot)
        *m_firstOfSlot.At(slot) = EndOfChain;
    for (uint32_t polygon = polygonCount; polygon-- > 0;)
    {
        if (!IsUsable(polygon))
            continue;
        uint32_t& first = *m_firstOfSlot.At(GetSlot(polygon));
        *m_nextOfSlot.At(polygon) = first;
        first = polygon;
    }
    return true;
}

// Takes the polygon into the list being counted, or leaves the list as it was and answers false
// when the polygon would carry it past its bones or its vertices. The first polygon is always
// taken (a list that could not take it would never advance): bones past the limit are then left
// out of the map, and their weights drop to slot 0 with weight 0 when the list is written.
bool TrilistBuilder::TryTake(uint32_t polygon, bool first, ListExtent& extent)
{
    const nPolygon& at = *m_geometry.polygons.At(polygon);
    const uint32_t* corners = m_geometry.bindings.At(at.firstBinding);
    const uint32_t boneCountBefore = extent.boneCount;
    const uint32_t touchedBefore = m_touchedCount;
    const auto refuse = [&]
    {
        extent.boneCount = boneCountBefore;
        ResetRemap(touchedBefore);
        return false;
    };

    if (m_skinned)
    {
        for (uint32_t corner = 0; corner < at.bindingCount; ++corner)
        {
            const nSkinWeight& weight = *m_geometry.weights.At(corners[corner]);
            for (uint16_t bone : weight.bones)
            {
                const uint16_t* known = std::find(extent.bones, extent.bones + extent.boneCount, bone);
                if (known != extent.bones + extent.boneCount)
                    continue;
                if (extent.boneCount == nTrilist::BoneLimit)
                {
                    if (!first)
                        return refuse();
                    nLogHolder::Get() << "[!] Bone array safeguard exceeded!\n";
                    continue;
                }
                extent.bones[extent.boneCount++] = bone;
            }
        }
    }

    uint32_t newVertices = 0;
    for (uint32_t corner = 0; corner < at.bindingCount; ++corner)
    {
        const uint32_t vertex = corners[corner];
        if (!*m_shareable.At(vertex))
            ++newVertices;
        else if (*m_remap.At(vertex) == Unmapped)
        {
            *m_remap.At(vertex) = 0; // counted; its index comes with the writing pass
            *m_touched.At(m_touchedCount++) = vertex;
            ++newVertices;
        }
    }
    if (!first && extent.vertexCount + newVertices > nTrilist::VertexLimit)
        return refuse();
    extent.vertexCount += newVertices;
    extent.triangleCount += at.bindingCount - 2u;
    return true;
}

void TrilistBuilder::ResetRemap(uint32_t from)
{
    for (uint32_t i = from; i < m_touchedCount; ++i)
        *m_remap.At(*m_touched.At(i)) = Unmapped;
    m_touchedCount = from;
}

// The counting pass: from `first`, takes polygons of the chain until one would pass the list's
// limits.
void TrilistBuilder::CloseList(uint32_t first, ListExtent& extent)
{
    extent.first = first;
    uint32_t polygon = first;
    for (; polygon != EndOfChain; polygon = *m_nextOfSlot.At(polygon))
    {
        const bool isFirst = polygon == first;
        if (!isFirst)
        {
            const uint32_t triangles = m_geometry.polygons.At(polygon)->bindingCount - 2u;
            if (uint64_t{extent.triangleCount} + triangles >= m_triangleLimit ||
                extent.boneCount >= nTrilist::BoneStop)
                break;
        }
        if (!TryTake(polygon, isFirst, extent))
            break;
    }
    extent.end = polygon;
    ResetRemap(0);
}

nTrilist* TrilistBuilder::NewList(uint32_t material, const ListExtent& extent) const
{
    auto* list = new (std::nothrow) nTrilist;
    if (!list)
        return nullptr;
    list->material = material;
    const uint32_t count = extent.vertexCount;
    const nMaterial* listMaterial = m_geometry.GetMaterial(material);
    const bool tangents = HasStream(m_geometry.tangentFrames.GetCount()) && listMaterial &&
                          (listMaterial->renderFlags & MaterialNormalMapTangent);
    bool allocated = list->vertices.ResizeForOverwrite(count) &&
                     list->indices.ResizeForOverwrite(extent.triangleCount * 3) &&
                     list->boneMap.ResizeForOverwrite(extent.boneCount) &&
                     (!m_skinned || list->skin.ResizeForOverwrite(count)) &&
                     (!HasStream(m_geometry.vertexNormals.GetCount()) || list->normals.ResizeForOverwrite(count)) &&
                     (!tangents || list->tangentFrames.ResizeForOverwrite(count)) &&
                     (!HasStream(m_geometry.colors.GetCount()) || list->colors.ResizeForOverwrite(count));
    for (uint32_t set = 0; set < nUVMapCount && allocated; ++set)
        allocated = !HasStream(m_geometry.uvSets[set].GetCount()) || list->uvSets[set].ResizeForOverwrite(count);
    if (!allocated)
    {
        delete list;
        return nullptr;
    }
    std::copy(extent.bones, extent.bones + extent.boneCount, list->boneMap.GetData());
    return list;
}

void TrilistBuilder::WriteVertex(uint32_t vertex, uint32_t binding, const ListExtent& extent, nTrilist& list,
                                 uint32_t at) const
{
    *list.vertices.At(at) = *m_geometry.vertices.At(vertex);
    if (list.normals.GetCount())
        *list.normals.At(at) = *m_geometry.vertexNormals.At(binding);
    if (list.tangentFrames.GetCount())
        *list.tangentFrames.At(at) = *m_geometry.tangentFrames.At(binding);
    if (list.colors.GetCount())
        *list.colors.At(at) = *m_geometry.colors.At(binding);
    for (uint32_t set = 0; set < nUVMapCount; ++set)
    {
        if (list.uvSets[set].GetCount())
            *list.uvSets[set].At(at) = *m_geometry.uvSets[set].At(binding);
    }
    if (!list.skin.GetCount())
        return;
    const nSkinWeight& weight = *m_geometry.weights.At(vertex);
    nTrilistSkin& skin = *list.skin.At(at);
    for (uint32_t i = 0; i < 4; ++i)
    {
        const uint16_t* slot = std::find(extent.bones, extent.bones + extent.boneCount, weight.bones[i]);
        const bool mapped = slot != extent.bones + extent.boneCount;
        skin.slots[i] = mapped ? static_cast<uint8_t>(slot - extent.bones) : 0;
        skin.weights[i] = mapped ? weight.weights[i] : 0.0f;
    }
}

// The writing pass over the polygons the counting pass took; polygons are fans from corner 0.
void TrilistBuilder::WriteList(const ListExtent& extent, nTrilist& list)
{
    uint32_t nextVertex = 0;
    uint32_t* indices = list.indices.GetData();
    for (uint32_t polygon = extent.first; polygon != extent.end; polygon = *m_nextOfSlot.At(polygon))
    {
        const nPolygon& at = *m_geometry.polygons.At(polygon);
        const uint32_t* corners = m_geometry.bindings.At(at.firstBinding);
        uint32_t* cornerIndices = m_cornerIndices.GetData();
        for (uint32_t corner = 0; corner < at.bindingCount; ++corner)
        {
            const uint32_t vertex = corners[corner];
            const bool shareable = *m_shareable.At(vertex) != 0;
            if (shareable && *m_remap.At(vertex) != Unmapped)
            {
                cornerIndices[corner] = *m_remap.At(vertex);
                continue;
            }
            WriteVertex(vertex, at.firstBinding + corner, extent, list, nextVertex);
            if (shareable)
            {
                *m_remap.At(vertex) = nextVertex;
                *m_touched.At(m_touchedCount++) = vertex;
            }
            cornerIndices[corner] = nextVertex++;
        }
        if (at.bindingCount > nTrilist::RemapCapacity)
            m_oversizedPolygon = true;
        for (uint32_t k = 1; k + 1 < at.bindingCount; ++k)
        {
            *indices++ = cornerIndices[0];
            *indices++ = cornerIndices[k];
            *indices++ = cornerIndices[k + 1];
        }
    }
    ResetRemap(0);
}

bool TrilistBuilder::Build(nTrilistArray& result)
{
    for (uint32_t slot = 0; slot < m_geometry.materials.GetCount(); ++slot)
    {
        uint32_t polygon = *m_firstOfSlot.At(slot);
        while (polygon != EndOfChain)
        {
            ListExtent extent;
            CloseList(polygon, extent);
            nTrilist* list = NewList(slot, extent);
            if (!list || !result.PushBack(list))
            {
                delete list;
                nLogHolder::Get() << "[!] Couldn't allocate triangle list container objects.\n";
                return false;
            }
            WriteList(extent, *list);
            polygon = extent.end;
        }
    }
    return true;
}
} // namespace

std::unique_ptr<nTrilistArray> BuildTriangleLists(const nGeometry* geometry, uint32_t triangleLimit)
{
    nLog& log = nLogHolder::Get();
    log << "Building geometry triangle list...\n";
    const nPlatform& platform = nPlatform::Get();
    const uint64_t start = platform.GetClock();
    if (!geometry || geometry->polygons.GetCount() == 0)
    {
        log << "[!] Invalid geometry (" << (geometry ? geometry->GetNameText() : "") << ").\n";
        return nullptr;
    }
    std::unique_ptr<nTrilistArray> result(new (std::nothrow) nTrilistArray);
    if (!result)
    {
        log << "[!] Failed to allocate trilist object.\n";
        return nullptr;
    }
    TrilistBuilder builder(*geometry, triangleLimit);
    if (!builder.Prepare() || !builder.Build(*result))
        return nullptr;
    if (builder.HasOversizedPolygon())
        log << "[!] One or more polygon(s) vertex count exceeded remapping capability ("
            << nTrilist::RemapCapacity << ").\n";

    uint64_t triangles = 0, bones = 0;
    nListIterator<nTrilist*> iterator;
    while (const nTrilist* list = result->Next(iterator))
    {
        triangles += list->GetTriangleCount();
        bones += list->boneMap.GetCount();
    }
    const uint32_t listCount = result->GetCount();
    const uint64_t elapsed = (platform.GetClock() - start) * 1000 / platform.GetClockFrequency();
    log << "Done in " << static_cast<unsigned int>(elapsed) << "ms. Average: "
        << (listCount ? float(triangles) / float(listCount) : 0.0f) << " tri/list, "
        << (listCount ? float(bones) / float(listCount) : 0.0f) << " bone/list.\n";
    return result;
}
