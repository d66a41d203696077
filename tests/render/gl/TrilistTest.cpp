#include "geometry/GeometryTestSupport.h"

#include "geometry/nMaterial.h"
#include "render/gl/nGPUVertexLayout.h"
#include "render/gl/nTrilist.h"

#include <cmath>
#include <set>

namespace
{
using BoneSet = std::vector<uint16_t>;

class TrilistTest : public GeometryFixture
{
protected:
    TrilistTest() : geometry(new nGeometry(&engine)) {}

    // Every vertex gets bones from the set of its polygon, four at a time around the set, with
    // equal weights; vertices must not be shared between polygons.
    void SkinPolygons(const std::vector<BoneSet>& bonesOfPolygon, uint32_t boneCount)
    {
        geometry->AllocateSkin(boneCount);
        geometry->weights.Resize(geometry->vertices.GetCount());
        for (uint32_t p = 0; p < bonesOfPolygon.size(); ++p)
        {
            const BoneSet& bones = bonesOfPolygon[p];
            const uint32_t* corners = geometry->GetPolygonBindings(p);
            for (uint32_t c = 0; c < geometry->polygons.At(p)->bindingCount; ++c)
            {
                nSkinWeight& weight = *geometry->weights.At(corners[c]);
                for (uint32_t i = 0; i < 4; ++i)
                {
                    weight.bones[i] = bones[(c * 4 + i) % bones.size()];
                    weight.weights[i] = 0.25f;
                }
            }
        }
    }

    // count triangles with vertices of their own, triangle t at x = t.
    void BuildTriangles(uint32_t count, const std::vector<uint16_t>& materials = {})
    {
        std::vector<nVector> positions;
        std::vector<Corners> polygons;
        for (uint32_t t = 0; t < count; ++t)
        {
            const uint32_t first = uint32_t(positions.size());
            positions.insert(positions.end(), {nVector(float(t), 0, 0), nVector(float(t), 1, 0),
                                               nVector(float(t), 1, 1)});
            polygons.push_back({first, first + 1, first + 2});
        }
        BuildGeometry(*geometry, positions, polygons, materials);
    }

    std::unique_ptr<nTrilistArray> Build(uint32_t triangleLimit = nTrilist::VertexLimit)
    {
        auto lists = BuildTriangleLists(geometry.Get(), triangleLimit);
        EXPECT_NE(lists, nullptr) << log.text;
        return lists;
    }

    // The lists of a build, kept until the next one.
    std::vector<const nTrilist*> ListsOf(std::unique_ptr<nTrilistArray> lists)
    {
        built = std::move(lists);
        std::vector<const nTrilist*> all;
        nListIterator<nTrilist*> iterator;
        while (const nTrilist* list = built ? built->Next(iterator) : nullptr)
            all.push_back(list);
        return all;
    }

    static std::vector<uint32_t> IndicesOf(const nTrilist& list)
    {
        return std::vector<uint32_t>(list.indices.GetData(), list.indices.GetData() + list.indices.GetCount());
    }

    nSharedPtr<nGeometry> geometry;
    std::unique_ptr<nTrilistArray> built;
};
} // namespace

TEST_F(TrilistTest, AQuadIsAFanOfTwoTriangles)
{
    BuildGeometry(*geometry, {nVector(0, 0, 0), nVector(1, 0, 0), nVector(1, 1, 0), nVector(0, 1, 0)},
                  {{0, 1, 2, 3}});
    const auto lists = ListsOf(Build());
    ASSERT_EQ(lists.size(), 1u);
    EXPECT_EQ(IndicesOf(*lists[0]), (std::vector<uint32_t>{0, 1, 2, 0, 2, 3}));
    EXPECT_EQ(lists[0]->vertices.GetCount(), 4u);
    EXPECT_EQ(lists[0]->skin.GetCount(), 0u);
    EXPECT_EQ(lists[0]->boneMap.GetCount(), 0u);
    ExpectVector(*lists[0]->vertices.At(2), 1, 1, 0);
    EXPECT_NE(log.text.find("Building geometry triangle list...\n"), std::string::npos);
    EXPECT_NE(log.text.find("Done in "), std::string::npos);
    EXPECT_EQ(log.text.find("[!]"), std::string::npos) << log.text;
}

