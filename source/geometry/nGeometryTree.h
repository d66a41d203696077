#pragma once

#include "geometry/nGeometryHit.h"

#include <cstddef>

class nGeometry;
class nVector;

// A ray tree that a geometry owns. Once built it is only read by Intersect, so any number of
// threads may query it at once; building and clearing belong to the geometry's owner thread.
class nGeometryTree
{
public:
    enum Kind : int32_t
    {
        KindBIH = 0,
        KindKDTree = 1,
    };

    static void* operator new(size_t size) noexcept;
    static void operator delete(void* memory) noexcept;

    nGeometryTree() = default;
    nGeometryTree(const nGeometryTree&) = delete;
    nGeometryTree& operator=(const nGeometryTree&) = delete;
    virtual ~nGeometryTree() = default;

    // The nearest hit along the ray into the record; maxDistance limits the ray as each kind says.
    virtual void Intersect(nGeometryHit& hit, const nVector& origin, const nVector& direction,
                           float maxDistance) const = 0;
    // False leaves the tree empty; an empty tree reports no hit.
    virtual bool Build(nGeometry* geometry) = 0;
    virtual void Clear() = 0;

    const nGeometry* GetGeometry() const { return m_geometry; }

protected:
    const nGeometry* m_geometry = nullptr;
};
