#include "geometry/nGeometryTemplate.h"

#include "GeometryTestSupport.h"
#include "geometry/nMaterial.h"

#include <cmath>
#include <functional>
#include <random>

namespace
{
class GeometryTemplateTest : public testing::Test
{
protected:
    GeometryTemplateTest() { material->name = "Stone"; }

    void Polygon(const std::vector<nVector>& positions, uint32_t materialIndex = 0)
    {
        shape.BeginPolygon();
        for (const nVector& position : positions)
            shape.PushVertex(position);
        shape.EndPolygon(materialIndex);
    }

    // The instantiated geometry, held for the test.
    nGeometry& Instantiate()
    {
        geometry = shape.Instantiate(&engine, "built");
        EXPECT_TRUE(geometry) << log.text;
        return *geometry;
    }

    NmlLogCapture log;
    StubEngineServices engine;
    nSharedPtr<nMaterial> material = new nMaterial(&engine);
    nGeometryTemplate shape;
    nSharedPtr<nGeometry> geometry;
};

// The reading of the weld, corner by corner in sorted order, as a check on the grid that serves it.
std::vector<uint32_t> WeldByComparingEverything(const std::vector<nVector>& corners, float threshold)
{
    std::vector<uint32_t> order(corners.size());
    for (uint32_t i = 0; i < order.size(); ++i)
        order[i] = i;
    const auto key = [&](uint32_t i)
    {
        const nVector d = corners[i] - corners[0];
        return d.x * d.x + d.y * d.y + d.z * d.z;
    };
    std::stable_sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) { return key(a) < key(b); });
    std::vector<nVector> opened;
    std::vector<uint32_t> result(corners.size());
    for (uint32_t corner : order)
    {
        uint32_t vertex = 0;
        while (vertex < opened.size())
        {
            const nVector d = corners[corner] - opened[vertex];
            if (d.x * d.x + d.y * d.y + d.z * d.z <= threshold)
                break;
            ++vertex;
        }
        if (vertex == opened.size())
            opened.push_back(corners[corner]);
        result[corner] = vertex;
    }
    return result;
}
} // namespace

TEST_F(GeometryTemplateTest, TwoTrianglesOfAQuadShareTheirEdgeWhicheverDiagonalSplitsIt)
{
    const nVector a(0, 0, 0), b(1, 0, 0), c(1, 1, 0), d(0, 1, 0);
    // Split along b-d, the corners of that diagonal are at equal distance from a.
    const std::vector<std::vector<std::vector<nVector>>> quads = {{{a, b, c}, {a, c, d}},
                                                                  {{a, b, d}, {b, c, d}}};
    for (const auto& triangles : quads)
    {
        shape.Clear();
        shape.PushMaterial(material.Get());
        for (const auto& triangle : triangles)
            Polygon(triangle);
        nGeometry& built = Instantiate();
        EXPECT_EQ(built.vertices.GetCount(), 4u);
        EXPECT_EQ(built.bindings.GetCount(), 6u);
        EXPECT_EQ(built.polygons.GetCount(), 2u);
        ExpectVector(built.box.min, 0, 0, 0);
        ExpectVector(built.box.max, 1, 1, 0);
        for (uint32_t p = 0; p < 2; ++p)
            for (uint32_t k = 0; k < 3; ++k)
                ExpectVector(*built.vertices.At(built.GetPolygonBindings(p)[k]), triangles[p][k].x,
                             triangles[p][k].y, triangles[p][k].z);
    }
}

TEST_F(GeometryTemplateTest, TheThresholdDecidesWhichNearbyCornersMerge)
{
    struct Case
    {
        float offset;
        bool setThreshold;
        float threshold;
        uint32_t vertices;
    };
    for (const Case& test : std::vector<Case>{{0.005f, false, 0, 3},   // 0.000025 is within 0.0001
                                              {0.02f, false, 0, 4},    // 0.0004 is not
                                              {0.0f, true, 0.0f, 3},   // 0 merges equal points
                                              {0.005f, true, 0.0f, 4}, // and only those
                                              {0.0f, true, -1.0f, 4},  // below 0 nothing merges
                                              {30.0f, true, INFINITY, 1}})
    {
        nGeometryTemplate built;
        if (test.setThreshold)
        {
            EXPECT_TRUE(built.SetVertexMergeThreshold(test.threshold));
        }
        built.PushMaterial(material.Get());
        built.BeginPolygon();
        built.PushVertex(nVector(0, 0, 0));
        built.PushVertex(nVector(1, 0, 0));
        built.PushVertex(nVector(0, 1, 0));
        built.EndPolygon(0);
        built.BeginPolygon();
        built.PushVertex(nVector(1 + test.offset, 0, 0));
        built.EndPolygon(0);
        nSharedPtr<nGeometry> result = built.Instantiate(&engine, "t");
        ASSERT_TRUE(result);
        EXPECT_EQ(result->vertices.GetCount(), test.vertices) << test.offset << " " << test.threshold;
    }
    EXPECT_FALSE(shape.SetVertexMergeThreshold(NAN));
    EXPECT_EQ(shape.GetVertexMergeThreshold(), nGeometryTemplate::DefaultVertexMergeThreshold);
    EXPECT_NE(log.text.find("[!] The vertex merge threshold must be a number.\n"), std::string::npos);
}