TEST_F(TrilistTest, CornersAlikeShareOneVertexAndCornersThatDifferDoNot)
{
    struct Case
    {
        float uOfSecondQuad;
        uint32_t vertices;
    };
    for (const Case& test : {Case{0.0f, 6}, Case{1.0f, 8}})
    {
        geometry = new nGeometry(&engine);
        BuildGeometry(*geometry,
                      {nVector(0, 0, 0), nVector(1, 0, 0), nVector(1, 1, 0), nVector(0, 1, 0), nVector(2, 0, 0),
                       nVector(2, 1, 0)},
                      {{0, 1, 2, 3}, {1, 4, 5, 2}});
        geometry->uvSets[0].Resize(8);
        for (uint32_t binding = 4; binding < 8; ++binding)
            geometry->uvSets[0].At(binding)->u = test.uOfSecondQuad;
        const auto lists = ListsOf(Build());
        ASSERT_EQ(lists.size(), 1u);
        const nTrilist& list = *lists[0];
        EXPECT_EQ(list.vertices.GetCount(), test.vertices);
        ASSERT_EQ(list.uvSets[0].GetCount(), test.vertices);
        for (uint32_t i = 0; i < list.indices.GetCount(); ++i)
        {
            const uint32_t index = *list.indices.At(i);
            ASSERT_LT(index, test.vertices);
            // Triangles 0 and 1 belong to the first quad, whose corners all have u = 0.
            EXPECT_EQ(list.uvSets[0].At(index)->u, i < 6 ? 0.0f : test.uOfSecondQuad) << i;
        }
    }
}

TEST_F(TrilistTest, TwoMaterialsNeverShareAList)
{
    BuildTriangles(4, {0, 1, 0, 1});
    geometry->AllocateMaterials(2, true);
    const auto lists = ListsOf(Build());
    ASSERT_EQ(lists.size(), 2u);
    for (uint32_t material = 0; material < 2; ++material)
    {
        const nTrilist& list = *lists[material];
        EXPECT_EQ(list.material, material);
        ASSERT_EQ(list.GetTriangleCount(), 2u);
        // Triangle t lies at x = t, and material m has triangles m and m + 2.
        EXPECT_EQ(list.vertices.At(*list.indices.At(0))->x, float(material));
        EXPECT_EQ(list.vertices.At(*list.indices.At(3))->x, float(material + 2));
    }
}

TEST_F(TrilistTest, ThirtyBonesSplitIntoListsOfAtMostSixteenWithSlotsIntoTheirMaps)
{
    constexpr uint32_t Triangles = 30;
    BuildTriangles(Triangles);
    std::vector<BoneSet> bones;
    for (uint16_t t = 0; t < Triangles; ++t)
        bones.push_back({t, uint16_t((t + 7) % 30), uint16_t((t + 13) % 30), uint16_t((t + 22) % 30),
                         uint16_t((t + 3) % 30)});
    SkinPolygons(bones, 30);
    const auto lists = ListsOf(Build());
    EXPECT_GT(lists.size(), 1u);
    uint32_t triangles = 0;
    for (const nTrilist* list : lists)
    {
        EXPECT_LE(list->boneMap.GetCount(), nTrilist::BoneLimit);
        EXPECT_EQ(std::set<uint16_t>(list->boneMap.GetData(), list->boneMap.GetData() + list->boneMap.GetCount())
                      .size(),
                  list->boneMap.GetCount());
        ASSERT_EQ(list->skin.GetCount(), list->vertices.GetCount());
        for (uint32_t v = 0; v < list->vertices.GetCount(); ++v)
        {
            const uint32_t t = uint32_t(list->vertices.At(v)->x);
            const uint32_t corner = uint32_t(list->vertices.At(v)->y + list->vertices.At(v)->z);
            for (uint32_t i = 0; i < 4; ++i)
            {
                const nTrilistSkin& skin = *list->skin.At(v);
                ASSERT_LT(skin.slots[i], list->boneMap.GetCount());
                EXPECT_EQ(*list->boneMap.At(skin.slots[i]), bones[t][(corner * 4 + i) % 5]);
                EXPECT_EQ(skin.weights[i], 0.25f);
            }
        }
        triangles += list->GetTriangleCount();
    }
    EXPECT_EQ(triangles, Triangles);
    EXPECT_EQ(log.text.find("[!]"), std::string::npos) << log.text;
}

