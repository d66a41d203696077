#include "geometry/nGeometry.h"

#include "core/base/nLog.h"

#include <algorithm>
#include <vector>

namespace
{
// The first kept[p] entries of every polygon's old run, in polygon order.
template <typename T>
void CompactRuns(nAutoArray<T>& array, const std::vector<uint32_t>& oldFirst,
                 const std::vector<uint32_t>& kept, uint32_t newTotal)
{
    if (array.GetCount() == 0)
        return;
    nAutoArray<T> compacted(newTotal, array.GetCategory());
    uint32_t write = 0;
    for (uint32_t p = 0; p < kept.size(); ++p)
        for (uint32_t i = 0; i < kept[p] && write < compacted.GetCount(); ++i, ++write)
            if (oldFirst[p] + i < array.GetCount())
                *compacted.At(write) = *array.At(oldFirst[p] + i);
    array = static_cast<nAutoArray<T>&&>(compacted);
}

template <typename T>
void CompactPerPolygon(nAutoArray<T>& array, const std::vector<bool>& keep, uint32_t newCount)
{
    if (array.GetCount() != keep.size())
    {
        array.Free();
        return;
    }
    nAutoArray<T> compacted(newCount, array.GetCategory());
    uint32_t write = 0;
    for (uint32_t p = 0; p < keep.size() && write < compacted.GetCount(); ++p)
        if (keep[p])
            *compacted.At(write++) = *array.At(p);
    array = static_cast<nAutoArray<T>&&>(compacted);
}
} // namespace

// Shrinks every run to kept[p] corners (DroppedPolygon drops the polygon) together with every array indexed
// by binding or by polygon, so that no attribute moves onto another corner.
void nGeometry::CompactPolygons(std::vector<uint32_t> kept)
{
    std::vector<uint32_t> oldFirst(polygons.GetCount());
    std::vector<bool> keep(polygons.GetCount());
    uint32_t total = 0;
    uint32_t count = 0;
    for (uint32_t p = 0; p < polygons.GetCount(); ++p)
    {
        oldFirst[p] = polygons.At(p)->firstBinding;
        keep[p] = kept[p] != DroppedPolygon;
        if (!keep[p])
            kept[p] = 0;
        polygons.At(p)->bindingCount = uint16_t(kept[p]);
        total += kept[p];
        count += keep[p] ? 1 : 0;
    }
    CompactRuns(bindings, oldFirst, kept, total);
    CompactRuns(vertexNormals, oldFirst, kept, total);
    CompactRuns(tangentFrames, oldFirst, kept, total);
    CompactRuns(colors, oldFirst, kept, total);
    for (nAutoArray<nUV>& set : uvSets)
        CompactRuns(set, oldFirst, kept, total);
    if (count != polygons.GetCount())
    {
        CompactPerPolygon(polygonNormals, keep, count);
        CompactPerPolygon(polygonTangents, keep, count);
        nAutoArray<nPolygon> remaining(count, MemCategoryGeometry);
        uint32_t write = 0;
        for (uint32_t p = 0; p < keep.size() && write < remaining.GetCount(); ++p)
            if (keep[p])
                *remaining.At(write++) = *polygons.At(p);
        polygons = static_cast<nAutoArray<nPolygon>&&>(remaining);
    }
    uint32_t next = 0;
    for (uint32_t p = 0; p < polygons.GetCount(); ++p)
    {
        polygons.At(p)->firstBinding = next;
        next += polygons.At(p)->bindingCount;
    }
    bindingOffsets.Free();
}

// A polygon without corners (a corrupt text polygon) cannot be drawn, and one naming a vertex that
// does not exist would read outside the positions.
void nGeometry::DropUnusablePolygons()
{
    const auto unusable = [this](uint32_t p)
    {
        const uint32_t* corners = GetPolygonBindings(p);
        const uint32_t count = polygons.At(p)->bindingCount;
        for (uint32_t c = 0; c < count; ++c)
            if (corners[c] >= vertices.GetCount())
                return true;
        return count == 0;
    };
    // Sound files, the usual case, are only scanned.
    uint32_t first = 0;
    while (first < polygons.GetCount() && !unusable(first))
        ++first;
    if (first == polygons.GetCount())
        return;
    std::vector<uint32_t> kept(polygons.GetCount());
    for (uint32_t p = 0; p < polygons.GetCount(); ++p)
        kept[p] = p >= first && unusable(p) ? DroppedPolygon : polygons.At(p)->bindingCount;
    CompactPolygons(kept);
    nLogHolder::Get()
        << nString::Format(
               "[*] Polygons of geometry '%s' without corners or naming missing vertice were dropped.\n",
               GetNameText())
               .GetText();
}

void nGeometry::Check()
{
    nLog& log = nLogHolder::Get();
    log << nString::Format("[H] Checking geometry '%s'.\n", GetNameText()).GetText();
    // One pass finds both faults; sound files need nothing more.
    const uint32_t slots = materials.GetCount();
    uint32_t mostCorners = 0;
    uint32_t highestMaterial = 0;
    for (uint32_t p = 0; p < polygons.GetCount(); ++p)
    {
        mostCorners = std::max<uint32_t>(mostCorners, polygons.At(p)->bindingCount);
        highestMaterial = std::max<uint32_t>(highestMaterial, polygons.At(p)->material);
    }
    if (mostCorners > MaxPolygonBindings)
    {
        std::vector<uint32_t> kept(polygons.GetCount());
        for (uint32_t p = 0; p < polygons.GetCount(); ++p)
            kept[p] = std::min<uint32_t>(polygons.At(p)->bindingCount, MaxPolygonBindings);
        CompactPolygons(kept);
        log << nString::Format(
                   "[*] Polygons of geometry '%s' have more than %u corners; the extra corners were "
                   "dropped.\n",
                   GetNameText(), MaxPolygonBindings)
                   .GetText();
    }
    const bool badMaterial = polygons.GetCount() && highestMaterial >= slots;
    for (uint32_t p = 0; badMaterial && p < polygons.GetCount(); ++p)
        if (polygons.At(p)->material >= slots)
            polygons.At(p)->material = uint16_t(slots ? slots - 1 : 0);
    if (badMaterial)
        log << "[*] A polygon is using a non-existent material. Source file was probably incomplete.\n";
    bool badUVSet = false;
    for (uint32_t m = 0; m < slots; ++m)
    {
        nMaterial* material = materials.At(m)->Get();
        if (!material)
            continue;
        for (uint32_t s = 0; s < material->stageCount && s < nTextureStageCount; ++s)
            if (material->stages[s].uvSet >= nUVMapCount)
            {
                material->stages[s].uvSet = 0;
                badUVSet = true;
            }
    }
    if (badUVSet)
        log << nString::Format("[*] Some materials in '%s' are using one or more non-existent UV map.\n",
                               GetNameText())
                   .GetText();
}
