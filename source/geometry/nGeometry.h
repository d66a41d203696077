#pragma once

#include "core/base/nAutoArray.h"
#include "core/base/nSharedObject.h"
#include "core/base/nSharedPtr.h"
#include "core/math/nColor.h"
#include "core/math/nMatrix4.h"
#include "core/math/nMinMax.h"
#include "core/math/nUV.h"
#include "core/math/nVector.h"
#include "core/nml/nMetaObject.h"
#include "geometry/nMaterial.h"
#include "geometry/nPolygon.h"
#include "geometry/nSkinWeight.h"
#include "geometry/nTangentFrame.h"
#include "geometry/nTextureStage.h"
#include "geometry/nVertexPolygons.h"
#include "platform/nstring/nString.h"
#include "render/nRenderGeometry.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class nEngineServices;
class nGeometryOctreeNode;
class nGeometryTree;

// The engine's mesh: positions, polygons that own runs of bindings (one binding per corner, naming
// a vertex), per-binding normals, tangent frames, colours and UV sets, per-polygon normals and
// tangents, material slots, an optional skin and proxies, and the renderer's data.
class nGeometry : public nSharedObject, public nMetaObject
{
public:
    enum Flags : uint32_t
    {
        FlagHidden = 1,
        FlagLodNull = 2,
        FlagShadowNull = 4,
    };
    enum KeepFlags : uint32_t
    {
        KeepMaterials = 1,
        KeepTopology = 2,
        KeepBindingOffsets = 4,
        KeepOctree = 8,
        KeepProxies = 16,
        KeepRenderData = 32,
        KeepMapping = 64,
    };
    static constexpr uint32_t MaxPolygonBindings = 127;
    static constexpr float DefaultLodDistance = 100.0f;

    nString name;
    uint32_t keepFlags = 0;
    nMinMax box{nVector(0.0f, 0.0f, 0.0f, 1.0f), nVector(0.0f, 0.0f, 0.0f, 1.0f)};
    nAutoArray<nSharedPtr<nMaterial>> materials{MemCategoryGeometry};
    nGeometryTree* tree = nullptr; // owned; made by CreateTree
    nEngineServices* engine;
    uint32_t flags = 0;
    // Loaded for the CPU only (not set up on the renderer); its proxies are loaded the same way.
    bool cpuOnly = false;
    nVector centre{0.0f, 0.0f, 0.0f, 1.0f};
    nSharedPtr<nGeometry> lodProxy;
    float lodDistance = DefaultLodDistance;
    nSharedPtr<nGeometry> shadowProxy;
    nAutoArray<nVector> vertices{MemCategoryGeometry};
    nAutoArray<nVector> vertexNormals{MemCategoryGeometry};
    nAutoArray<nTangentFrame> tangentFrames{MemCategoryGeometry};
    nAutoArray<nColor> colors{MemCategoryGeometry};
    nAutoArray<nUV> uvSets[nUVMapCount] = {nAutoArray<nUV>(MemCategoryGeometry),
                                           nAutoArray<nUV>(MemCategoryGeometry),
                                           nAutoArray<nUV>(MemCategoryGeometry)};
    nAutoArray<nPolygon> polygons{MemCategoryGeometry};
    nAutoArray<uint32_t> bindings{MemCategoryGeometry};
    nAutoArray<uint32_t> bindingOffsets{MemCategoryGeometry};
    nAutoArray<nString> boneNames{MemCategoryGeometry};
    nAutoArray<nMatrix4> boneMatrices{MemCategoryGeometry};
    nAutoArray<nSkinWeight> weights{MemCategoryGeometry};
    nAutoArray<nVector> polygonNormals{MemCategoryGeometry};
    nAutoArray<nTangentFrame> polygonTangents{MemCategoryGeometry};
    nGeometryOctreeNode* octree = nullptr; // owned
    nSharedPtr<nRenderGeometry> renderData;

    static void* operator new(size_t size) noexcept;
    static void operator delete(void* memory) noexcept;

    explicit nGeometry(nEngineServices* engine);
    nGeometry(const nGeometry&) = delete;
    nGeometry& operator=(const nGeometry&) = delete;
    ~nGeometry() override;

    // The name, empty rather than null, for log lines and derived names.
    const char* GetNameText() const { return name.GetText() ? name.GetText() : ""; }
    nMaterial* GetMaterial(uint32_t index) const;
    bool AllocateMaterials(uint32_t count, bool createDefaults);
    bool HasMaterialFlags(uint32_t mask) const;
    // True when some slot's material lacks every flag of mask.
    bool HasMaterialWithout(uint32_t mask) const;