TEST_F(TrilistTest, ListsStopAtTwelveBonesAndTakeOnlyPolygonsWhoseNewBonesFitSixteen)
{
    struct Case
    {
        const char* name;
        std::vector<BoneSet> bones;
        std::vector<uint32_t> bonesPerList;
    };
    const auto range = [](uint16_t from, uint16_t count)
    {
        BoneSet bones;
        for (uint16_t b = 0; b < count; ++b)
            bones.push_back(uint16_t(from + b));
        return bones;
    };
    const Case cases[] = {
        {"stop at 12", {range(0, 4), range(4, 4), range(8, 4), range(12, 4)}, {12, 4}},
        {"17 do not fit", {range(0, 11), range(11, 6)}, {11, 6}},
        {"16 fit", {range(0, 11), range(11, 5)}, {16}},
        {"known bones cost nothing", {range(0, 11), range(0, 12)}, {12}},
    };
    for (const Case& test : cases)
    {
        geometry = new nGeometry(&engine);
        BuildTriangles(uint32_t(test.bones.size()));
        SkinPolygons(test.bones, 32);
        std::vector<uint32_t> bonesPerList;
        for (const nTrilist* list : ListsOf(Build()))
            bonesPerList.push_back(list->boneMap.GetCount());
        EXPECT_EQ(bonesPerList, test.bonesPerList) << test.name;
    }
}

TEST_F(TrilistTest, AFirstPolygonOfTwentyBonesKeepsSixteenAndDropsTheRestToSlotZero)
{
    BuildGeometry(*geometry, {nVector(0, 0, 0), nVector(1, 0, 0), nVector(2, 1, 0), nVector(1, 2, 0), nVector(0, 1, 0)},
                  {{0, 1, 2, 3, 4}});
    BoneSet twenty;
    for (uint16_t b = 0; b < 20; ++b)
        twenty.push_back(b);
    SkinPolygons({twenty}, 20);
    const auto lists = ListsOf(Build());
    ASSERT_EQ(lists.size(), 1u);
    const nTrilist& list = *lists[0];
    ASSERT_EQ(list.boneMap.GetCount(), 16u);
    EXPECT_EQ(*list.boneMap.At(15), 15);
    EXPECT_EQ(CountOf(log.text, "[!] Bone array safeguard exceeded!\n"), 4u);
    const nTrilistSkin& kept = *list.skin.At(3);
    const nTrilistSkin& dropped = *list.skin.At(4);
    for (uint32_t i = 0; i < 4; ++i)
    {
        EXPECT_EQ(kept.slots[i], 12 + i);
        EXPECT_EQ(kept.weights[i], 0.25f);
        EXPECT_EQ(dropped.slots[i], 0);
        EXPECT_EQ(dropped.weights[i], 0.0f);
    }
}

TEST_F(TrilistTest, PolygonsPastTheRemapCapacityAreRemappedWholeAndReportedOnce)
{
    constexpr uint32_t CornerCount = 200;
    std::vector<nVector> positions;
    std::vector<Corners> polygons(2);
    for (uint32_t p = 0; p < 2; ++p)
        for (uint32_t c = 0; c < CornerCount; ++c)
        {
            const float angle = 6.2831853f * float(c) / float(CornerCount);
            polygons[p].push_back(uint32_t(positions.size()));
            positions.emplace_back(std::cos(angle), std::sin(angle), float(p));
        }
    BuildGeometry(*geometry, positions, polygons);
    const auto lists = ListsOf(Build());
    ASSERT_EQ(lists.size(), 1u);
    const std::vector<uint32_t> indices = IndicesOf(*lists[0]);
    ASSERT_EQ(indices.size(), 2 * (CornerCount - 2) * 3);
    for (uint32_t k = 1; k + 1 < CornerCount; ++k)
    {
        const uint32_t at = (CornerCount - 2 + k - 1) * 3;
        ASSERT_EQ(indices[at], CornerCount) << k;
        ASSERT_EQ(indices[at + 1], CornerCount + k) << k;
        ASSERT_EQ(indices[at + 2], CornerCount + k + 1) << k;
    }
    EXPECT_EQ(CountOf(log.text, "[!] One or more polygon(s) vertex count exceeded remapping capability (128).\n"), 1u);
}

TEST_F(TrilistTest, ListsCloseAtTheVertexLimit)
{
    constexpr uint32_t Triangles = 6000;
    BuildTriangles(Triangles);
    const auto lists = ListsOf(Build(Triangles * 2));
    ASSERT_EQ(lists.size(), 2u);
    EXPECT_EQ(lists[0]->vertices.GetCount(), nTrilist::VertexLimit / 3 * 3);
    EXPECT_EQ(lists[0]->GetTriangleCount() + lists[1]->GetTriangleCount(), Triangles);
    for (const nTrilist* list : lists)
        for (uint32_t i = 0; i < list->indices.GetCount(); ++i)
            ASSERT_LT(*list->indices.At(i), list->vertices.GetCount());
}

