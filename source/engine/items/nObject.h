#pragma once

#include "core/base/nSharedPtr.h"
#include "engine/items/nItem.h"

class nGeometry;

// The item part of a managed object: its transformation, the geometry it shows and the geometry
// that occludes for it, each held by a counted reference. Its file block is "Object", whose
// reader loads both through the engine's geometry loader.
class nObject : public nItem
{
public:
    explicit nObject(Quenvar* engine);
    ~nObject() override;

    // In the object's own space: the geometry's box, or the item's point box without one.
    void GetMinMax(nMinMax& out) override;

    // False makes the "Object" block load its geometry past the resource cache.
    bool IsGeometryCached() const { return m_cacheGeometry; }
    void SetGeometryCached(bool cached) { m_cacheGeometry = cached; }
    // Null clears; the object takes a reference on the new geometry and drops the old one.
    // Either way a name kept from a failed load is forgotten.
    void SetGeometry(nGeometry* geometry);
    nGeometry* GetGeometry() const { return m_geometry.Get(); }
    // Only held, read and written back: nothing draws or culls with it.
    void SetOccluder(nGeometry* occluder);
    nGeometry* GetOccluder() const { return m_occluder.Get(); }

    // Brings the skin matrices to the bound bones' places, once per frame after every item is
    // prepared. Objects carry no skin until skinned drawing comes, so there is nothing to move yet.
    void UpdateSkin() {}

    bool ParseTag(nMetaFile& file, nMetaTag& tag);
    nMetaTag* SerializeTag(nMetaFile& file) const;

private:
    // "Geometry" or "Occluder": loads the named geometry and makes it the object's.
    void ReadGeometryTag(const nMetaTag& tag);
    // The geometry's name, or without a geometry the name its load was asked for, when either is set.
    static void WriteGeometryName(nMetaTag& block, const char* tagName, const nGeometry* geometry,
                                  const nString& unloadedName);

    nSharedPtr<nGeometry> m_geometry;
    nSharedPtr<nGeometry> m_occluder;
    // The names a block gave for a geometry or occluder that did not load, written back in their
    // place so that saving a scene whose files are missing does not drop the references.
    nString m_unloadedGeometryName;
    nString m_unloadedOccluderName;
    bool m_cacheGeometry = true;
};
