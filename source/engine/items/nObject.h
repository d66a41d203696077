#pragma once

#include "engine/items/nItem.h"

// The item part of a managed object: its transformation, the geometry it shows and the geometry
// that occludes for it. Its file block is "Object".
class nObject : public nItem
{
public:
    explicit nObject(Quenvar* engine);
    ~nObject() override;

    bool IsGeometryCached() const { return m_cacheGeometry; }
    void SetGeometryCached(bool cached) { m_cacheGeometry = cached; }

    bool ParseTag(nMetaFile& file, nMetaTag& tag);
    nMetaTag* SerializeTag(nMetaFile& file) const;

private:
    bool m_cacheGeometry = true;
};
