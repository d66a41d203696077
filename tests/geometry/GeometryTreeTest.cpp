#include "geometry/nBIH.h"
#include "geometry/nGeometry.h"
#include "geometry/nGeometryBIH.h"
#include "geometry/nGeometryKDTree.h"

#include "GeometryTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

namespace
{

// Counts the leaves a walk reaches, with their items.
class CountingBIH : public nBIH
{
public:
    using nBIH::nBIH;
    void IntersectLeaf(const nBIHLeaf& leaf, float, float, nBIHState&, void*) override
    {
        ++leaves;
        items += leaf.count;
    }
    uint32_t leaves = 0;
    uint32_t items = 0;
};

std::vector<nMinMax> BoxesAlongX(uint32_t count, float width)
{
    std::vector<nMinMax> boxes;
    for (uint32_t i = 0; i < count; ++i)
        boxes.emplace_back(nVector(float(i), 0.0f, 0.0f), nVector(float(i) + width, 1.0f, 1.0f));
    return boxes;
}

void SetDoubleSided(nGeometry& geometry, bool on)
{
    geometry.GetMaterial(0)->renderFlags = on ? MaterialDoubleSided : MaterialDefaultRenderFlags;
}

class GeometryTreeTest : public GeometryFixture
{
protected:
    // The unit quad in z = 0, its normal +z, as one fan polygon of two triangles.
    void BuildUnitQuad(nGeometry& geometry)
    {
        BuildGeometry(geometry, {nVector(0, 0, 0), nVector(1, 0, 0), nVector(1, 1, 0), nVector(0, 1, 0)},
                      {{0, 1, 2, 3}});
    }