TEST_F(GeometryTemplateTest, CornersJoinTheFirstVertexWithinReachWhereverTheyLie)
{
    // Corners round a sphere about the first corner (all keys equal: the case a sorted scan
    // cannot cut short), and clusters whose members lie within the threshold of each other.
    std::mt19937 random(3);
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f), jitter(-0.004f, 0.004f);
    std::vector<nVector> corners = {nVector(0, 0, 0)};
    for (int i = 0; i < 600; ++i)
    {
        nVector direction(unit(random), unit(random), unit(random));
        direction = direction * (1.0f / direction.Length());
        const int copies = 1 + i % 3;
        for (int c = 0; c < copies; ++c)
            corners.push_back(nVector(direction.x + jitter(random), direction.y + jitter(random),
                                      direction.z + jitter(random)));
    }
    shape.PushMaterial(material.Get());
    for (size_t first = 0; first < corners.size(); first += 3)
        Polygon(std::vector<nVector>(corners.begin() + first,
                                     corners.begin() + std::min(first + 3, corners.size())));
    const nGeometry& built = Instantiate();
    const std::vector<uint32_t> expected =
        WeldByComparingEverything(corners, shape.GetVertexMergeThreshold());
    ASSERT_EQ(built.bindings.GetCount(), corners.size());
    uint32_t opened = 0;
    for (uint32_t corner = 0; corner < corners.size(); ++corner)
    {
        opened = std::max(opened, expected[corner] + 1);
        EXPECT_EQ(*built.bindings.At(corner), expected[corner]) << corner;
    }
    EXPECT_EQ(built.vertices.GetCount(), opened);
    EXPECT_LT(opened, 1000u);
}

TEST_F(GeometryTemplateTest, CornersThatAreNotNumbersStayApart)
{
    shape.PushMaterial(material.Get());
    Polygon({nVector(0, 0, 0), nVector(NAN, 0, 0), nVector(INFINITY, 0, 0)});
    Polygon({nVector(NAN, 0, 0), nVector(INFINITY, 0, 0), nVector(0, 0, 0)});
    EXPECT_EQ(Instantiate().vertices.GetCount(), 5u);
}

TEST_F(GeometryTemplateTest, AttributesFollowTheFirstPolygonAndIncoherentCountsAreLeftOut)
{
    shape.PushMaterial(material.Get());
    shape.BeginPolygon();
    for (int i = 0; i < 3; ++i)
    {
        shape.PushVertex(nVector(float(i), float(i % 2), 0));
        shape.PushNormal(nVector(0, 0, 1));
        shape.PushColor(nColor(0.25f * i, 0, 0, 1));
        shape.PushUV(1, nUV(float(i), 0.5f));
    }
    shape.EndPolygon(0);
    shape.BeginPolygon();
    for (int i = 0; i < 3; ++i)
    {
        shape.PushVertex(nVector(float(i), 2, 0));
        if (i < 2)
            shape.PushNormal(nVector(1, 0, 0));
        shape.PushColor(nColor(0, 1, 0, 1));
        shape.PushUV(1, nUV(9, 9));
        shape.PushUV(2, nUV(7, 7)); // the first polygon has no set 2: dropped
    }
    shape.EndPolygon(0);
    const nGeometry& built = Instantiate();
    EXPECT_NE(log.text.find("[*] Incoherent normal count in polygon 1\n"), std::string::npos) << log.text;
    ASSERT_EQ(built.vertexNormals.GetCount(), 6u);
    ASSERT_EQ(built.colors.GetCount(), 6u);
    EXPECT_EQ(built.uvSets[0].GetCount(), 0u);
    ASSERT_EQ(built.uvSets[1].GetCount(), 6u);
    EXPECT_EQ(built.uvSets[2].GetCount(), 0u);
    for (uint32_t b = 0; b < 3; ++b)
    {
        ExpectVector(*built.vertexNormals.At(b), 0, 0, 1);
        ExpectVector(*built.vertexNormals.At(3 + b), 0, 0, 0);
        EXPECT_EQ(built.colors.At(b)->r, 0.25f * b);
        EXPECT_EQ(built.colors.At(3 + b)->g, 1.0f);
        EXPECT_EQ(built.uvSets[1].At(b)->u, float(b));
        EXPECT_EQ(built.uvSets[1].At(3 + b)->u, 9.0f);
    }
}

