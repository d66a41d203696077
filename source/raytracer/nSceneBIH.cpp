#include "raytracer/nSceneBIH.h"

#include "core/base/nLog.h"
#include "core/base/nMemory.h"
#include "engine/items/nMObject.h"
#include "engine/items/nObjectSkin.h"
#include "engine/scene/nInstance.h"
#include "engine/scene/nScene.h"
#include "geometry/nGeometryTree.h"
#include "raytracer/nSkinnedGeometry.h"
#include "render/shader/nShaderBlock.h"
#include "render/shader/nShaderMap.h"

#include <new>

namespace
{
constexpr uint32_t ExcludedStateFlags = 64 | 128;

struct Candidate
{
    nMObject* object;
    nMatrix4 placement; // an instance's world matrix for objects of a template, else identity
};

bool MapHasBlock(const nShaderMap& map, int32_t kind)
{
    for (const nShaderBlock* block : map.CollectBlocks())
        if (block->GetKind() == kind)
            return true;
    return false;
}

// Without a shader map root for the normal, the surface normal comes from the material's flags.
bool UsesSurfaceNormal(const nMaterial& material)
{
    return !material.shaderMap || !material.shaderMap->roots[nShaderMap::RootNormal];
}

bool NeedsVertexNormals(const nMaterial& material)
{
    if (UsesSurfaceNormal(material) &&
        (material.renderFlags & (MaterialSmoothing | MaterialNormalMapTangent)))
        return true;
    return material.shaderMap && (MapHasBlock(*material.shaderMap, ShaderBlockGeometryNormal) ||
                                  MapHasBlock(*material.shaderMap, ShaderBlockGeometryTangentFrame));
}

bool NeedsTangentFrames(const nMaterial& material)
{
    if (UsesSurfaceNormal(material) && (material.renderFlags & MaterialNormalMapTangent) &&
        material.GetChannel(ChannelNormal, true))
        return true;
    return material.shaderMap && MapHasBlock(*material.shaderMap, ShaderBlockGeometryTangentFrame);
}

// Nothing is set up on the renderer for offline frames, so the grab computes what the materials
// read and the geometry lacks; the tree is built here, never by a frame's workers.
bool PrepareGeometry(nGeometry& geometry)
{
    if (geometry.bindingOffsets.GetCount() != geometry.polygons.GetCount())
        geometry.BuildPolygonBindingOffsets();
    bool normals = false;
    bool tangents = false;
    for (uint32_t slot = 0; slot < geometry.materials.GetCount(); ++slot)
        if (const nMaterial* material = geometry.GetMaterial(slot))
        {
            normals = normals || NeedsVertexNormals(*material);
            tangents = tangents || NeedsTangentFrames(*material);
        }
    const uint32_t bindingTotal = geometry.GetBindingTotal();
    if ((normals || tangents) && geometry.vertexNormals.GetCount() != bindingTotal)
        geometry.ComputeVertexNormals(geometry.vertexNormals.GetCount() != 0, -1.0f);
    if (tangents && geometry.tangentFrames.GetCount() != bindingTotal &&
        geometry.vertexNormals.GetCount() == bindingTotal)
        geometry.ComputeVertexTangents(geometry.tangentFrames.GetCount() != 0, false, false);
    geometry.CreateTree(nGeometryTree::KindBIH);
    return geometry.tree != nullptr;
}

bool IsTraceable(const nGeometry* geometry)
{
    return geometry && geometry->materials.GetCount() != 0 && geometry->polygons.GetCount() != 0;
}
} // namespace

nSceneBIH::nSceneBIH() : nBIH(SceneLeafLimit), m_objects(MemCategoryRenderJob), m_boxes(MemCategoryRenderJob)
{
}

nSceneBIH::~nSceneBIH()
{
    // The records hold the geometries of the template scenes, which must go first.
    Clear();
}

void nSceneBIH::Clear()
{
    nBIH::Clear();
    m_objects.Free();
    m_boxes.Free();
    m_objectCount = 0;
    m_temporaryGeometries.clear();
    m_instanceScenes.clear();
    m_scene = nullptr;
}

