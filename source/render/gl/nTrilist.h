#pragma once

#include "core/base/nAutoArray.h"
#include "core/base/nList.h"
#include "core/math/nColor.h"
#include "core/math/nUV.h"
#include "core/math/nVector.h"
#include "geometry/nTangentFrame.h"
#include "render/gl/nGPUGeometryStreams.h"

#include <cstdint>
#include <memory>

class nGeometry;

// How four bones move one vertex of a list: the weights, then the slot of each weight's bone in
// the list's bone map.
struct nTrilistSkin
{
    float weights[4] = {};
    uint8_t slots[4] = {};
};
static_assert(sizeof(nTrilistSkin) == 20, "a skin record is 20 bytes");

// The triangles of one material that one draw can take: compact vertex streams of their own,
// fan-triangulated indices into them, and the bone map that turns the skin's slots into the
// skeleton's bones. Streams the geometry lacks stay empty.
struct nTrilist
{
    // A list takes no further polygon once it holds this many bones...
    static constexpr uint32_t BoneStop = 12;
    // ...nor one whose new bones would not fit the draw's bone matrices.
    static constexpr uint32_t BoneLimit = 16;
    // Nor one whose vertices would pass this, which keeps every index within 16 bits.
    static constexpr uint32_t VertexLimit = 16384;
    // Corners per polygon the remapping was built for; larger polygons are remapped whole but
    // still reported once.
    static constexpr uint32_t RemapCapacity = 128;

    nAutoArray<nVector> vertices{MemCategoryGeometry};
    nAutoArray<uint32_t> indices{MemCategoryGeometry};
    nAutoArray<nTrilistSkin> skin{MemCategoryGeometry};
    nAutoArray<uint16_t> boneMap{MemCategoryGeometry};
    nAutoArray<nVector> normals{MemCategoryGeometry};
    nAutoArray<nTangentFrame> tangentFrames{MemCategoryGeometry};
    nAutoArray<nColor> colors{MemCategoryGeometry};
    nAutoArray<nUV> uvSets[3] = {nAutoArray<nUV>(MemCategoryGeometry), nAutoArray<nUV>(MemCategoryGeometry),
                                 nAutoArray<nUV>(MemCategoryGeometry)};
    uint32_t material = 0;

    uint32_t GetTriangleCount() const { return indices.GetCount() / 3; }
    // The list's arrays as a display list packs them; valid while the list lives.
    nGPUGeometryStreams GetStreams() const;
};

using nTrilistArray = nAutoList<nTrilist*>;

// Splits a geometry into lists of one material each, in material order and, within a material,
// in polygon order. Lists stay under `triangleLimit` triangles and VertexLimit vertices, except
// that a list always takes its first polygon. Null after an error line for a null geometry, one
// without polygons, and when memory runs out.
std::unique_ptr<nTrilistArray> BuildTriangleLists(const nGeometry* geometry,
                                                  uint32_t triangleLimit = nTrilist::VertexLimit);
