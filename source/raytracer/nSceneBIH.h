#pragma once

#include "core/base/nAutoArray.h"
#include "core/base/nSharedPtr.h"
#include "core/math/nMatrix4.h"
#include "geometry/nBIH.h"
#include "raytracer/nRaytracerHit.h"
#include "raytracer/nRaytracerObject.h"

#include <cstdint>
#include <vector>

class nGeometry;
class nMObject;
class nScene;

// The raytracer's hierarchy over the objects of one scene, in world space; each leaf names up to
// three objects, whose own ray trees answer in their own space. Grabbing builds everything a
// frame reads (trees, normals, skinned copies) on the calling thread; a frame only reads it.
class nSceneBIH : public nBIH
{
public:
    static constexpr uint32_t SceneLeafLimit = 3;

    enum Pass : uint32_t
    {
        PassPrimary = 0,
        PassShadow = 1, // shadow proxies in place of geometries; no-shadow geometries left out
    };

    // The skin of an object at the grab: one matrix per bone, taking a point of the geometry as
    // stored to where the bone puts it, in the object's space.
    struct Skin
    {
        const nMatrix4* matrices = nullptr;
        uint32_t count = 0;
    };

    nSceneBIH();
    ~nSceneBIH() override;

    // Records hits in the nRaytracerHit that user points to.
    void IntersectLeaf(const nBIHLeaf& leaf, float tNear, float tFar, nBIHState& state, void* user) override;
    void Clear() override;

    // The scene's objects, then those of instances whose template is not part of the scene yet.
    // False after a log line when memory runs out.
    bool GrabScene(nScene* scene, uint32_t pass);
    // Whether a scene object is traced in the pass, and with which geometry (null when not).
    static nGeometry* SelectGeometry(nMObject& object, uint32_t pass);
    // Room for count objects; false after a log line when memory runs out.
    bool Reserve(uint32_t count);
    // Prepares the geometry for tracing (its tree, and the vertex normals and tangent frames its
    // materials read) and appends a record; a skinned geometry is traced as a deformed copy.
    // False when the geometry cannot be traced or no room is left.
    bool AddObject(nMObject* item, nGeometry* geometry, nGeometry* traced, const nMatrix4& world,
                   const nMatrix3& rotation, float fade, const Skin& skin);
    // Builds the hierarchy over the objects added; true with none.
    bool BuildHierarchy();

    // Before a frame, on the thread that grabbed: trees released since are built again.
    void Refresh();

    // The nearest hit (or, when closest is false, any hit) along the ray; maxDistance limits it
    // when positive. The ray counts in rayCount.
    void TraceRay(nRaytracerHit& hit, const nVector& origin, const nVector& direction, float maxDistance,
                  bool closest, uint64_t& rayCount) const;

    uint32_t GetObjectCount() const { return m_objectCount; }
    const nRaytracerObject& GetObject(uint32_t index) const { return *m_objects.At(index); }
    const nScene* GetScene() const { return m_scene; }
    uint32_t GetTemporaryGeometryCount() const { return uint32_t(m_temporaryGeometries.size()); }

    // Every ray cast through the hierarchy, summed after each pass of a frame.
    uint64_t rayCount = 0;

private:
    void TestLeaf(const nBIHLeaf& leaf, nBIHState& state, nRaytracerHit& hit, float maxDistance) const;

    nScene* m_scene = nullptr;
    nAutoArray<nRaytracerObject> m_objects;
    nAutoArray<nMinMax> m_boxes; // world boxes of the objects
    uint32_t m_objectCount = 0;
    std::vector<nSharedPtr<nGeometry>> m_temporaryGeometries; // skinned copies
    std::vector<nSharedPtr<nScene>> m_instanceScenes;         // templates loaded for the grab
};
