#include "GeometryTestSupport.h"

#include "geometry/nGeometryOctreeNode.h"
#include "support/RecordingRenderer.h"

namespace
{
void CollectLeaves(nGeometryOctreeNode* node, std::vector<nGeometryOctreeNode*>& leaves)
{
    if (!node)
        return;
    if (node->leaf)
        leaves.push_back(node);
    CollectLeaves(node->low, leaves);
    CollectLeaves(node->high, leaves);
}

void SetFlags(nGeometryOctreeNode* node, uint32_t flags)
{
    if (!node)
        return;
    node->flags = flags;
    SetFlags(node->low, flags);
    SetFlags(node->high, flags);
}
} // namespace

class GeometryOctreeTest : public GeometryFixture
{
protected:
    GeometryOctreeTest() { engine.renderer = &renderer; }

    RecordingRenderer renderer{&engine};
};

TEST_F(GeometryOctreeTest, SmallGeometryBecomesOneLeaf)
{
    nGeometry geometry(&engine);
    geometry.name = "src";
    BuildQuadGrid(geometry, 1000, 40);
    ASSERT_TRUE(geometry.Optimize(16384));
    ASSERT_NE(geometry.octree, nullptr);
    ASSERT_TRUE(geometry.octree->leaf);
    EXPECT_EQ(geometry.octree->leaf->name.GetText(), std::string("src (Leaf 0)"));
    EXPECT_EQ(geometry.octree->leaf->polygons.GetCount(), 1000u);
    EXPECT_EQ(geometry.octree->leaf->vertices.GetCount(), 4000u);
    EXPECT_NE(log.text.find("Octree summary: 1 leaves referencing 1000 polygon(s).\n"), std::string::npos);
    EXPECT_EQ(renderer.setUpGeometries.size(), 1u);
    // Without the engine's keep setting the source's own arrays go.
    EXPECT_EQ(geometry.vertices.GetCount(), 0u);
    EXPECT_EQ(geometry.materials.GetCount(), 1u);
}

TEST_F(GeometryOctreeTest, GridSplitsIntoLeavesWithinTheMaximum)
{
    engine.keepGeometryData = true;
    nGeometry geometry(&engine);
    geometry.name = "grid";
    BuildQuadGrid(geometry, 5000, 100);
    geometry.ComputeVertexNormals(true, -1.0f);
    ASSERT_TRUE(geometry.Optimize(100)); // leaves of up to 1024 polygons
    std::vector<nGeometryOctreeNode*> leaves;
    CollectLeaves(geometry.octree, leaves);
    ASSERT_GT(leaves.size(), 4u);
    uint32_t sum = 0;
    for (nGeometryOctreeNode* leaf : leaves)
    {
        EXPECT_LE(leaf->leaf->polygons.GetCount(), 1024u);
        EXPECT_EQ(leaf->leaf->vertexNormals.GetCount(), leaf->leaf->GetBindingTotal());
        sum += leaf->leaf->polygons.GetCount();
    }
    EXPECT_EQ(sum, 5000u);
    EXPECT_EQ(renderer.setUpGeometries.size(), leaves.size());
    EXPECT_EQ(geometry.vertices.GetCount(), 20000u);
    EXPECT_NE(log.text.find(
                  nString::Format("Octree summary: %zu leaves referencing 5000 polygon(s).\n", leaves.size())
                      .GetText()),
              std::string::npos);
}

TEST_F(GeometryOctreeTest, PolygonsAtOnePointEndAtTheDepthBudget)
{
    nGeometry geometry(&engine);
    std::vector<nVector> positions(3, nVector(2, 2, 2));
    std::vector<Corners> polygons(1100, Corners{0, 1, 2});
    BuildGeometry(geometry, positions, polygons);
    ASSERT_TRUE(geometry.Optimize(16)); // leaves of up to 1024 polygons
    std::vector<nGeometryOctreeNode*> leaves;
    CollectLeaves(geometry.octree, leaves);
    ASSERT_EQ(leaves.size(), 1u);
    EXPECT_EQ(leaves[0]->GetDepth(), 48u);
    EXPECT_EQ(leaves[0]->leaf->polygons.GetCount(), 1100u);
    EXPECT_NE(log.text.find("Octree node depth 48, containing 1100 polygon(s).\n"), std::string::npos);
}

TEST_F(GeometryOctreeTest, NextLeafVisitsOnlyNodesWhoseAncestorsAreVisible)
{
    nGeometry geometry(&engine);
    BuildQuadGrid(geometry, 3000, 60);
    ASSERT_TRUE(geometry.Optimize(100));
    std::vector<nGeometryOctreeNode*> leaves;
    CollectLeaves(geometry.octree, leaves);
    nGeometryOctreeNode* cursor = nullptr;
    EXPECT_EQ(geometry.octree->NextLeaf(cursor), nullptr);

    SetFlags(geometry.octree, 1);
    std::vector<nGeometry*> visited;
    cursor = nullptr;
    while (nGeometry* leaf = geometry.octree->NextLeaf(cursor))
        visited.push_back(leaf);
    ASSERT_EQ(visited.size(), leaves.size());
    for (size_t i = 0; i < leaves.size(); ++i)
        EXPECT_EQ(visited[i], leaves[i]->leaf.Get());

    // A hidden low subtree hides its leaves even though their own flags are set.
    geometry.octree->low->flags = 0;
    std::vector<nGeometryOctreeNode*> highLeaves;
    CollectLeaves(geometry.octree->high, highLeaves);
    visited.clear();
    cursor = nullptr;
    while (nGeometry* leaf = geometry.octree->NextLeaf(cursor))
        visited.push_back(leaf);
    EXPECT_EQ(visited.size(), highLeaves.size());
}

TEST_F(GeometryOctreeTest, SetupGivesLeavesWithoutRenderDataTheirSetup)
{
    engine.keepGeometryData = true;
    nGeometry geometry(&engine);
    BuildQuadGrid(geometry, 10, 5);
    ASSERT_TRUE(geometry.Optimize(16384));
    EXPECT_EQ(renderer.setUpGeometries.size(), 1u);
    geometry.Setup(); // the null renderer gave no render data, so the leaf is asked for again
    EXPECT_EQ(renderer.setUpGeometries.size(), 2u);
    EXPECT_EQ(nGeometryOctreeNode::GetDebugColor(0), 0xFFB40000u);
    EXPECT_EQ(nGeometryOctreeNode::GetDebugColor(5), 0xD420A500u);
}
