#pragma once

#include "core/base/nAutoArray.h"
#include "core/base/nSharedPtr.h"
#include "core/math/nMinMax.h"
#include "engine/items/nItem.h"
#include "platform/nstring/nString.h"
#include "render/nRenderable.h"
#include "render/nTerrainPatch.h"

#include <cstdint>
#include <memory>

class nIOHandle;
class nFrustum;
class nGeometry;
class nMaterial;
class nPicture;
class nTexture;

// A regular grid of heights with a world width and depth, four texture layers and a blend map.
// Grid point (i, j) (i along x, j the row along z) lies at x = i r - width / 2 and
// z = depth / 2 - j r in the terrain's own space, r being the resolution. The terrain keeps a
// packed normal per point and a quadtree of patches for the level of detail, and answers height
// and ray queries. Without a height map it is empty and every query answers 0 or false.
class nTerrain : public nItem, public nRenderable
{
public:
    // Larger grids are refused as absurd (a quarter of a gigabyte of heights).
    static constexpr uint64_t MaxPointCount = uint64_t(1) << 26;
    static constexpr int32_t MaxTreeDepth = 8;
    static constexpr float NormalUnpack = 0.007874016f;

    enum UVAxis : int32_t
    {
        UVAxisXZ = 0,
        UVAxisXY = 1,
        UVAxisZY = 2,
    };

    enum LayerTexture
    {
        LayerDiffuse,
        LayerNormal,
        LayerSpecular,
        LayerSelf,
        LayerTextureCount,
    };
    // The names are kept as given, so a texture that did not load is still written back.
    struct Layer
    {
        nSharedPtr<nTexture> textures[LayerTextureCount];
        nString names[LayerTextureCount];
        int32_t uvAxis = UVAxisXZ;
        float uvAngle = 0.0f;
        float uvTiling = 1.0f;
    };
    static constexpr int LayerCount = 4;

    struct PackedNormal
    {
        int8_t x, y, z;
    };

    // A node of the level-of-detail tree over the region of cells (column, row, columns, rows),
    // sampled every stride points; its box is in terrain space.
    class QuadNode : public nTerrainPatch
    {
    public:
        QuadNode(nTerrain& terrain, int32_t column, int32_t row, int32_t columns, int32_t rows,
                 int32_t stride);
        ~QuadNode();
        QuadNode(const QuadNode&) = delete;
        QuadNode& operator=(const QuadNode&) = delete;

        bool HasChildren() const { return children[0] || children[1] || children[2] || children[3]; }
        // The step between the points of the page: the node's stride, or coarser when the node
        // spans more than the page holds.
        int32_t GetPageStep() const;

        nTerrainPatchKey GetPatchKey() const override;
        void FillPatchPage(nTerrainPageVertex* vertices) const override;
        void GetPatchPlacement(nMatrix4& placement) const override;
        nMaterial* GetPatchMaterial() const override;

        nTerrain* terrain;
        int32_t column, row, columns, rows, stride;
        nMinMax box;
        nSharedPtr<nGeometry> patch;
        std::unique_ptr<QuadNode> children[4];
    };

    explicit nTerrain(Quenvar* engine);
    ~nTerrain() override;

    // Frees what the terrain had and makes zeroed heights and normals for (w + 1) x (h + 1) points;
    // the world size becomes w r by h r. False after a log line for sizes the terrain cannot take
    // and for a resolution that is not a positive size.
    bool AllocateHeightmap(int32_t gridWidth, int32_t gridHeight, float resolution);
    // Raw little-endian floats, w x h of them row by row; each row gets a copy of its last value
    // and the last row a copy of the row before it. A file of another size is refused after a log
    // line and leaves the heights as they were.
    bool LoadHeightFile(const char* path);
    // Each point takes the first component of the picture's bilinear sample there, times 16.
    bool LoadHeightPicture(const nPicture& picture, int32_t smoothingPasses);
    // Each pass sets every inner point to the mean of itself and its four neighbours, in place.
    void Smooth(int32_t passes);
    // The normals of the region of points; an empty region means the whole grid.
    void ComputeNormals(int32_t column = 0, int32_t row = 0, int32_t columns = 0, int32_t rows = 0);
    nVector GetNormal(int32_t column, int32_t row) const;
    // Bilinear between the four points around the grid position; indices are clamped into the grid.
    float GetGridHeight(float gridX, float gridZ) const;
    // At a point of terrain space; 0 outside the grid.
    float GetHeight(float x, float z) const;
    float GetPointHeight(int32_t column, int32_t row) const;
    void SetPointHeight(int32_t column, int32_t row, float height);
    void BuildQuadtree();
    // A world-space ray against the surface: the world hit and its blend-map coordinates.
    bool IntersectRay(const nVector& origin, const nVector& direction, nVector& hit, float* blendU = nullptr,
                      float* blendV = nullptr);
    // A geometry of the node's points (every stride), quads between them, set up on the renderer.
    nGeometry* BuildPatch(QuadNode& node);
    // False when no texture of that name was found (the name is kept all the same).
    bool SetBlendMap(const char* name);
    // False when no texture of that name was found (the name is kept all the same).
    bool SetLayerTexture(int layer, int texture, const char* name);