nGeometry* nSceneBIH::SelectGeometry(nMObject& object, uint32_t pass)
{
    nObject& item = object.GetObject();
    nGeometry* geometry = item.GetGeometry();
    if (!object.IsEnabled() || !geometry || item.GetAlpha() == 0.0f ||
        (object.GetFlags() & ExcludedStateFlags) || (item.GetFlags() & ItemFlagInvisible) ||
        !IsTraceable(geometry))
        return nullptr;
    if (pass != PassShadow)
        return geometry;
    if (geometry->flags & nGeometry::FlagShadowNull)
        return nullptr;
    nGeometry* proxy = geometry->shadowProxy.Get();
    if (!proxy)
        return geometry;
    return IsTraceable(proxy) ? proxy : nullptr;
}

bool nSceneBIH::Reserve(uint32_t count)
{
    m_objectCount = 0;
    if (!m_objects.Resize(0) || !m_objects.Resize(count))
    {
        nLogHolder::Get() << "[!] Failed to grab scene to raytracer.\n";
        return false;
    }
    if (!m_boxes.ResizeForOverwrite(count))
    {
        nLogHolder::Get() << "[!] Failed to allocate volume array to build scene tree.\n";
        m_objects.Free();
        return false;
    }
    return true;
}

bool nSceneBIH::AddObject(nMObject* item, nGeometry* geometry, nGeometry* traced, const nMatrix4& world,
                          const nMatrix3& rotation, float fade, const Skin& skin)
{
    if (m_objectCount >= m_objects.GetCount() || !IsTraceable(traced))
        return false;
    if (skin.matrices && skin.count && traced->GetBoneCount() && traced->weights.GetCount() &&
        traced->HasMaterialFlags(MaterialSkinned))
    {
        nGeometry* copy = CreateSkinnedGeometry(*traced, skin.matrices, skin.count);
        if (!copy)
            return false;
        m_temporaryGeometries.emplace_back(copy);
        traced = copy;
    }
    if (!PrepareGeometry(*traced))
        return false;
    nRaytracerObject& record = *m_objects.At(m_objectCount);
    record.item = item;
    record.geometry = geometry;
    record.traced = traced;
    record.tree = traced->tree;
    record.world = world;
    record.inverse = world.InverseAffine();
    record.rotation = rotation;
    // Normals go to world space by the inverse transpose, which keeps them normal under any scale.
    record.normalToWorld = record.inverse.GetMatrix3().Transpose();
    record.fade = fade;
    *m_boxes.At(m_objectCount) = traced->GetMinMax(&world);
    ++m_objectCount;
    return true;
}

bool nSceneBIH::BuildHierarchy()
{
    if (m_objectCount == 0)
        return true; // nothing to trace is no failure: every ray misses
    return nBIH::Build(m_objectCount, m_boxes.GetData());
}

bool nSceneBIH::GrabScene(nScene* scene, uint32_t pass)
{
    Clear();
    m_scene = scene;
    if (!scene)
        return false;
    std::vector<Candidate> candidates;
    nListIterator<nMObject*> objects;
    while (nMObject* object = scene->GetObjects().Next(objects))
        if (object->GetObject().GetGeometry())
            candidates.push_back({object, nMatrix4()});
    // A template set up in the scene is a group of the scene's own objects; only one that is not
    // is loaded here, into a scene of its own (without scripts, which must not see it).
    nListIterator<nInstance*> instances;
    while (nInstance* instance = scene->GetInstances().Next(instances))
    {
        if (instance->GetGroup() || instance->GetTemplate().IsEmpty() ||
            instance->GetDepth() + 1 > nScene::MaxInstanceDepth)
            continue;
        nSharedPtr<nScene> loaded(new (std::nothrow) nScene(scene->GetEngine(), nullptr));
        if (!loaded || !loaded->LoadFromFile(instance->GetTemplate().GetText(), nullptr,
                                             ImportFlagInstanceTemplate, instance->GetDepth() + 1))
            continue;
        m_instanceScenes.push_back(loaded);
        const nMatrix4 placement = instance->GetItem()->GetWorldMatrix();
        nListIterator<nMObject*> templateObjects;
        while (nMObject* object = loaded->GetObjects().Next(templateObjects))
            if (object->GetObject().GetGeometry())
                candidates.push_back({object, placement});
    }
    if (candidates.empty())
        return true;
    if (!Reserve(uint32_t(candidates.size())))
        return false;
    for (const Candidate& candidate : candidates)
    {
        nGeometry* traced = SelectGeometry(*candidate.object, pass);
        if (!traced)
            continue;
        nObject& item = candidate.object->GetObject();
        const nMatrix4 world = candidate.placement.Multiply(item.GetWorldMatrix());
        const nMatrix3 rotation = item.GetRotationMatrix();
        // A skinned object is traced in the pose its bones give now, not the one of the last update.
        Skin skin;
        if (nObjectSkin* bound = item.GetSkin(); bound && bound->GetCount())
        {
            item.UpdateSkin();
            skin.matrices = bound->matrices.At(0);
            skin.count = bound->GetCount();
        }
        AddObject(candidate.object, item.GetGeometry(), traced, world, rotation, item.GetAlpha(), skin);
    }
    return BuildHierarchy();
}

