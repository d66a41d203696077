#include "GeometryTestSupport.h"

#include "core/nml/nMetaFile.h"
#include "geometry/nMaterial.h"

#include <cmath>

namespace
{
// A unit cube: eight vertices, six quads turned outwards, one default material.
void BuildCube(nGeometry& cube)
{
    BuildGeometry(cube,
                  {nVector(0, 0, 0), nVector(1, 0, 0), nVector(1, 1, 0), nVector(0, 1, 0), nVector(0, 0, 1),
                   nVector(1, 0, 1), nVector(1, 1, 1), nVector(0, 1, 1)},
                  {{0, 3, 2, 1}, {4, 5, 6, 7}, {0, 1, 5, 4}, {1, 2, 6, 5}, {2, 3, 7, 6}, {3, 0, 4, 7}});
}

class GeometryMergeTest : public GeometryFixture
{
protected:
    nGeometry* NewGeometry()
    {
        nGeometry* geometry = new nGeometry(&engine);
        held.emplace_back(geometry);
        return geometry;
    }
    nGeometry* Merge(nGeometry* a, nGeometry* b, const nMatrix4* matrixA, const nMatrix4* matrixB)
    {
        nGeometry* merged = nGeometry::Merge(a, b, matrixA, matrixB);
        if (merged)
            held.emplace_back(merged);
        return merged;
    }

    std::vector<nSharedPtr<nGeometry>> held;
};
} // namespace

TEST_F(GeometryMergeTest, ACubeWithItselfDoublesEverythingButItsMaterial)
{
    nGeometry* cube = NewGeometry();
    BuildCube(*cube);
    const nMatrix4 moved = nMatrix4::FromTranslation(5, 0, 0);
    nGeometry* merged = Merge(cube, cube, nullptr, &moved);
    ASSERT_TRUE(merged);
    EXPECT_EQ(merged->vertices.GetCount(), 16u);
    EXPECT_EQ(merged->bindings.GetCount(), 48u);
    EXPECT_EQ(merged->polygons.GetCount(), 12u);
    ASSERT_EQ(merged->materials.GetCount(), 1u);
    EXPECT_EQ(merged->GetMaterial(0), cube->GetMaterial(0));
    for (uint32_t p = 0; p < 12; ++p)
        EXPECT_EQ(merged->polygons.At(p)->material, 0);
    ExpectVector(*merged->vertices.At(9), 6, 0, 0);
    EXPECT_EQ(merged->GetPolygonBindings(6)[0], 8u);
    EXPECT_EQ(merged->polygons.At(6)->firstBinding, 24u);
    ExpectVector(merged->box.min, 0, 0, 0);
    ExpectVector(merged->box.max, 6, 1, 1);
    EXPECT_STREQ(merged->GetNameText(), cube->GetNameText());
    EXPECT_EQ(merged->engine, &engine);
    EXPECT_NE(log.text.find("Done, merged 1 material slot(s).\n"), std::string::npos);
}

TEST_F(GeometryMergeTest, APartWithoutColoursOrUVsGetsWhiteAndTheMiddleOfTheMap)
{
    nGeometry* a = NewGeometry();
    nGeometry* b = NewGeometry();
    BuildGeometry(*a, {nVector(0, 0, 0), nVector(1, 0, 0), nVector(0, 1, 0)}, {{0, 1, 2}});
    BuildGeometry(*b, {nVector(0, 0, 0), nVector(1, 0, 0), nVector(0, 1, 0)}, {{0, 1, 2}});
    a->colors.Resize(3);
    for (uint32_t i = 0; i < 3; ++i)
        *a->colors.At(i) = nColor(0.5f, 0.0f, 0.0f, 1.0f);
    b->uvSets[1].Resize(3);
    for (uint32_t i = 0; i < 3; ++i)
        *b->uvSets[1].At(i) = nUV(float(i), 1.0f);
    nGeometry* merged = Merge(a, b, nullptr, nullptr);
    ASSERT_TRUE(merged);
    ASSERT_EQ(merged->colors.GetCount(), 6u);
    ASSERT_EQ(merged->uvSets[1].GetCount(), 6u);
    EXPECT_EQ(merged->uvSets[0].GetCount(), 0u);
    for (uint32_t i = 0; i < 3; ++i)
    {
        EXPECT_EQ(merged->colors.At(i)->r, 0.5f);
        EXPECT_EQ(merged->colors.At(3 + i)->r, 1.0f);
        EXPECT_EQ(merged->colors.At(3 + i)->a, 1.0f);
        EXPECT_EQ(merged->uvSets[1].At(i)->u, 0.5f);
        EXPECT_EQ(merged->uvSets[1].At(i)->v, 0.5f);
        EXPECT_EQ(merged->uvSets[1].At(3 + i)->u, float(i));
        // A null matrix places b as it is.
        ExpectVector(*merged->vertices.At(3 + i), a->vertices.At(i)->x, a->vertices.At(i)->y, 0);
    }
    // Two default materials equal in every field are one slot.
    EXPECT_EQ(merged->materials.GetCount(), 1u);
}