    void GetMinMax(nMinMax& out) override;
    void GetWorldMinMax(nMinMax& box) const override;
    // Queues the visible nodes: near ones are replaced by their children.
    void Render(nCamera* camera, nItem* viewItem, nAutoList<nRenderablePrimitive*>* drawList, int32_t pass,
                bool cull) override;

    bool HasHeightmap() const { return m_heights.GetCount() != 0; }
    int32_t GetGridWidth() const { return m_gridWidth; }
    // Cells along z (the "Height" of the file's grid).
    int32_t GetGridDepth() const { return m_gridHeight; }
    float GetResolution() const { return m_resolution; }
    float GetWorldWidth() const { return m_worldWidth; }
    float GetWorldDepth() const { return m_worldDepth; }
    void SetWorldSize(float width, float depth);
    const float* GetHeights() const { return m_heights.GetData(); }
    uint32_t GetPointCount() const { return m_heights.GetCount(); }
    // Counts every change of the heights, so that pages made from older ones are known as stale.
    uint64_t GetRevision() const { return m_revision; }
    const QuadNode* GetRoot() const { return m_root.get(); }
    const nString& GetHeightFileName() const { return m_heightFileName; }
    Layer& GetLayer(int index) { return m_layers[index]; }
    const Layer& GetLayer(int index) const { return m_layers[index]; }
    nTexture* GetBlendMap() const { return m_blendMap.Get(); }
    const nString& GetBlendMapName() const { return m_blendMapName; }
    nMaterial* GetMaterial() const { return m_material.Get(); }
    void SetMaterial(nMaterial* material, bool inlineMaterial);

    // The "Terrain" block of scene files.
    bool ParseTag(nMetaFile& file, nMetaTag& tag);
    nMetaTag* SerializeTag(nMetaFile& file) const;

private:
    void FreeHeightmap();
    std::unique_ptr<QuadNode> BuildNode(int32_t column, int32_t row, int32_t columns, int32_t rows,
                                        int32_t stride, int32_t depth);
    void QueueNode(QuadNode& node, const nFrustum* frustum, const nMatrix4& world, const nVector& eye,
                   nAutoList<nRenderablePrimitive*>* drawList);
    float& At(int32_t column, int32_t row)
    {
        return *m_heights.At(uint32_t(row * (m_gridWidth + 1) + column));
    }
    float At(int32_t column, int32_t row) const
    {
        return *m_heights.At(uint32_t(row * (m_gridWidth + 1) + column));
    }
    bool IntersectVertical(const nVector& origin, float directionY, nVector& hit) const;
    // Terrain space: the grid's extent and the full range of its heights.
    nMinMax GetHeightBox() const;
    void ReadLayers(const nMetaTag& tag);
    void ReadHeightmap(const nMetaTag& tag);
    // The height file of a grid of the given size, or null after the corrupt-data line when it
    // is missing or its size is another.
    static std::unique_ptr<nIOHandle> OpenHeightFile(const char* path, int32_t gridWidth, int32_t gridHeight);

    float m_worldWidth = 0.0f;
    float m_worldDepth = 0.0f;
    nAutoArray<float> m_heights{MemCategoryTerrain};
    nAutoArray<PackedNormal> m_normals{MemCategoryTerrain};
    int32_t m_gridWidth = 0;
    int32_t m_gridHeight = 0;
    float m_resolution = 1.0f;
    uint64_t m_revision = 0;
    std::unique_ptr<QuadNode> m_root;
    Layer m_layers[LayerCount];
    nString m_heightFileName;
    nSharedPtr<nTexture> m_blendMap;
    nString m_blendMapName;
    nSharedPtr<nMaterial> m_material;
    mutable nMinMax m_heightBox;
    mutable uint64_t m_heightBoxRevision = UINT64_MAX;
    // Read from an inline "Material" block rather than by name, so it is written back inline.
    bool m_inlineMaterial = false;
};