TEST_F(TrilistTest, ATriangleLimitClosesListsYetEveryListTakesItsFirstPolygon)
{
    struct Case
    {
        uint32_t limit;
        uint32_t lists;
    };
    for (const Case& test : {Case{0, 3}, Case{2, 3}, Case{3, 3}, Case{5, 2}, Case{7, 1}})
    {
        geometry = new nGeometry(&engine);
        BuildQuadGrid(*geometry, 3, 3);
        const auto lists = Build(test.limit);
        ASSERT_NE(lists, nullptr);
        EXPECT_EQ(lists->GetCount(), test.lists) << "limit " << test.limit;
    }
}

TEST_F(TrilistTest, NullOrEmptyGeometriesAreRefused)
{
    EXPECT_EQ(BuildTriangleLists(nullptr, 100), nullptr);
    EXPECT_NE(log.text.find("[!] Invalid geometry ().\n"), std::string::npos);
    geometry->name = "empty";
    EXPECT_EQ(BuildTriangleLists(geometry.Get(), 100), nullptr);
    EXPECT_NE(log.text.find("[!] Invalid geometry (empty).\n"), std::string::npos);
}

TEST_F(TrilistTest, ListStreamsPackThroughTheDisplayListLayout)
{
    for (const bool tangentMaterial : {false, true})
    {
        geometry = new nGeometry(&engine);
        BuildGeometry(*geometry, {nVector(0, 0, 0), nVector(1, 0, 0), nVector(1, 1, 0), nVector(0, 1, 0)},
                      {{0, 1, 2, 3}});
        geometry->GetMaterial(0)->renderFlags = tangentMaterial ? uint32_t{MaterialNormalMapTangent} : 0u;
        geometry->vertexNormals.Resize(4);
        geometry->tangentFrames.Resize(4);
        geometry->uvSets[0].Resize(4);
        for (uint32_t binding = 0; binding < 4; ++binding)
        {
            *geometry->vertexNormals.At(binding) = nVector(0, 0, 1);
            geometry->tangentFrames.At(binding)->tangent = nVector(1, 0, 0);
            geometry->tangentFrames.At(binding)->bitangent = nVector(0, -1, 0);
            *geometry->uvSets[0].At(binding) = nUV(float(binding), 0.5f);
        }
        SkinPolygons({{3, 5, 8, 9}}, 10);
        geometry->weights.At(2)->weights[0] = 1.0f;

        const auto lists = ListsOf(Build());
        ASSERT_EQ(lists.size(), 1u);
        const nGPUGeometryStreams streams = lists[0]->GetStreams();
        ASSERT_EQ(streams.boneMapCount, 4u);
        EXPECT_EQ(streams.boneMap[1], 5);
        nGPUVertexLayout layout;
        layout.Compute(streams);
        ASSERT_EQ(layout.stride, tangentMaterial ? 40u : 32u);
        EXPECT_EQ(layout.offsets[nGPUVertexLayout::TangentFrame], tangentMaterial ? 24 : -1);
        uint8_t vertex[40] = {};
        layout.Pack(streams, 2, vertex);
        float position[3];
        memcpy(position, vertex, sizeof position);
        EXPECT_EQ(position[0], 1.0f);
        EXPECT_EQ(position[1], 1.0f);
        EXPECT_EQ(vertex[layout.offsets[nGPUVertexLayout::Normal] + 2], 127);
        float uv[2];
        memcpy(uv, vertex + layout.offsets[nGPUVertexLayout::UV0], sizeof uv);
        EXPECT_EQ(uv[0], 2.0f);
        const uint8_t* skin = vertex + layout.offsets[nGPUVertexLayout::Skin];
        EXPECT_EQ((std::vector<int>{skin[0], skin[1], skin[2], skin[3], skin[4], skin[5]}),
                  (std::vector<int>{0, 1, 2, 3, 255, 63}));
        if (tangentMaterial)
        {
            EXPECT_EQ(int8_t(vertex[layout.offsets[nGPUVertexLayout::TangentFrame] + 5]), -127);
        }
    }
}