void nSceneBIH::Refresh()
{
    for (uint32_t i = 0; i < m_objectCount; ++i)
    {
        nRaytracerObject& record = *m_objects.At(i);
        if (!record.traced->tree)
            PrepareGeometry(*record.traced);
        record.tree = record.traced->tree;
    }
}

void nSceneBIH::TestLeaf(const nBIHLeaf& leaf, nBIHState& state, nRaytracerHit& hit, float maxDistance) const
{
    const uint32_t* indices = GetIndices() + leaf.first;
    for (uint32_t i = 0; i < leaf.count; ++i)
    {
        const nRaytracerObject& object = *m_objects.At(indices[i]);
        if (!object.tree)
            continue;
        float limit = -1.0f;
        if (hit.hit)
        {
            // Nothing can lie strictly nearer than a hit at the origin.
            if (!(hit.distance > 0.0f))
                continue;
            limit = hit.distance;
        }
        else if (maxDistance > 0.0f)
            limit = maxDistance;
        // The direction is not normalised again, so distances stay those of the world ray.
        const nMatrix4& m = object.inverse;
        const nVector& o = state.origin;
        const nVector& d = state.direction;
        const nVector origin(m.m[0] * o.x + m.m[1] * o.y + m.m[2] * o.z + m.m[3],
                             m.m[4] * o.x + m.m[5] * o.y + m.m[6] * o.z + m.m[7],
                             m.m[8] * o.x + m.m[9] * o.y + m.m[10] * o.z + m.m[11]);
        const nVector direction(m.m[0] * d.x + m.m[1] * d.y + m.m[2] * d.z,
                                m.m[4] * d.x + m.m[5] * d.y + m.m[6] * d.z,
                                m.m[8] * d.x + m.m[9] * d.y + m.m[10] * d.z, 0.0f);
        nGeometryHit found;
        object.tree->Intersect(found, origin, direction, limit);
        hit.surfacesCrossed += found.tested;
        if (!found.hit || (hit.hit && !(found.distance < hit.distance)))
            continue;
        hit.hit = true;
        hit.distance = found.distance;
        hit.polygon = found.polygon;
        hit.triangle = found.triangle;
        hit.barycentrics[0] = found.barycentrics[0];
        hit.barycentrics[1] = found.barycentrics[1];
        hit.barycentrics[2] = found.barycentrics[2];
        hit.backFace = found.backFace != 0;
        hit.object = &object;
        hit.geometry = object.traced.Get();
        state.RecordHit(found.distance);
    }
}

void nSceneBIH::IntersectLeaf(const nBIHLeaf& leaf, float, float, nBIHState& state, void* user)
{
    if (user)
        TestLeaf(leaf, state, *static_cast<nRaytracerHit*>(user), -1.0f);
}

void nSceneBIH::TraceRay(nRaytracerHit& hit, const nVector& origin, const nVector& direction,
                         float maxDistance, bool closest, uint64_t& rays) const
{
    ++rays;
    hit.hit = false;
    hit.distance = -1.0f;
    hit.object = nullptr;
    hit.surfacesCrossed = 0;
    hit.origin = origin;
    hit.direction = direction;
    nBIHState state;
    state.closestHit = closest;
    Traverse(state, origin, direction, maxDistance,
             [this, &hit, maxDistance](const nBIHLeaf& leaf, float, float, nBIHState& walk)
             { TestLeaf(leaf, walk, hit, maxDistance); });
}
