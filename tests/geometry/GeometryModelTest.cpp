#include "GeometryTestSupport.h"

#include <cmath>

namespace
{
// Two quads meeting at 90 degrees along the edge of vertices 1 and 2: the first faces +z, the
// second +x.
void BuildL(nGeometry& geometry)
{
    BuildGeometry(geometry,
                  {nVector(-1, 0, 0), nVector(0, 0, 0), nVector(0, 1, 0), nVector(-1, 1, 0), nVector(0, 1, 1),
                   nVector(0, 0, 1)},
                  {{0, 1, 2, 3}, {1, 2, 4, 5}});
}

void BuildUVQuad(nGeometry& geometry)
{
    BuildGeometry(geometry, {nVector(0, 0, 0), nVector(1, 0, 0), nVector(1, 1, 0), nVector(0, 1, 0)},
                  {{0, 1, 2, 3}});
    geometry.uvSets[0].Resize(4);
    const float uv[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    for (uint32_t i = 0; i < 4; ++i)
        *geometry.uvSets[0].At(i) = nUV(uv[i][0], uv[i][1]);
}
} // namespace

class GeometryModelTest : public GeometryFixture
{
};

TEST_F(GeometryModelTest, CornerNormalsFollowTheMaterialsCosineLimit)
{
    const struct
    {
        float limit;
        bool smoothed;
    } cases[] = {{0.5f, false}, {-1.0f, true}, {1.0f, true}, {-3.0f, true}};
    for (const auto& entry : cases)
    {
        nGeometry geometry(&engine);
        BuildL(geometry);
        geometry.GetMaterial(0)->maxSmoothingAngle = entry.limit;
        geometry.ComputeVertexNormals(true, -1.0f);
        ASSERT_EQ(geometry.vertexNormals.GetCount(), 8u);
        // Binding 1 is the first quad's corner at the shared vertex 1, binding 4 the second's.
        if (entry.smoothed)
        {
            ExpectVector(*geometry.vertexNormals.At(1), 0.7071068f, 0.0f, 0.7071068f);
            ExpectVector(*geometry.vertexNormals.At(4), 0.7071068f, 0.0f, 0.7071068f);
        }
        else
        {
            ExpectVector(*geometry.vertexNormals.At(1), 0.0f, 0.0f, 1.0f);
            ExpectVector(*geometry.vertexNormals.At(4), 1.0f, 0.0f, 0.0f);
        }
        ExpectVector(*geometry.vertexNormals.At(0), 0.0f, 0.0f, 1.0f);
    }
}

TEST_F(GeometryModelTest, UVMappedQuadGetsTangentAlongUAndBitangentAlongV)
{
    nGeometry geometry(&engine);
    BuildUVQuad(geometry);
    geometry.Setup();
    ASSERT_EQ(geometry.tangentFrames.GetCount(), 4u);
    for (uint32_t i = 0; i < 4; ++i)
    {
        ExpectVector(geometry.tangentFrames.At(i)->tangent, 1.0f, 0.0f, 0.0f);
        ExpectVector(geometry.tangentFrames.At(i)->bitangent, 0.0f, 1.0f, 0.0f);
    }
    ExpectVector(geometry.centre, 0.5f, 0.5f, 0.0f);
    EXPECT_EQ(geometry.keepFlags,
              uint32_t(nGeometry::KeepMaterials | nGeometry::KeepProxies | nGeometry::KeepRenderData));
}

TEST_F(GeometryModelTest, SetupOfAnUnlitGeometryMakesNoNormals)
{
    nGeometry geometry(&engine);
    BuildUVQuad(geometry);
    geometry.GetMaterial(0)->renderFlags = MaterialUnlit;
    geometry.Setup();
    EXPECT_EQ(geometry.vertexNormals.GetCount(), 0u);
    EXPECT_EQ(geometry.tangentFrames.GetCount(), 0u);
}

TEST_F(GeometryModelTest, DegenerateOrMissingDataNeverGivesNaN)
{
    nGeometry geometry(&engine);
    // A collinear triangle and a two-corner polygon; no UV set, so no tangents either.
    BuildGeometry(geometry, {nVector(0, 0, 0), nVector(1, 0, 0), nVector(2, 0, 0)}, {{0, 1, 2}, {0, 1}});
    geometry.Setup();
    ASSERT_EQ(geometry.vertexNormals.GetCount(), 5u);
    for (uint32_t i = 0; i < 5; ++i)
    {
        const nVector& normal = *geometry.vertexNormals.At(i);
        EXPECT_FALSE(std::isnan(normal.x) || std::isnan(normal.y) || std::isnan(normal.z));
    }
    ExpectVector(*geometry.polygonNormals.At(1), 0.0f, 0.0f, 0.0f);
    EXPECT_NE(log.text.find("[*] Missing UV sets to compute tangent frame in"), std::string::npos);
    for (uint32_t i = 0; i < geometry.tangentFrames.GetCount(); ++i)
        EXPECT_FALSE(std::isnan(geometry.tangentFrames.At(i)->tangent.x));
}

TEST_F(GeometryModelTest, CheckPointsMissingMaterialsAtTheLastSlotWithOneWarning)
{
    nGeometry geometry(&engine);
    geometry.AllocateMaterials(2, true);
    BuildGeometry(geometry, {nVector(0, 0, 0), nVector(1, 0, 0), nVector(0, 1, 0)}, {{0, 1, 2}, {0, 2, 1}},
                  {5, 9});
    geometry.Check();
    EXPECT_EQ(geometry.polygons.At(0)->material, 1);
    EXPECT_EQ(geometry.polygons.At(1)->material, 1);
    EXPECT_EQ(
        CountOf(log.text,
                "[*] A polygon is using a non-existent material. Source file was probably incomplete.\n"),
        1u);
    EXPECT_EQ(geometry.GetMaterial(7), geometry.materials.At(0)->Get());
    nGeometry empty(&engine);
    EXPECT_EQ(empty.GetMaterial(0), nullptr);
}

TEST_F(GeometryModelTest, CheckClampsLongPolygonsAndKeepsLaterCornersAttributes)
{
    nGeometry geometry(&engine);
    std::vector<nVector> positions(130, nVector(0, 0, 0));
    Corners longPolygon;
    for (uint32_t i = 0; i < 130; ++i)
        longPolygon.push_back(i);
    BuildGeometry(geometry, positions, {longPolygon, {0, 1, 2}});
    geometry.uvSets[1].Resize(133);
    for (uint32_t i = 0; i < 133; ++i)
        *geometry.uvSets[1].At(i) = nUV(float(i), 0.0f);
    geometry.materials.At(0)->Get()->stageCount = 1;
    geometry.materials.At(0)->Get()->stages[0].uvSet = 4;
    geometry.Check();
    EXPECT_EQ(geometry.polygons.At(0)->bindingCount, 127);
    EXPECT_EQ(geometry.GetBindingTotal(), 130u);
    ASSERT_EQ(geometry.uvSets[1].GetCount(), 130u);
    EXPECT_EQ(geometry.GetPolygonBindings(1)[2], 2u);
    EXPECT_EQ(geometry.uvSets[1].At(geometry.polygons.At(1)->firstBinding)->u, 130.0f);
    EXPECT_EQ(geometry.materials.At(0)->Get()->stages[0].uvSet, 0);
    EXPECT_NE(log.text.find("are using one or more non-existent UV map"), std::string::npos);
}

TEST_F(GeometryModelTest, VertexPolygonAndHomogeneousTables)
{
    nGeometry geometry(&engine);
    BuildL(geometry);
    nAutoArray<nVertexPolygons> table(MemCategoryGeometry);
    ASSERT_TRUE(geometry.BuildVertexPolygonTable(table));
    ASSERT_EQ(table.GetCount(), 6u);
    EXPECT_EQ(table.At(1)->count, 2u);
    EXPECT_EQ(*table.At(1)->polygons.At(1), 1u);
    EXPECT_EQ(table.At(0)->count, 1u);
    geometry.ComputeVertexNormals(true, 0.5f);
    nAutoArray<uint8_t> homogeneous(MemCategoryGeometry);
    ASSERT_TRUE(geometry.ComputeHomogeneousVertexTable(homogeneous, table, -1));
    EXPECT_EQ(*homogeneous.At(0), 1); // one polygon only
    EXPECT_EQ(*homogeneous.At(1), 0); // two corner normals
}

TEST_F(GeometryModelTest, ReleaseDataKeepsWhatTheKeepFlagsProtect)
{
    nGeometry geometry(&engine);
    BuildUVQuad(geometry);
    geometry.lodDistance = 5.0f;
    geometry.flags = nGeometry::FlagLodNull | nGeometry::FlagHidden;
    geometry.keepFlags = nGeometry::KeepMaterials | nGeometry::KeepMapping;
    geometry.ReleaseData();
    EXPECT_EQ(geometry.vertices.GetCount(), 0u);
    EXPECT_EQ(geometry.polygons.GetCount(), 0u);
    EXPECT_EQ(geometry.materials.GetCount(), 1u);
    EXPECT_EQ(geometry.uvSets[0].GetCount(), 4u);
    EXPECT_EQ(geometry.lodDistance, 100.0f);
    EXPECT_EQ(geometry.flags, uint32_t(nGeometry::FlagHidden));
    geometry.Clear();
    EXPECT_EQ(geometry.materials.GetCount(), 0u);
    EXPECT_EQ(geometry.keepFlags, 0u);
}

TEST_F(GeometryModelTest, GetMinMaxFallsBackOnTheStoredBox)
{
    nGeometry geometry(&engine);
    BuildUVQuad(geometry);
    geometry.box = geometry.GetMinMax(nullptr);
    ExpectVector(geometry.box.max, 1.0f, 1.0f, 0.0f);
    geometry.Clear();
    const nMinMax kept = geometry.GetMinMax(nullptr);
    ExpectVector(kept.max, 1.0f, 1.0f, 0.0f);
    const nMatrix4 moved = nMatrix4::FromTranslation(2.0f, 0.0f, 0.0f);
    ExpectVector(geometry.GetMinMax(&moved).max, 3.0f, 1.0f, 0.0f);
}

namespace
{
// Notes at each message how much the geometry still holds.
class DestructionWatcher : public StubEngineServices
{
public:
    void SendCoreMessage(nCoreMessage message, const nCoreEventData* data) override
    {
        seen.push_back({message, data->geometry->vertices.GetCount(), data->geometry->renderData.Get()});
    }
    struct Seen
    {
        nCoreMessage message;
        uint32_t vertices;
        nRenderGeometry* renderData;
    };
    std::vector<Seen> seen;
};
} // namespace

TEST_F(GeometryModelTest, DestructorAnnouncesThenClearsThenConfirms)
{
    DestructionWatcher watcher;
    auto* renderData = new nRenderGeometry(nullptr);
    {
        nSharedPtr<nRenderGeometry> probe(renderData);
        auto* geometry = new nGeometry(&watcher);
        BuildUVQuad(*geometry);
        geometry->renderData = renderData;
        delete geometry;
        EXPECT_EQ(probe->GetRefCount(), 1u);
    }
    ASSERT_EQ(watcher.seen.size(), 2u);
    EXPECT_EQ(watcher.seen[0].message, CoreMessageResourceDestroying);
    EXPECT_EQ(watcher.seen[0].vertices, 4u);
    EXPECT_EQ(watcher.seen[0].renderData, renderData);
    EXPECT_EQ(watcher.seen[1].message, CoreMessageResourceDestroyed);
    EXPECT_EQ(watcher.seen[1].vertices, 0u);
}
