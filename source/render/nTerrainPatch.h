#pragma once

#include <cstdint>

class nMaterial;
class nMatrix4;

// One vertex of a terrain page, laid out as the renderer's page buffers hold it (24 bytes): the
// position in page units, the packed unit normal (three signed bytes, component x 127) and the
// blend-map coordinates.
struct nTerrainPageVertex
{
    float x, y, z;
    int8_t normal[4];
    float u, v;
};
static_assert(sizeof(nTerrainPageVertex) == 24, "a page vertex is 24 bytes");

// Names the content of one page: the terrain, its node and the revision of the terrain's heights.
struct nTerrainPatchKey
{
    const void* terrain = nullptr;
    const void* node = nullptr;
    uint64_t revision = 0;

    bool operator==(const nTerrainPatchKey& other) const
    {
        return terrain == other.terrain && node == other.node && revision == other.revision;
    }
};

// A terrain patch as the renderer draws it: the payload of a kind 2 draw entry. It fills one page
// of PageSize x PageSize vertices; vertex (i, j) lies at (i, height, -j) in page units, except
// that a patch narrower than the page repeats its last column and row there (zero-area quads).
// The placement takes page units into the terrain item's own space.
class nTerrainPatch
{
public:
    static constexpr uint32_t PageSize = 65;

    virtual nTerrainPatchKey GetPatchKey() const = 0;
    // PageSize x PageSize vertices, row by row.
    virtual void FillPatchPage(nTerrainPageVertex* vertices) const = 0;
    virtual void GetPatchPlacement(nMatrix4& placement) const = 0;
    // Null when the terrain has none.
    virtual nMaterial* GetPatchMaterial() const = 0;

protected:
    ~nTerrainPatch() = default;
};
