#pragma once

#include "geometry/nGeometry.h"

#include "core/NmlLogCapture.h"
#include "support/NmlText.h"
#include "support/StubEngineServices.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

using Corners = std::vector<uint32_t>;

// Fills a geometry with the given positions and polygons (all on slot 0 unless given), one
// default material slot.
inline void BuildGeometry(nGeometry& geometry, const std::vector<nVector>& positions,
                          const std::vector<Corners>& polygons, const std::vector<uint16_t>& materials = {})
{
    geometry.vertices.Resize(uint32_t(positions.size()));
    for (uint32_t i = 0; i < positions.size(); ++i)
        *geometry.vertices.At(i) = positions[i];
    geometry.SetPolygonCount(uint32_t(polygons.size()));
    for (uint32_t p = 0; p < polygons.size(); ++p)
    {
        geometry.polygons.At(p)->bindingCount = uint16_t(polygons[p].size());
        geometry.polygons.At(p)->material = p < materials.size() ? materials[p] : 0;
    }
    geometry.AllocateBindings();
    for (uint32_t p = 0; p < polygons.size(); ++p)
        for (uint32_t c = 0; c < polygons[p].size(); ++c)
            geometry.GetPolygonBindings(p)[c] = polygons[p][c];
    if (geometry.materials.GetCount() == 0)
        geometry.AllocateMaterials(1, true);
}

// count unit quads in z = 0 laid on a row-major grid of the given width.
inline void BuildQuadGrid(nGeometry& geometry, uint32_t count, uint32_t width)
{
    std::vector<nVector> positions;
    std::vector<Corners> polygons;
    for (uint32_t q = 0; q < count; ++q)
    {
        const float x = float(q % width);
        const float y = float(q / width);
        const uint32_t first = uint32_t(positions.size());
        positions.insert(positions.end(), {nVector(x, y, 0.0f), nVector(x + 1, y, 0.0f),
                                           nVector(x + 1, y + 1, 0.0f), nVector(x, y + 1, 0.0f)});
        polygons.push_back({first, first + 1, first + 2, first + 3});
    }
    BuildGeometry(geometry, positions, polygons);
}

inline size_t CountOf(const std::string& text, const std::string& part)
{
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

// Geometries read from NML text or from tags built in code, written back to tags.
class GeometryFixture : public testing::Test
{
protected:
    bool Read(nGeometry& geometry, const std::string& body)
    {
        NmlDocument document("<Geometry=" + body + ">");
        EXPECT_TRUE(document.parsed) << body;
        return geometry.ParseTag(document.file, document.Root());
    }

    bool ReadTag(nGeometry& geometry, nMetaTag* root)
    {
        nMetaFile file;
        file.AddRoot(root);
        return geometry.ParseTag(file, *root);
    }

    std::string Write(nGeometry& geometry)
    {
        nMetaFile file;
        return NmlTextOf(geometry.SerializeTag(file));
    }

    nMetaTag* WriteTag(nGeometry& geometry)
    {
        nMetaFile file;
        return geometry.SerializeTag(file);
    }

    NmlLogCapture log;
    StubEngineServices engine;
};

// A text-form triangle (three vertices, one polygon) and what may follow it.
inline std::string TextTriangle(const std::string& extra = "")
{
    return "<AVertex=<Count=3><Data=<V=<X=0.0><Y=0.0><Z=0.0>><V=<X=1.0><Y=0.0><Z=0.0>><V=<X=0.0><Y=1.0><Z=0."
           "0>>>>"
           "<APolygon=<Count=1><BindingCount=3><Data=<Polygon=<Count=3><Material=0><Index=0><Index=1><Index="
           "2>>>>" +
           extra;
}

inline void ExpectVector(const nVector& actual, float x, float y, float z, float tolerance = 1e-5f)
{
    EXPECT_NEAR(actual.x, x, tolerance);
    EXPECT_NEAR(actual.y, y, tolerance);
    EXPECT_NEAR(actual.z, z, tolerance);
}