TEST_F(GeometryTemplateTest, MaterialIndicesOutsideTheTableUseTheFirstSlot)
{
    nSharedPtr<nMaterial> second = new nMaterial(&engine);
    shape.PushMaterial(material.Get());
    shape.PushMaterial(second.Get());
    Polygon({nVector(0, 0, 0), nVector(1, 0, 0), nVector(1, 1, 0)}, 2);
    Polygon({nVector(0, 0, 0), nVector(1, 1, 0), nVector(0, 1, 0)}, 1);
    const nGeometry& built = Instantiate();
    EXPECT_NE(log.text.find("[*] Polygon 0 is referencing a material outside of the material table.\n"),
              std::string::npos);
    EXPECT_EQ(built.polygons.At(0)->material, 0);
    EXPECT_EQ(built.polygons.At(1)->material, 1);
    ASSERT_EQ(built.materials.GetCount(), 2u);
    EXPECT_EQ(built.materials.At(0)->Get(), material.Get());
    EXPECT_EQ(built.materials.At(1)->Get(), second.Get());
    EXPECT_EQ(built.engine, &engine);
    EXPECT_STREQ(built.GetNameText(), "built");
}

TEST_F(GeometryTemplateTest, MisusesAreRefusedWithALine)
{
    struct Case
    {
        std::function<bool(nGeometryTemplate&)> call;
        const char* line;
    };
    const std::vector<Case> cases = {
        {[](nGeometryTemplate& t) { return t.PushVertex(nVector()); },
         "[!] You must begin a polygon before pushing attributes.\n"},
        {[](nGeometryTemplate& t) { return t.PushNormal(nVector()); },
         "[!] You must begin a polygon before pushing attributes.\n"},
        {[](nGeometryTemplate& t) { return t.PushColor(nColor()); },
         "[!] You must begin a polygon before pushing attributes.\n"},
        {[](nGeometryTemplate& t) { return t.PushUV(0, nUV()); },
         "[!] You must begin a polygon before pushing attributes.\n"},
        {[](nGeometryTemplate& t) { return t.EndPolygon(0); },
         "[!] You must begin a polygon before ending it.\n"},
        {[](nGeometryTemplate& t) { return t.BeginPolygon(), t.PushUV(3, nUV()); },
         "[!] UV set 3 is out of range.\n"},
        {[](nGeometryTemplate& t) { return t.BeginPolygon(), t.PushUV(-1, nUV()); },
         "[!] UV set -1 is out of range.\n"},
        {[](nGeometryTemplate& t)
         {
             t.BeginPolygon();
             for (int i = 0; i < 199; ++i)
                 t.PushVertex(nVector(float(i), 0, 0));
             return t.PushVertex(nVector());
         },
         "[!] A polygon holds at most 127 vertices.\n"}, // one line for the 73 pushes past the limit
    };
    for (const Case& test : cases)
    {
        nGeometryTemplate fresh;
        log.text.clear();
        EXPECT_FALSE(test.call(fresh)) << test.line;
        EXPECT_EQ(log.text, test.line);
        EXPECT_EQ(fresh.GetPolygonCount(), 0u);
    }
}

TEST_F(GeometryTemplateTest, InstantiatingWithoutMaterialsOrCornersGivesNothing)
{
    EXPECT_FALSE(shape.Instantiate(&engine, "t"));
    EXPECT_EQ(log.text, "[!] Cannot instantiate a geometry with no material array.\n");
    shape.PushMaterial(material.Get());
    log.text.clear();
    EXPECT_FALSE(shape.Instantiate(&engine, "t"));
    EXPECT_EQ(log.text, "[!] Cannot instantiate a geometry without polygons.\n");
    shape.BeginPolygon();
    shape.EndPolygon(0);
    Polygon({nVector(0, 0, 0), nVector(1, 0, 0), nVector(1, 1, 0)});
    log.text.clear();
    EXPECT_FALSE(shape.Instantiate(&engine, "t"));
    EXPECT_EQ(log.text, "[!] Cannot instantiate a geometry whose first polygon has no vertex.\n");
    shape.ClearMaterials();
    shape.Clear();
    EXPECT_EQ(shape.GetPolygonCount(), 0u);
    EXPECT_EQ(shape.GetMaterialCount(), 0u);
    EXPECT_TRUE(engine.messages.empty()); // no geometry was made and thrown away
}

TEST_F(GeometryTemplateTest, ThePushedMaterialsStayAliveWithTheTemplate)
{
    nMaterial* pushed = new nMaterial(&engine);
    pushed->AddRef();
    shape.PushMaterial(pushed);
    pushed->Release(); // the template's reference remains
    EXPECT_EQ(pushed->GetRefCount(), 1u);
    Polygon({nVector(0, 0, 0), nVector(1, 0, 0), nVector(1, 1, 0)});
    EXPECT_EQ(Instantiate().GetMaterial(0), pushed);
    EXPECT_EQ(pushed->GetRefCount(), 2u);
}