    bool SetPolygonCount(uint32_t count);
    bool AllocateBindings();
    void BuildPolygonBindingOffsets();
    bool AllocateSkin(uint32_t count);
    uint32_t GetBoneCount() const { return boneNames.GetCount(); }
    uint32_t GetUVSetCount() const;
    uint32_t GetBindingTotal() const;
    uint32_t* GetPolygonBindings(uint32_t polygon) { return bindings.At(polygons.At(polygon)->firstBinding); }
    const uint32_t* GetPolygonBindings(uint32_t polygon) const
    {
        return bindings.At(polygons.At(polygon)->firstBinding);
    }

    void Check();
    static bool ComputeMinMaxFromVertices(const nAutoArray<nVector>& vertices, nMinMax& box,
                                          const nMatrix4* matrix);
    nMinMax GetMinMax(const nMatrix4* matrix) const;

    void Setup();
    void ComputePolygonNormal(bool force);
    void ComputePolygonTangent();
    void ComputeVertexNormals(bool force, float threshold);
    void ComputeVertexTangents(bool force, bool negateTangent, bool negateBitangent);
    bool BuildVertexPolygonTable(nAutoArray<nVertexPolygons>& table) const;
    bool ComputeHomogeneousVertexTable(nAutoArray<uint8_t>& table,
                                       const nAutoArray<nVertexPolygons>& vertexPolygons,
                                       int32_t material) const;

    void ReleaseData();
    void Clear();

    bool Optimize(uint32_t maxPolygons);

    enum MergeMaterialFlags : uint32_t
    {
        MergeMaterialsByName = 1,
        MergeMaterialsByStages = 2,
        MergeMaterialsByFields = 4,
    };
    // A new geometry of a's engine and name (no reference taken), or null after an error line:
    // a's vertices through matrixA then b's through matrixB (null for identity), their polygons,
    // bindings, normals (turned by the inverse transpose), colours and UV sets one after the
    // other, a's material slots then b's; slots of the same material, or of materials equal in
    // every field, are folded. Checked and with its box. Both inputs get the normals the other
    // has, so that the two parts carry the same arrays.
    static nGeometry* Merge(nGeometry* a, nGeometry* b, const nMatrix4* matrixA, const nMatrix4* matrixB);
    // Folds each slot into the first earlier one whose material matches, by name (MergeMaterialsByName)
    // and by usable stages (MergeMaterialsByStages), or with MergeMaterialsByFields by being the same
    // material or equal in every field; polygons follow their slots.
    void MergeMaterials(uint32_t flags);

    // The ray tree of the kind (nGeometryTree::Kind) built over the polygons; true without a
    // build when there is one already. A tree lives until the topology is released.
    bool CreateTree(int32_t kind);
    void DeleteTree();

    bool ParseTag(nMetaFile& file, nMetaTag& tag) override;
    nMetaTag* SerializeTag(nMetaFile& file) override;

private:
    void DeleteOctree();
    // Empties the slot array; a material this geometry owned is no longer owned by it.
    void FreeMaterialSlots();
    static constexpr uint32_t DroppedPolygon = UINT32_MAX;
    void CompactPolygons(std::vector<uint32_t> kept);
    float GetSmoothingLimit(uint32_t polygon, float threshold) const;
    void DropUnusablePolygons();

    void ReadMaterials(nMetaFile& file, const nMetaTag& tag);
    void ReadVertex(const nMetaTag& tag);
    void ReadTextVertex(const nMetaTag& tag);
    // True when every polygon read has corners and names only existing vertices.
    bool ReadPolygon(const nMetaTag& tag);
    void ReadTextPolygon(const nMetaTag& tag);
    void ReadPolygonNormals(const nMetaTag& tag);
    void ReadVertexNormals(const nMetaTag& tag);
    void ReadVertexTangents(const nMetaTag& tag);
    void ReadSkin(const nMetaTag& tag);
    void ReadColors(const nMetaTag& tag);
    void ReadTextColors(const nMetaTag& tag);
    void ReadUV(const nMetaTag& tag);
    void ReadTextUV(const nMetaTag& tag);
    nGeometry* LoadProxy(const nMetaTag& tag);

    void WriteMaterials(nMetaTag& root) const;
    void WriteSkin(nMetaTag& root) const;
};
