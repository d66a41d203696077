#pragma once

#include "engine/items/nItem.h"
#include "platform/nstring/nString.h"

// The item part of a managed object: its transformation, the geometry it shows and the geometry
// that occludes for it. Its file block is "Object". Geometries are named here until the
// engine has geometry loaders; the names go back to the file unchanged.
class nObject : public nItem
{
public:
    explicit nObject(Quenvar* engine);
    ~nObject() override;

    bool IsGeometryCached() const { return m_cacheGeometry; }
    void SetGeometryCached(bool cached) { m_cacheGeometry = cached; }
    const nString& GetGeometryName() const { return m_geometryName; }
    void SetGeometryName(const char* name) { m_geometryName = name; }
    const nString& GetOccluderName() const { return m_occluderName; }
    void SetOccluderName(const char* name) { m_occluderName = name; }

    bool ParseTag(nMetaFile& file, nMetaTag& tag);
    nMetaTag* SerializeTag(nMetaFile& file) const;

private:
    bool m_cacheGeometry = true;
    nString m_geometryName;
    nString m_occluderName;
};