TEST_F(GeometryMergeTest, NormalsStayUnitAndAcrossTheFacesUnderAScale)
{
    // A face leaning between x and y: a plain scale would turn its normal off the face.
    nGeometry* slope = NewGeometry();
    BuildGeometry(*slope, {nVector(1, 0, 0), nVector(0, 1, 0), nVector(1, 0, 1)}, {{0, 1, 2}});
    slope->ComputeVertexNormals(true, -1.0f);
    nGeometry* plain = NewGeometry();
    BuildGeometry(*plain, {nVector(0, 0, 0), nVector(1, 0, 0), nVector(0, 1, 0)}, {{0, 1, 2}});
    const nMatrix4 stretch = nMatrix4::FromScale(2, 1, 1);
    nGeometry* merged = Merge(slope, plain, &stretch, nullptr);
    ASSERT_TRUE(merged);
    // b took the normals a had.
    ASSERT_EQ(merged->vertexNormals.GetCount(), 6u);
    ASSERT_EQ(merged->polygonNormals.GetCount(), 2u);
    const nVector* v = merged->vertices.GetData();
    const nVector edges[2] = {v[1] - v[0], v[2] - v[0]};
    for (const nVector& normal : {*merged->vertexNormals.At(0), *merged->polygonNormals.At(0)})
    {
        EXPECT_NEAR(normal.Length(), 1.0f, 1e-5f);
        for (const nVector& edge : edges)
            EXPECT_NEAR(normal.Dot(edge), 0.0f, 1e-5f);
        EXPECT_GT(normal.x * 2 + normal.y, 0.0f); // still on the same side
    }
    ExpectVector(*merged->vertexNormals.At(3), 0, 0, 1);
}

TEST_F(GeometryMergeTest, NullGeometryIsRefused)
{
    nGeometry* a = NewGeometry();
    BuildCube(*a);
    EXPECT_FALSE(nGeometry::Merge(a, nullptr, nullptr, nullptr));
    EXPECT_FALSE(nGeometry::Merge(nullptr, a, nullptr, nullptr));
    EXPECT_EQ(CountOf(log.text, "[!] Cannot merge NULL geometry.\n"), 2u);
}

TEST_F(GeometryMergeTest, OnlyEqualMaterialsAreFoldedByAMergeButNamesAloneFoldOnRequest)
{
    nGeometry* a = NewGeometry();
    nGeometry* b = NewGeometry();
    BuildCube(*a);
    BuildCube(*b);
    b->GetMaterial(0)->diffuse = nColor(1, 0, 0, 1); // also named "Default"
    nGeometry* merged = Merge(a, b, nullptr, nullptr);
    ASSERT_TRUE(merged);
    ASSERT_EQ(merged->materials.GetCount(), 2u);
    EXPECT_EQ(merged->polygons.At(6)->material, 1);
    merged->MergeMaterials(nGeometry::MergeMaterialsByName);
    EXPECT_EQ(merged->materials.GetCount(), 1u);
    EXPECT_EQ(merged->polygons.At(6)->material, 0);
}

TEST_F(GeometryMergeTest, MaterialsFoldByNameAndStages)
{
    nGeometry* geometry = NewGeometry();
    BuildGeometry(*geometry, {nVector(0, 0, 0), nVector(1, 0, 0), nVector(0, 1, 0)},
                  {{0, 1, 2}, {0, 1, 2}, {0, 1, 2}, {0, 1, 2}}, {0, 1, 2, 3});
    geometry->AllocateMaterials(4, true);
    nSharedPtr<nTexture> texture = new nTexture(&engine, 0, 0);
    const char* names[4] = {"a", "b", "a", "a"};
    for (uint32_t i = 0; i < 4; ++i)
        geometry->GetMaterial(i)->name = names[i];
    geometry->GetMaterial(3)->AddStage(ChannelDiffuse, texture.Get(), nTextureStage::UVSourceUVMap, 0);
    geometry->GetMaterial(3)->Update();
    geometry->MergeMaterials(nGeometry::MergeMaterialsByName | nGeometry::MergeMaterialsByStages);
    ASSERT_EQ(geometry->materials.GetCount(), 3u);
    const uint16_t expected[4] = {0, 1, 0, 2};
    for (uint32_t p = 0; p < 4; ++p)
        EXPECT_EQ(geometry->polygons.At(p)->material, expected[p]);
}

TEST_F(GeometryMergeTest, MergedEmbeddedMaterialsAreWrittenInFullAndOutliveTheirGeometry)
{
    nGeometry* cube = NewGeometry();
    BuildCube(*cube);
    cube->GetMaterial(0)->name = "Brick";
    nSharedPtr<nGeometry> merged = nGeometry::Merge(cube, cube, nullptr, nullptr);
    ASSERT_TRUE(merged);
    nMaterial* brick = cube->GetMaterial(0);
    EXPECT_EQ(brick->owner, cube);
    held.clear(); // the cube goes; its material stays with the merged geometry
    EXPECT_EQ(brick->owner, nullptr);
    const std::string text = Write(*merged);
    EXPECT_EQ(CountOf(text, "MaterialRef"), 0u) << text;
    nGeometry read(&engine);
    ASSERT_TRUE(ReadTag(read, WriteTag(*merged)));
    ASSERT_EQ(read.materials.GetCount(), 1u);
    EXPECT_EQ(read.GetMaterial(0)->name, "Brick");
    EXPECT_EQ(read.vertices.GetCount(), 16u);
}

TEST_F(GeometryMergeTest, AGeometryLetsGoOfTheMaterialsItOwned)
{
    nSharedPtr<nMaterial> kept;
    {
        nSharedPtr<nGeometry> geometry = new nGeometry(&engine);
        geometry->AllocateMaterials(2, true);
        kept = geometry->GetMaterial(1);
        EXPECT_EQ(kept->owner, geometry.Get());
        EXPECT_TRUE(kept->embedded);
        geometry->AllocateMaterials(1, true); // the old slots are dropped
        EXPECT_EQ(kept->owner, nullptr);
        kept = geometry->GetMaterial(0);
    }
    EXPECT_EQ(kept->owner, nullptr);
    EXPECT_TRUE(kept->embedded);
}
