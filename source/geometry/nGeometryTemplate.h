#pragma once

#include "core/base/nSharedPtr.h"
#include "core/math/nColor.h"
#include "core/math/nUV.h"
#include "core/math/nVector.h"
#include "geometry/nTextureStage.h"

#include <cstdint>
#include <memory>
#include <vector>

class nEngineServices;
class nGeometry;
class nMaterial;

// A mesh built polygon by polygon, as scripts do through the class "GeometryTemplate": positions
// and per-corner attributes are pushed into the current polygon, which endPolygon files with its
// material index; Instantiate makes a geometry in which corners that lie within the merge
// threshold of each other share one vertex. The template holds a reference on every material
// pushed, so a material the script lets go stays valid until the template drops it.
class nGeometryTemplate
{
public:
    static constexpr float DefaultVertexMergeThreshold = 0.0001f; // a squared distance

    struct Polygon
    {
        std::vector<nVector> vertices;
        std::vector<nVector> normals;
        std::vector<nColor> colors;
        std::vector<nUV> uvSets[nUVMapCount];
        uint32_t material = 0;
        bool tooManyVerticesReported = false; // once per polygon, however many pushes follow
    };

    // An unfinished current polygon is dropped.
    void BeginPolygon();
    // Each fails after an error line when no polygon is begun; a polygon holds at most
    // nGeometry::MaxPolygonBindings vertices, and UV sets are 0 to 2.
    bool PushVertex(const nVector& position);
    bool PushNormal(const nVector& normal);
    bool PushColor(const nColor& color);
    bool PushUV(int32_t set, const nUV& uv);
    bool EndPolygon(uint32_t material);
    void Clear();

    void ClearMaterials() { m_materials.clear(); }
    void PushMaterial(nMaterial* material) { m_materials.emplace_back(material); }

    // Not a number leaves the threshold as it was, after an error line; a negative one merges
    // nothing, 0 only equal positions.
    bool SetVertexMergeThreshold(float threshold);
    float GetVertexMergeThreshold() const { return m_mergeThreshold; }

    size_t GetPolygonCount() const { return m_polygons.size(); }
    size_t GetMaterialCount() const { return m_materials.size(); }

    // A new geometry of the engine (not set up, no reference taken) that is checked and has its
    // box, or null after an error line: no material, no polygon, a first polygon without vertices
    // or an allocation failure. Corners are taken nearest the first corner first, and each joins
    // the first vertex opened within the threshold (a squared distance) or opens one. The first
    // polygon decides which attribute arrays there are; a polygon whose count of an attribute
    // differs from its vertex count leaves those entries zero, after a warning.
    nGeometry* Instantiate(nEngineServices* engine, const char* name) const;

private:
    Polygon* CurrentForPush();

    float m_mergeThreshold = DefaultVertexMergeThreshold;
    std::unique_ptr<Polygon> m_current;
    std::vector<std::unique_ptr<Polygon>> m_polygons;
    std::vector<nSharedPtr<nMaterial>> m_materials;
};
