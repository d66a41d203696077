#include "physics/nBulletWorld.h"

#include "core/base/nLog.h"
#include "physics/nBulletConvex.h"
#include "physics/nBulletMesh.h"
#include "physics/nPhysicGeometrySource.h"
#include "physics/nPhysicMeshData.h"

#include <cmath>
#include <new>

namespace
{
template <typename T> T* FindCached(const nList<nSharedPtr<T>*>& cache, const nString& geometryName)
{
    nListIterator<nSharedPtr<T>*> iterator;
    while (nSharedPtr<T>* entry = cache.Next(iterator))
        if ((*entry)->GetGeometryName() == geometryName)
            return entry->Get();
    return nullptr;
}

// Keeps the object with one reference of the cache's own; null when the entry cannot be made.
template <typename T> T* AddCached(nAutoList<nSharedPtr<T>*>& cache, T* object)
{
    nSharedPtr<T>* entry = new (std::nothrow) nSharedPtr<T>(object);
    if (!entry || !cache.PushBack(entry))
    {
        if (entry)
            delete entry;
        else
            delete object;
        return nullptr;
    }
    return object;
}

bool HasFinitePositions(const nPhysicMeshData& data)
{
    for (uint32_t i = 0; i < data.positions.GetCount(); ++i)
        if (!std::isfinite(*data.positions.At(i)))
            return false;
    return true;
}
} // namespace

bool nBulletWorld::ReadGeometry(const nString& geometryName, nPhysicMeshData& data)
{
    if (!m_geometrySource || !m_geometrySource->ReadGeometry(geometryName, data))
        return false;
    if (!HasFinitePositions(data))
    {
        nLogHolder::Get() << "[!] Invalid vertex positions in '" << geometryName
                          << "' to build collision shape.\n";
        return false;
    }
    return true;
}

nBulletConvex* nBulletWorld::GetConvex(const nString& geometryName)
{
    if (nBulletConvex* cached = FindCached(m_convexCache, geometryName))
        return cached;
    nPhysicMeshData data;
    if (!ReadGeometry(geometryName, data))
        return nullptr;
    if (data.GetVertexCount() == 0)
    {
        nLogHolder::Get() << "[!] No geometry data in '" << geometryName << "' to build collision shape.\n";
        return nullptr;
    }
    nBulletConvex* convex = nBulletConvex::Create(geometryName, data);
    if (!convex)
    {
        nLogHolder::Get() << "[!] Failed to allocate bullet convex.\n";
        return nullptr;
    }
    return AddCached(m_convexCache, convex);
}

nBulletMesh* nBulletWorld::GetMesh(const nString& geometryName)
{
    if (nBulletMesh* cached = FindCached(m_meshCache, geometryName))
        return cached;
    nPhysicMeshData data;
    if (!ReadGeometry(geometryName, data))
        return nullptr;
    if (data.GetVertexCount() == 0 || data.GetPolygonCount() == 0)
    {
        nLogHolder::Get() << "[!] No geometry data in '" << geometryName << "' to build collision shape.\n";
        return nullptr;
    }
    nBulletMesh* mesh = nBulletMesh::Create(geometryName, data);
    if (!mesh)
    {
        nLogHolder::Get() << "[!] Failed to allocate bullet mesh.\n";
        return nullptr;
    }
    return AddCached(m_meshCache, mesh);
}

void nBulletWorld::ClearShapeCaches()
{
    m_convexCache.Clear();
    m_meshCache.Clear();
}
