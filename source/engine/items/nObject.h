#pragma once

#include "core/base/nSharedPtr.h"
#include "engine/items/nItem.h"
#include "engine/items/nObjectSkin.h"
#include "render/nRenderable.h"

#include <memory>

class nGeometry;
class nGeometryOctreeNode;

// The item part of a managed object: its transformation, the geometry it shows and the geometry
// that occludes for it, each held by a counted reference. Its file block is "Object", whose
// reader loads both through the engine's geometry loader. As a renderable it picks a level of
// detail by distance and queues one draw entry per visible geometry. While the geometry has bones
// the object holds a skin whose slots bind scene items to them.
class nObject : public nItem, public nRenderable
{
public:
    // Longer level-of-detail chains are cut here (a chain that loops would never end).
    static constexpr uint32_t MaxLodLevels = 16;

    explicit nObject(Quenvar* engine);
    ~nObject() override;

    // In the object's own space: the skinned pose's box, the geometry's box, or the item's point
    // box without a geometry.
    void GetMinMax(nMinMax& out) override;

    // Ready to draw unless its managed item is disabled.
    bool IsRenderable() const override;
    // The axis-aligned world box of GetMinMax under the world matrix.
    void GetWorldMinMax(nMinMax& box) const override;
    void Render(nCamera* camera, nItem* viewItem, nAutoList<nRenderablePrimitive*>* drawList, int32_t pass,
                bool cull) override;
    const nMatrix4* GetRenderBoneMatrices(uint32_t& count) const override;

    // False makes the "Object" block load its geometry past the resource cache.
    bool IsGeometryCached() const { return m_cacheGeometry; }
    void SetGeometryCached(bool cached) { m_cacheGeometry = cached; }
    // Nothing when it is the current geometry. Otherwise the skin goes, the object takes a
    // reference on the new geometry and drops the old one, and with rebuildSkin a fresh skin with
    // every slot unbound is made. A name kept from a failed load is forgotten either way.
    void SetGeometry(nGeometry* geometry, bool rebuildSkin = true);
    nGeometry* GetGeometry() const { return m_geometry.Get(); }
    // Only held, read and written back: nothing draws or culls with it.
    void SetOccluder(nGeometry* occluder);
    nGeometry* GetOccluder() const { return m_occluder.Get(); }

    // Skin. The number of bones everyone sees is the skin's entry count (0 without a skin).
    nObjectSkin* GetSkin() const { return m_skin.get(); }
    uint32_t GetBoneCount() const { return m_skin ? m_skin->GetCount() : 0; }
    // A skin for the geometry's bones (none when it has none); false after a log line when the
    // skin cannot be allocated, leaving none.
    bool AllocateSkin();
    void FreeSkin();
    // Binds the slot to the item (null unbinds) and marks the item as a bone; false when the index
    // is not a slot of the skin.
    bool BindBone(uint32_t index, nItem* item);
    // The item bound to the slot, or null.
    nItem* GetBone(uint32_t index) const;
    // Unbinds every slot bound to the item.
    void UnbindItem(const nItem* item);
    // Brings the skin matrices to the bound bones' places, once per frame after every item is
    // prepared; an unbound slot keeps the pose the geometry was stored in.
    void UpdateSkin();
    bool GetBindMatrix(uint32_t index, nMatrix4& out) const;
    // The bone boxes from the weighted vertices; false without a skin that matches the geometry.
    bool ComputeBoneBoxes();

    bool ParseTag(nMetaFile& file, nMetaTag& tag);
    nMetaTag* SerializeTag(nMetaFile& file) const;

private:
    // The geometry to draw for this distance and pass, or null when nothing is drawn.
    nGeometry* SelectGeometry(float squaredDistance, int32_t pass) const;
    // "Geometry" or "Occluder": loads the named geometry and makes it the object's.
    void ReadGeometryTag(const nMetaTag& tag);
    // The geometry's name, or without a geometry the name its load was asked for, when either is set.
    static void WriteGeometryName(nMetaTag& block, const char* tagName, const nGeometry* geometry,
                                  const nString& unloadedName);

    nSharedPtr<nGeometry> m_geometry;
    nSharedPtr<nGeometry> m_occluder;
    std::unique_ptr<nObjectSkin> m_skin;
    // The names a block gave for a geometry or occluder that did not load, written back in their
    // place so that saving a scene whose files are missing does not drop the references.
    nString m_unloadedGeometryName;
    nString m_unloadedOccluderName;
    bool m_cacheGeometry = true;
};
