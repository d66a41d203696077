#include "engine/scene/nScene.h"

#include "core/base/nLog.h"
#include "core/nml/nMetaFile.h"
#include "core/nml/nMetaTag.h"
#include "engine/Quenvar.h"
#include "engine/items/nMObject.h"
#include "geometry/nGeometry.h"

#include <algorithm>
#include <unordered_set>
#include <vector>

namespace
{
// Geometries at or below this size draw well enough whole.
constexpr uint32_t OctreePolygonThreshold = 8192;

// The geometry, its shadow proxies and its level-of-detail chain, each once, in that order. A
// link of a geometry to itself is cut; longer cycles are walked once.
void CollectWithProxies(nGeometry* geometry, std::unordered_set<nGeometry*>& seen,
                        std::vector<nGeometry*>& out)
{
    if (!geometry || !seen.insert(geometry).second)
        return;
    if (geometry->shadowProxy.Get() == geometry)
        geometry->shadowProxy = nullptr;
    if (geometry->lodProxy.Get() == geometry)
        geometry->lodProxy = nullptr;
    out.push_back(geometry);
    CollectWithProxies(geometry->shadowProxy.Get(), seen, out);
    CollectWithProxies(geometry->lodProxy.Get(), seen, out);
}

bool IsOctreeCandidate(const nGeometry& geometry)
{
    return !geometry.octree && geometry.weights.GetCount() == 0 &&
           geometry.polygons.GetCount() > OctreePolygonThreshold;
}
} // namespace

// Loading a scene's geometries ahead fills the engine's current cache, where the scene's own
// load later finds them; the scene keeps no reference itself.
bool nScene::PreloadResources(const char* path)
{
    nLogHolder::Get() << "[H] Preloading scene '" << path << "' resources.\n";
    nMetaFile file;
    if (!file.Load(path))
        return false;
    const nMetaTag* root = file.GetTypedTag("Scene", TagTypeNone);
    const nMetaTag* items = root ? root->GetTag("Items") : nullptr;
    if (!items || !m_engine)
        return true;
    nLinkedListIterator iterator;
    while (const nMetaTag* item = items->GetNextChild(iterator))
    {
        if (item->GetName() != "MObject")
            continue;
        if (const nMetaTag* geometry = item->GetTypedTag("Object:Geometry", TagTypeString))
            m_engine->LoadGeometry(geometry->GetValue().GetText().GetText(), false, false);
    }
    return true;
}

// A large geometry that only one object shows is split into an octree, so the object draws the
// leaves in view; a shared one is left whole, since the split would serve one user's needs only.
void nScene::OptimizeGeometries(int32_t octreeParameter)
{
    std::unordered_set<nGeometry*> seen;
    std::vector<nGeometry*> geometries;
    nWalkList<nMItem*>::Walk items(m_allItems);
    while (nMItem* item = items.Next())
        if (item->GetKind() == ItemTypeObject)
            CollectWithProxies(static_cast<nMObject*>(item)->GetObject().GetGeometry(), seen, geometries);

    for (nGeometry* geometry : geometries)
    {
        if (!IsOctreeCandidate(*geometry))
            continue;
        uint32_t users = 0;
        nListIterator<nMObject*> objects;
        while (nMObject* object = m_objects.Next(objects))
            users += object->GetObject().GetGeometry() == geometry;
        if (users >= 2)
            nLogHolder::Get()
                << "[*] Geometry '" << geometry->GetNameText()
                << "' should be optimized but will not be as it is used by more than one item.\n";
        else if (users == 1)
        {
            nLogHolder::Get() << "   Generating octree for geometry '" << geometry->GetNameText() << "'.\n";
            geometry->Optimize(static_cast<uint32_t>(std::max(octreeParameter, 0)));
        }
    }
}
