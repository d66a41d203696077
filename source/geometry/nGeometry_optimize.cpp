#include "geometry/nGeometry.h"

#include "core/base/nLog.h"
#include "geometry/nGeometryOctreeNode.h"
#include "render/nEngineServices.h"
#include "render/nRenderer.h"

#include <algorithm>
#include <vector>

namespace
{
constexpr uint32_t OctreeDepthBudget = 48;

struct OctreeBuild
{
    nGeometry& source;
    uint32_t leafMax;
    uint32_t leaves = 0;
    uint32_t polygons = 0;
    // A source vertex's index in the leaf being built, UINT32_MAX when the leaf has none. Shared by
    // all leaves and reset after each, so that a leaf costs its own size, not the source's.
    std::vector<uint32_t> renumber{};
};

nMinMax BoundsOf(const nGeometry& source, const std::vector<uint32_t>& list)
{
    nMinMax bounds(nVector(0.0f, 0.0f, 0.0f, 1.0f), nVector(0.0f, 0.0f, 0.0f, 1.0f));
    bool first = true;
    for (uint32_t p : list)
    {
        const uint32_t* corners = source.GetPolygonBindings(p);
        for (uint32_t c = 0; c < source.polygons.At(p)->bindingCount; ++c)
        {
            if (corners[c] >= source.vertices.GetCount())
                continue;
            // nVector::Min and Max, inline: every level of the tree walks every corner again.
            const nVector& point = *source.vertices.At(corners[c]);
            const nVector& low = bounds.min;
            const nVector& high = bounds.max;
            bounds = first ? nMinMax(point, point)
                           : nMinMax(nVector(std::min(low.x, point.x), std::min(low.y, point.y),
                                             std::min(low.z, point.z)),
                                     nVector(std::max(high.x, point.x), std::max(high.y, point.y),
                                             std::max(high.z, point.z)));
            first = false;
        }
    }
    return bounds;
}

float Component(const nVector& v, uint32_t axis)
{
    return axis == 0 ? v.x : axis == 1 ? v.y : v.z;
}

bool IsBelow(const nGeometry& source, uint32_t polygon, uint32_t axis, float position)
{
    const uint32_t* corners = source.GetPolygonBindings(polygon);
    for (uint32_t c = 0; c < source.polygons.At(polygon)->bindingCount; ++c)
        if (corners[c] < source.vertices.GetCount() &&
            Component(*source.vertices.At(corners[c]), axis) < position)
            return true;
    return false;
}

float FindSplit(const nGeometry& source, const std::vector<uint32_t>& list, const nMinMax& bounds,
                uint32_t axis)
{
    float lo = Component(bounds.min, axis);
    float hi = Component(bounds.max, axis);
    float position = (lo + hi) * 0.5f;
    if (hi - lo <= 0.001f)
        return position;
    const uint32_t target = uint32_t(list.size() / 2);
    float best = position;
    uint32_t bestDistance = UINT32_MAX;
    while (true)
    {
        uint32_t below = 0;
        for (uint32_t p : list)
            below += IsBelow(source, p, axis, position) ? 1 : 0;
        const uint32_t distance = below > target ? below - target : target - below;
        if (distance < bestDistance)
        {
            bestDistance = distance;
            best = position;
        }
        if (below == target || hi - lo <= 0.001f)
            break;
        if (below <= target)
            lo = position;
        else
            hi = position;
        position = (lo + hi) * 0.5f;
    }
    return best;
}

template <typename T>
void CopyPerBinding(const nAutoArray<T>& from, nAutoArray<T>& to, uint32_t total,
                    const std::vector<std::pair<uint32_t, uint32_t>>& runs)
{
    if (from.GetCount() == 0 || !to.Resize(total))
        return;
    uint32_t write = 0;
    for (const auto& [first, count] : runs)
        for (uint32_t i = 0; i < count; ++i, ++write)
            if (first + i < from.GetCount())
                *to.At(write) = *from.At(first + i);
}

nGeometry* BuildLeaf(OctreeBuild& build, const std::vector<uint32_t>& list)
{
    nGeometry& source = build.source;
    auto* leaf = new nGeometry(source.engine);
    if (!leaf)
    {
        nLogHolder::Get() << "[!] Failed to allocate leaf geometry.\n";
        return nullptr;
    }
    std::vector<uint32_t>& renumber = build.renumber;
    std::vector<uint32_t> used;
    std::vector<std::pair<uint32_t, uint32_t>> runs;
    runs.reserve(list.size());
    for (uint32_t p : list)
    {
        const nPolygon& polygon = *source.polygons.At(p);
        runs.emplace_back(polygon.firstBinding, polygon.bindingCount);
        const uint32_t* corners = source.GetPolygonBindings(p);
        for (uint32_t c = 0; c < polygon.bindingCount; ++c)
            if (corners[c] < renumber.size() && renumber[corners[c]] == UINT32_MAX)
            {
                renumber[corners[c]] = uint32_t(used.size());
                used.push_back(corners[c]);
            }
    }
    // The shared renumbering table must be clean for the next leaf whatever happens to this one.
    auto abandon = [&]() -> nGeometry*
    {
        for (uint32_t vertex : used)
            renumber[vertex] = UINT32_MAX;
        delete leaf;
        nLogHolder::Get() << "[!] Failed to allocate leaf geometry.\n";
        return nullptr;
    };
    if (!leaf->vertices.ResizeForOverwrite(uint32_t(used.size())) || !leaf->SetPolygonCount(uint32_t(list.size())))
        return abandon();
    for (uint32_t i = 0; i < leaf->vertices.GetCount(); ++i)
        *leaf->vertices.At(i) = *source.vertices.At(used[i]);
    for (uint32_t i = 0; i < leaf->polygons.GetCount(); ++i)
    {
        leaf->polygons.At(i)->bindingCount = source.polygons.At(list[i])->bindingCount;
        leaf->polygons.At(i)->material = source.polygons.At(list[i])->material;
    }
    if (!leaf->AllocateBindings())
        return abandon();
    for (uint32_t i = 0; i < leaf->polygons.GetCount(); ++i)
    {
        const uint32_t* from = source.GetPolygonBindings(list[i]);
        uint32_t* to = leaf->GetPolygonBindings(i);
        for (uint32_t c = 0; c < leaf->polygons.At(i)->bindingCount; ++c)
            to[c] = from[c] < renumber.size() ? renumber[from[c]] : 0;
    }
    for (uint32_t vertex : used)
        renumber[vertex] = UINT32_MAX;
    if (source.polygonNormals.GetCount() == source.polygons.GetCount() &&
        leaf->polygonNormals.Resize(leaf->polygons.GetCount()))
        for (uint32_t i = 0; i < leaf->polygons.GetCount(); ++i)
            *leaf->polygonNormals.At(i) = *source.polygonNormals.At(list[i]);
    const uint32_t total = leaf->GetBindingTotal();
    CopyPerBinding(source.vertexNormals, leaf->vertexNormals, total, runs);
    CopyPerBinding(source.tangentFrames, leaf->tangentFrames, total, runs);
    CopyPerBinding(source.colors, leaf->colors, total, runs);
    for (uint32_t s = 0; s < nUVMapCount; ++s)
        CopyPerBinding(source.uvSets[s], leaf->uvSets[s], total, runs);
    if (leaf->materials.Resize(source.materials.GetCount()))
        for (uint32_t i = 0; i < source.materials.GetCount(); ++i)
            *leaf->materials.At(i) = *source.materials.At(i);
    leaf->name = nString::Format("%s (Leaf %u)", source.GetNameText(), build.leaves);
    ++build.leaves;
    build.polygons += uint32_t(list.size());
    leaf->box = leaf->GetMinMax(nullptr);
    if (source.engine)
        leaf->renderData = source.engine->GetRenderer()->SetupGeometry(leaf);
    return leaf;
}

void Split(OctreeBuild& build, nGeometryOctreeNode& node, std::vector<uint32_t>& list, uint32_t budget)
{
    nGeometry& source = build.source;
    node.box = BoundsOf(source, list);
    if (budget == 0 || list.size() <= build.leafMax)
    {
        nLogHolder::Get() << nString::Format("Octree node depth %u, containing %u polygon(s).\n",
                                             OctreeDepthBudget - budget, uint32_t(list.size()))
                                 .GetText();
        node.leaf = BuildLeaf(build, list);
        return;
    }
    const nVector extent = node.box.max - node.box.min;
    // The longest extent; a tie goes to the lower axis, so a flat square still splits across its face.
    node.axis = extent.x >= extent.y && extent.x >= extent.z ? 0 : extent.y >= extent.z ? 1 : 2;
    node.split = FindSplit(source, list, node.box, node.axis);
    std::vector<uint32_t> lowList;
    std::vector<uint32_t> highList;
    for (uint32_t p : list)
        (IsBelow(source, p, node.axis, node.split) ? lowList : highList).push_back(p);
    list.clear();
    list.shrink_to_fit();
    if (!lowList.empty())
    {
        node.low = new nGeometryOctreeNode(node.engine, &node);
        Split(build, *node.low, lowList, budget - 1);
    }
    if (!highList.empty())
    {
        node.high = new nGeometryOctreeNode(node.engine, &node);
        Split(build, *node.high, highList, budget - 1);
    }
}
} // namespace

bool nGeometry::Optimize(uint32_t maxPolygons)
{
    box = GetMinMax(nullptr);
    DeleteOctree();
    octree = new nGeometryOctreeNode(engine, nullptr);
    std::vector<uint32_t> list(polygons.GetCount());
    for (uint32_t i = 0; i < list.size(); ++i)
        list[i] = i;
    BuildPolygonBindingOffsets();
    OctreeBuild build{*this, 2 * std::max(maxPolygons, 512u)};
    build.renumber.assign(vertices.GetCount(), UINT32_MAX);
    Split(build, *octree, list, OctreeDepthBudget);
    nLogHolder::Get() << nString::Format("Octree summary: %u leaves referencing %u polygon(s).\n",
                                         build.leaves, build.polygons)
                             .GetText();
    keepFlags |= KeepMaterials | KeepOctree | KeepProxies;
    if (!engine || !engine->GetKeepGeometryData())
        ReleaseData();
    return true;
}