    nGeometryHit Cast(const nGeometry& geometry, nVector origin, nVector direction, float maxDistance = -1.0f)
    {
        nGeometryHit hit;
        geometry.tree->Intersect(hit, origin, direction, maxDistance);
        return hit;
    }
};

TEST_F(GeometryTreeTest, BoundingIntervalHierarchyFindsTheQuadFromEachSide)
{
    struct Case
    {
        const char* name;
        nVector origin;
        nVector direction;
        bool doubleSided;
        bool hit;
        float distance;
        uint32_t triangle;
        uint8_t backFace;
    };
    const Case cases[] = {
        {"front", nVector(0.5f, 0.5f, 1.0f), nVector(0, 0, -1), false, true, 1.0f, 0, 0},
        {"behind", nVector(0.5f, 0.5f, -1.0f), nVector(0, 0, 1), false, false, 0.0f, 0, 0},
        {"behind, double-sided", nVector(0.5f, 0.5f, -1.0f), nVector(0, 0, 1), true, true, 1.0f, 0, 1},
        {"fan diagonal", nVector(0.3f, 0.3f, 2.0f), nVector(0, 0, -1), false, true, 2.0f, 0, 0},
        {"second fan triangle", nVector(0.2f, 0.7f, 1.0f), nVector(0, 0, -1), false, true, 1.0f, 1, 0},
        {"outside the quad", nVector(1.5f, 0.5f, 1.0f), nVector(0, 0, -1), false, false, 0.0f, 0, 0},
        {"in its plane, double-sided", nVector(-1.0f, 0.5f, 0.0f), nVector(1, 0, 0), true, false, 0.0f, 0, 0},
        {"unnormalised direction", nVector(0.5f, 0.5f, 4.0f), nVector(0, 0, -2), false, true, 2.0f, 0, 0},
    };
    for (const Case& c : cases)
    {
        nGeometry geometry(nullptr);
        BuildUnitQuad(geometry);
        SetDoubleSided(geometry, c.doubleSided);
        ASSERT_TRUE(geometry.CreateTree(nGeometryTree::KindBIH)) << c.name;
        const nGeometryHit hit = Cast(geometry, c.origin, c.direction);
        ASSERT_EQ(hit.hit != 0, c.hit) << c.name;
        if (!c.hit)
            continue;
        EXPECT_FLOAT_EQ(hit.distance, c.distance) << c.name;
        EXPECT_EQ(hit.polygon, 0u) << c.name;
        EXPECT_EQ(hit.triangle, c.triangle) << c.name;
        EXPECT_EQ(hit.backFace, c.backFace) << c.name;
        EXPECT_EQ(hit.geometry, &geometry) << c.name;
        EXPECT_NEAR(hit.barycentrics[0] + hit.barycentrics[1] + hit.barycentrics[2], 1.0f, 1e-6f) << c.name;
    }
}

TEST_F(GeometryTreeTest, BoundingIntervalHierarchyStopsAtTheDistanceLimitAndSkipsShortPolygons)
{
    nGeometry geometry(nullptr);
    // A two-corner polygon in front of the quad takes no part.
    BuildGeometry(geometry,
                  {nVector(0, 0, 0), nVector(1, 0, 0), nVector(1, 1, 0), nVector(0, 1, 0),
                   nVector(0, 0, 0.5f), nVector(1, 1, 0.5f)},
                  {{4, 5}, {0, 1, 2, 3}});
    ASSERT_TRUE(geometry.CreateTree(nGeometryTree::KindBIH));
    EXPECT_FALSE(Cast(geometry, nVector(0.5f, 0.5f, 1.0f), nVector(0, 0, -1), 0.5f).hit);
    const nGeometryHit hit = Cast(geometry, nVector(0.5f, 0.5f, 1.0f), nVector(0, 0, -1), 2.0f);
    ASSERT_TRUE(hit.hit);
    EXPECT_EQ(hit.polygon, 1u);
    EXPECT_EQ(hit.tested, 2u);
}

// A polygon's plane comes from all its corners, so one whose first corners coincide (as a ball's
// pole caps are built) keeps its triangle with area; one with no area at all is never hit.
TEST_F(GeometryTreeTest, APolygonWhoseFirstCornersMeetKeepsItsTriangleWithArea)
{
    struct Case
    {
        const char* name;
        std::vector<uint32_t> corners;
        float x, y;
        bool hit;
    };
    const Case cases[] = {
        {"first two corners meet, inside", {0, 0, 2, 3}, 0.2f, 0.7f, true},
        {"first two corners meet, outside", {0, 0, 2, 3}, 0.7f, 0.2f, false},
        {"last two corners meet", {2, 3, 0, 0}, 0.2f, 0.7f, true},
        {"all on one line", {0, 1, 4, 0}, 0.5f, 0.0f, false},
    };
    for (const Case& c : cases)
    {
        nGeometry geometry(nullptr);
        BuildGeometry(
            geometry,
            {nVector(0, 0, 0), nVector(1, 0, 0), nVector(1, 1, 0), nVector(0, 1, 0), nVector(2, 0, 0)},
            {c.corners});
        ASSERT_TRUE(geometry.CreateTree(nGeometryTree::KindBIH)) << c.name;
        const nGeometryHit hit = Cast(geometry, nVector(c.x, c.y, 1.0f), nVector(0, 0, -1));
        EXPECT_EQ(hit.hit != 0, c.hit) << c.name;
        if (!c.hit)
            continue;
        EXPECT_FLOAT_EQ(hit.distance, 1.0f) << c.name;
        EXPECT_EQ(hit.backFace, 0) << c.name;
        EXPECT_NEAR(geometry.polygonNormals.At(0)->z, 1.0f, 1e-6f) << c.name;
    }

    // A polygon so small that the square of its area underflows still gets a finite normal.
    nGeometry tiny(nullptr);
    BuildGeometry(tiny, {nVector(0, 0, 0), nVector(1e-21f, 0, 0), nVector(0, 1e-21f, 0)}, {{0, 1, 2}});
    ASSERT_TRUE(tiny.CreateTree(nGeometryTree::KindBIH));
    const nVector& normal = *tiny.polygonNormals.At(0);
    EXPECT_TRUE(std::isfinite(normal.x) && std::isfinite(normal.y) && std::isfinite(normal.z));
}

TEST_F(GeometryTreeTest, HierarchySplitsNineBoxesAndKeepsEightInOneLeaf)
{
    for (uint32_t count : {8u, 9u})
    {
        CountingBIH bih;
        const std::vector<nMinMax> boxes = BoxesAlongX(count, 1.0f);
        ASSERT_TRUE(bih.Build(count, boxes.data()));
        EXPECT_EQ(bih.GetNode(0).IsLeaf(), count == 8) << count;
        EXPECT_EQ(bih.GetNodeCount(), count == 8 ? 1u : 3u) << count;
        EXPECT_EQ(bih.GetLeafCount(), count == 8 ? 1u : 2u) << count;
        ExpectVector(bih.GetRootBox().min, -0.0001f, -0.0001f, -0.0001f);
    }
    CountingBIH empty;
    EXPECT_FALSE(empty.Build(0, nullptr));
}

TEST_F(GeometryTreeTest, IdenticalBoxesStopSplittingAtDepthSixtyFour)
{
    std::vector<nMinMax> boxes(20, nMinMax(nVector(0, 0, 0), nVector(1, 1, 1)));
    CountingBIH bih;
    ASSERT_TRUE(bih.Build(uint32_t(boxes.size()), boxes.data()));
    EXPECT_EQ(bih.GetMaxDepth(), nBIH::MaxDepth);
    EXPECT_EQ(bih.GetNodeCount(), 1u + 2u * nBIH::MaxDepth);
    nBIHState state;
    bih.Intersect(state, nVector(0.5f, 0.5f, -1.0f), nVector(0, 0, 1), -1.0f, nullptr);
    EXPECT_EQ(bih.items, 20u);
}

TEST_F(GeometryTreeTest, ARayInTheGapBetweenTheClipsVisitsNeitherChild)
{
    // Boxes half a unit wide: the lower side ends at 4.5, the upper one starts at 5.
    const std::vector<nMinMax> boxes = BoxesAlongX(9, 0.5f);
    CountingBIH bih;
    ASSERT_TRUE(bih.Build(9, boxes.data()));
    ASSERT_FALSE(bih.GetNode(0).IsLeaf());
    EXPECT_FLOAT_EQ(bih.GetNode(0).GetLeftClip(), 4.5001f);
    EXPECT_FLOAT_EQ(bih.GetNode(0).GetRightClip(), 4.9999f);
    nBIHState state;
    bih.Intersect(state, nVector(4.7f, -1.0f, 0.5f), nVector(0, 1, 0), -1.0f, nullptr);
    EXPECT_EQ(bih.leaves, 0u);
    EXPECT_EQ(state.steps, 1u);
    bih.Intersect(state, nVector(4.2f, -1.0f, 0.5f), nVector(0, 1, 0), -1.0f, nullptr);
    EXPECT_EQ(bih.leaves, 1u);
    bih.Intersect(state, nVector(-1.0f, 0.5f, 0.5f), nVector(1, 0, 0), -1.0f, nullptr);
    EXPECT_EQ(bih.leaves, 3u);
}

TEST_F(GeometryTreeTest, KDTreeOverFourTrianglesIsOneLeafAndFindsThem)
{
    nGeometry geometry(nullptr);
    // Two quads split into triangles, one behind the other.
    BuildGeometry(geometry,
                  {nVector(0, 0, 0), nVector(1, 0, 0), nVector(1, 1, 0), nVector(0, 1, 0), nVector(0, 0, -1),
                   nVector(1, 0, -1), nVector(1, 1, -1), nVector(0, 1, -1)},
                  {{0, 1, 2}, {0, 2, 3}, {4, 5, 6}, {4, 6, 7}});
    ASSERT_TRUE(geometry.CreateTree(nGeometryTree::KindKDTree));
    const auto& tree = static_cast<const nGeometryKDTree&>(*geometry.tree);
    EXPECT_EQ(tree.GetNodeCount(), 1u);
    EXPECT_TRUE(tree.GetNode(0).leaf);
    EXPECT_EQ(tree.GetTriangleCount(), 4u);
    nGeometryHit hit = Cast(geometry, nVector(0.7f, 0.2f, 1.0f), nVector(0, 0, -1));
    ASSERT_TRUE(hit.hit);
    EXPECT_EQ(hit.polygon, 0u);
    EXPECT_FLOAT_EQ(hit.distance, 1.0f);
    hit = Cast(geometry, nVector(0.2f, 0.7f, -3.0f), nVector(0, 0, 1));
    EXPECT_FALSE(hit.hit);
    SetDoubleSided(geometry, true);
    hit = Cast(geometry, nVector(0.2f, 0.7f, -3.0f), nVector(0, 0, 1));
    ASSERT_TRUE(hit.hit);
    EXPECT_EQ(hit.polygon, 3u);
    EXPECT_EQ(hit.backFace, 1u);
    EXPECT_FLOAT_EQ(hit.distance, 2.0f);
    EXPECT_FALSE(Cast(geometry, nVector(0.2f, 0.7f, -3.0f), nVector(0, 0, 1), 1.5f).hit);
}

TEST_F(GeometryTreeTest, CreateTreeBuildsOnceAndTheTreeGoesWithTheTopology)
{
    nGeometry geometry(nullptr);
    BuildUnitQuad(geometry);
    EXPECT_FALSE(geometry.CreateTree(7));
    EXPECT_NE(log.text.find("[!] Failed to allocate geotree.\n"), std::string::npos) << log.text;
    EXPECT_EQ(geometry.tree, nullptr);
    ASSERT_TRUE(geometry.CreateTree(nGeometryTree::KindBIH));
    EXPECT_NE(geometry.keepFlags & nGeometry::KeepTopology, 0u);
    EXPECT_NE(log.text.find("Building bounding interval hierarchy BIH...\n"), std::string::npos);
    EXPECT_NE(log.text.find("1 nodes, 1 leaves, depth = 0.\n"), std::string::npos) << log.text;
    const nGeometryTree* first = geometry.tree;
    EXPECT_TRUE(geometry.CreateTree(nGeometryTree::KindKDTree));
    EXPECT_EQ(geometry.tree, first);
    geometry.ReleaseData(); // keeps the topology, so the tree stays
    EXPECT_EQ(geometry.tree, first);
    geometry.keepFlags = 0;
    geometry.ReleaseData();
    EXPECT_EQ(geometry.tree, nullptr);

    nGeometry empty(nullptr);
    empty.AllocateMaterials(1, true);
    EXPECT_FALSE(empty.CreateTree(nGeometryTree::KindKDTree));
    ASSERT_NE(empty.tree, nullptr);
    EXPECT_FALSE(Cast(empty, nVector(0, 0, 1), nVector(0, 0, -1)).hit);
}

// The nearest hit of a ray, in double precision over every triangle: definite hits lie clearly
// inside their triangle, possible ones within a hair of an edge, where float trees may differ.
struct BruteForceAnswer
{
    double definite = INFINITY;
    double definiteCosine = 1.0;
    struct Possible
    {
        uint32_t polygon;
        double t;
        double cosine; // of the angle between the ray and the normal
    };
    std::vector<Possible> possible;
    std::vector<uint32_t> grazing; // nearly parallel to the ray: any answer is fine
};

// Each triangle's corner, edges and normal in double precision, and whether it shows its back.
struct ReferenceTriangle
{
    double corner[3];
    double e1[3];
    double e2[3];
    double n[3];
    double length;
    bool doubleSided;
};

std::vector<ReferenceTriangle> ReferenceTriangles(const nGeometry& geometry)
{
    std::vector<ReferenceTriangle> triangles;
    for (uint32_t p = 0; p < geometry.polygons.GetCount(); ++p)
    {
        const uint32_t* c = geometry.GetPolygonBindings(p);
        const nVector& a = *geometry.vertices.At(c[0]);
        const nVector& b = *geometry.vertices.At(c[1]);
        const nVector& e = *geometry.vertices.At(c[2]);
        ReferenceTriangle t{{a.x, a.y, a.z},
                            {double(b.x) - a.x, double(b.y) - a.y, double(b.z) - a.z},
                            {double(e.x) - a.x, double(e.y) - a.y, double(e.z) - a.z},
                            {},
                            0.0,
                            false};
        t.n[0] = t.e1[1] * t.e2[2] - t.e1[2] * t.e2[1];
        t.n[1] = t.e1[2] * t.e2[0] - t.e1[0] * t.e2[2];
        t.n[2] = t.e1[0] * t.e2[1] - t.e1[1] * t.e2[0];
        t.length = std::sqrt(t.n[0] * t.n[0] + t.n[1] * t.n[1] + t.n[2] * t.n[2]);
        t.doubleSided =
            (geometry.GetMaterial(geometry.polygons.At(p)->material)->renderFlags & MaterialDoubleSided) != 0;
        triangles.push_back(t);
    }
    return triangles;
}

BruteForceAnswer BruteForce(const std::vector<ReferenceTriangle>& triangles, const nVector& o,
                            const nVector& d)
{
    BruteForceAnswer answer;
    for (uint32_t p = 0; p < triangles.size(); ++p)
    {
        const ReferenceTriangle& r = triangles[p];
        const double denom = r.n[0] * d.x + r.n[1] * d.y + r.n[2] * d.z;
        if (std::fabs(denom) < 1e-4 * r.length)
        {
            answer.grazing.push_back(p);
            continue;
        }
        if (denom >= 0 && !r.doubleSided)
            continue;
        const double s[3] = {double(o.x) - r.corner[0], double(o.y) - r.corner[1], double(o.z) - r.corner[2]};
        const double t = -(r.n[0] * s[0] + r.n[1] * s[1] + r.n[2] * s[2]) / denom;
        if (t < 0)
            continue;
        const double q[3] = {s[0] + t * d.x, s[1] + t * d.y, s[2] + t * d.z};
        // Barycentrics through areas on the plane.
        auto crossDot = [&](const double u[3], const double v[3])
        {
            return (u[1] * v[2] - u[2] * v[1]) * r.n[0] + (u[2] * v[0] - u[0] * v[2]) * r.n[1] +
                   (u[0] * v[1] - u[1] * v[0]) * r.n[2];
        };
        const double area = r.length * r.length;
        const double beta = crossDot(q, r.e2) / area;
        const double gamma = crossDot(r.e1, q) / area;
        const double smallest = std::min({1.0 - beta - gamma, beta, gamma});
        const double cosine = std::fabs(denom) / r.length;
        if (smallest >= -1e-4)
            answer.possible.push_back({p, t, cosine});
        if (smallest >= 1e-4 && t < answer.definite)
        {
            answer.definite = t;
            answer.definiteCosine = cosine;
        }
    }
    return answer;
}

bool Agrees(const nGeometryHit& hit, const BruteForceAnswer& answer, std::string& why)
{
    if (!hit.hit)
    {
        why = "missed a hit at " + std::to_string(answer.definite);
        return std::isinf(answer.definite);
    }
    const double tolerance = 1e-5 * std::max(1.0, double(hit.distance));
    if (hit.distance > answer.definite + tolerance / answer.definiteCosine)
    {
        why = "hit at " + std::to_string(hit.distance) + " beyond " + std::to_string(answer.definite);
        return false;
    }
    // Float distances lose precision as the ray grazes the plane.
    for (const auto& [polygon, t, cosine] : answer.possible)
        if (polygon == hit.polygon && std::fabs(t - hit.distance) <= tolerance / cosine)
            return true;
    if (std::find(answer.grazing.begin(), answer.grazing.end(), hit.polygon) != answer.grazing.end())
        return true;
    why = "polygon " + std::to_string(hit.polygon) + " at " + std::to_string(hit.distance) + " is no hit";

    return false;
}

TEST_F(GeometryTreeTest, BothTreesAgreeWithBruteForceOnRandomRays)
{
    std::mt19937 random(36);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    std::vector<nVector> positions;
    std::vector<Corners> polygons;
    std::vector<uint16_t> materials;
    for (uint32_t t = 0; t < 96; ++t)
    {
        const nVector centre(unit(random) * 10.0f, unit(random) * 10.0f, unit(random) * 10.0f);
        for (int corner = 0; corner < 3; ++corner)
            positions.push_back(
                centre + nVector(unit(random) - 0.5f, unit(random) - 0.5f, unit(random) - 0.5f) * 3.0f);
        polygons.push_back({3 * t, 3 * t + 1, 3 * t + 2});
        materials.push_back(uint16_t(t % 2));
    }
    nGeometry bihGeometry(nullptr);
    nGeometry kdGeometry(nullptr);
    for (nGeometry* geometry : {&bihGeometry, &kdGeometry})
    {
        geometry->AllocateMaterials(2, true);
        geometry->GetMaterial(1)->renderFlags |= MaterialDoubleSided;
        BuildGeometry(*geometry, positions, polygons, materials);
    }
    ASSERT_TRUE(bihGeometry.CreateTree(nGeometryTree::KindBIH));
    ASSERT_TRUE(kdGeometry.CreateTree(nGeometryTree::KindKDTree));
    ASSERT_GT(static_cast<const nGeometryKDTree&>(*kdGeometry.tree).GetNodeCount(), 1u);

    const std::vector<ReferenceTriangle> reference = ReferenceTriangles(bihGeometry);
    uint32_t hits = 0;
    uint32_t failures = 0;
    for (uint32_t ray = 0; ray < 100000 && failures < 5; ++ray)
    {
        const nVector origin(unit(random) * 14.0f - 2.0f, unit(random) * 14.0f - 2.0f,
                             unit(random) * 14.0f - 2.0f);
        const nVector direction =
            nVector(unit(random) - 0.5f, unit(random) - 0.5f, unit(random) - 0.5f).Normalized();
        const BruteForceAnswer answer = BruteForce(reference, origin, direction);
        std::string why;
        const nGeometryHit bih = Cast(bihGeometry, origin, direction);
        if (!Agrees(bih, answer, why))
        {
            ADD_FAILURE() << "BIH, ray " << ray << ": " << why;
            ++failures;
        }
        const nGeometryHit kd = Cast(kdGeometry, origin, direction);
        if (!Agrees(kd, answer, why))
        {
            ADD_FAILURE() << "KD-tree, ray " << ray << ": " << why;
            ++failures;
        }
        hits += bih.hit;
    }
    EXPECT_GT(hits, 5000u);
}

} // namespace
