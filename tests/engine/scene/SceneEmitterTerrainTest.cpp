#include "core/nml/nMetaFile.h"
#include "core/nml/nMetaTag.h"
#include "engine/items/BlockFixture.h"
#include "engine/items/StubPhysics.h"
#include "engine/items/nMCamera.h"
#include "engine/items/nMEmitter.h"
#include "engine/items/nMObject.h"
#include "engine/items/nMTerrain.h"
#include "engine/scene/SceneFileFixture.h"
#include "geometry/nGeometry.h"
#include "geometry/nMaterial.h"
#include "physics/nPhysicShape.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace
{
// A 4 x 4 grid whose height at point (i, j) of the file is 10 j + i.
std::string GridFile()
{
    std::vector<float> heights;
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 4; ++column)
            heights.push_back(float(row * 10 + column));
    std::string bytes(heights.size() * 4, '\0');
    std::memcpy(bytes.data(), heights.data(), bytes.size());
    return bytes;
}

std::string TerrainBlock(const char* resolution)
{
    return std::string("<MTerrain=<MItem=<Id=\"Ground\"><UId=0><Active><PhysicItem=<Mode=\"Static\"><Shapes="
                       "<PhysicShape=<Type=\"Heightmap\">>>>><Terrain=<Item><Material=<Glossiness=0.25>>"
                       "<Layers=<Layer=<Index=2><Diffuse=\"grass.tga\"><UVAxis=\"ZY\"><UVTiling=4.0>>>"
                       "<Blendmap=\"blend.tga\"><Heightmap=<Width=4><Height=4><Data=\"@scripts/g.raw\">"
                       "<Resolution=") +
           resolution + ">>><Extra=1>>";
}

class SceneEmitterTerrain : public SceneFileFixture
{
protected:
    void SetUp() override
    {
        SceneFileFixture::SetUp();
        scene->SetPhysicWorld(new StubPhysicWorld());
        WriteFile("g.raw", GridFile());
    }

    nMTerrain* ReadTerrain(const std::string& block)
    {
        nMTerrain* terrain = scene->NewTerrain("");
        nMetaTag* tag = ParseBlock(file, block);
        EXPECT_TRUE(tag && terrain->ParseTag(file, *tag));
        return terrain;
    }

    const nPhysicShape& HeightShape(nMTerrain& terrain)
    {
        return *terrain.GetPhysicItem()->GetShapes().GetHead()->value;
    }

    nMetaFile file;
};

TEST_F(SceneEmitterTerrain, TheHeightfieldGetsEveryPointOfTheGrid)
{
    nMTerrain* terrain = ReadTerrain(TerrainBlock("1.0"));
    const nPhysicShape& shape = HeightShape(*terrain);
    EXPECT_EQ(shape.kind, PhysicShapeHeightmap);
    ASSERT_EQ(shape.heightfieldWidth, 5);
    ASSERT_EQ(shape.heightfieldHeight, 5);
    // Rows run from the grid's last (a copy of the row before it) to its first; each row ends
    // with a copy of its last value.
    const float firstRow[5] = {30, 31, 32, 33, 33};
    const float lastRow[5] = {0, 1, 2, 3, 3};
    for (int column = 0; column < 5; ++column)
    {
        EXPECT_FLOAT_EQ(shape.heights.At(0)[column], firstRow[column]) << column;
        EXPECT_FLOAT_EQ(shape.heights.At(20)[column], lastRow[column]) << column;
    }
    EXPECT_FLOAT_EQ(shape.heightfieldCellWidth, 1.0f);
    EXPECT_FLOAT_EQ(shape.heightfieldCellDepth, 1.0f);
    // Another resolution keeps every point and spaces them as the terrain does.
    nMTerrain* fine = ReadTerrain(TerrainBlock("0.5"));
    EXPECT_EQ(HeightShape(*fine).heightfieldWidth, 5);
    EXPECT_EQ(HeightShape(*fine).heightfieldHeight, 5);
    EXPECT_FLOAT_EQ(HeightShape(*fine).heightfieldCellWidth, 0.5f);
    EXPECT_FLOAT_EQ(HeightShape(*fine).heightfieldCellDepth, 0.5f);
    EXPECT_EQ(log.find("[*] Unknown tag"), std::string::npos); // other children pass unnoticed
}

TEST_F(SceneEmitterTerrain, AManagedTerrainReadsBackWhatItWrote)
{
    nMTerrain* written = ReadTerrain(TerrainBlock("2.0"));
    std::unique_ptr<nMetaTag> tag(written->SerializeTag(file));
    ASSERT_TRUE(tag);
    EXPECT_EQ(ChildNames(*tag), (std::vector<std::string>{"MItem", "Terrain"}));
    EXPECT_EQ(
        ChildNames(*tag->GetTag("Terrain")),
        (std::vector<std::string>{"Item", "Width", "Height", "Material", "Layers", "Blendmap", "Heightmap"}));
    nMTerrain* back = scene->NewTerrain("");
    ASSERT_TRUE(back->ParseTag(file, *tag));
    const nTerrain& terrain = back->GetTerrain();
    EXPECT_EQ(back->GetName(), "Ground");
    EXPECT_EQ(terrain.GetGridWidth(), 4);
    EXPECT_EQ(terrain.GetGridDepth(), 4);
    EXPECT_FLOAT_EQ(terrain.GetResolution(), 2.0f);
    EXPECT_FLOAT_EQ(terrain.GetWorldWidth(), 8.0f);
    EXPECT_EQ(terrain.GetHeightFileName(), "@scripts/g.raw");
    EXPECT_FLOAT_EQ(terrain.GetPointHeight(3, 2), 23.0f);
    EXPECT_EQ(terrain.GetBlendMapName(), "blend.tga");
    EXPECT_EQ(terrain.GetLayer(2).names[nTerrain::LayerDiffuse], "grass.tga");
    EXPECT_EQ(terrain.GetLayer(2).uvAxis, int32_t(nTerrain::UVAxisZY));
    EXPECT_FLOAT_EQ(terrain.GetLayer(2).uvTiling, 4.0f);
    ASSERT_TRUE(terrain.GetMaterial());
    EXPECT_FLOAT_EQ(terrain.GetMaterial()->glossiness, 0.25f);
    EXPECT_EQ(HeightShape(*back).heightfieldWidth, 5);
    EXPECT_FLOAT_EQ(HeightShape(*back).heightfieldCellWidth, 2.0f);

    EXPECT_FALSE(back->ParseTag(file, *ParseBlock(file, "<Terrain=1>")));
    EXPECT_NE(log.find("[!] could not parse managed terrain. Root tag id is incorrect (Terrain).\n"),
              std::string::npos);
}

TEST_F(SceneEmitterTerrain, VisibleEmittersAndTerrainsAreQueuedBeforeTheCullingSystems)
{
    WriteFile("smoke.npm", "<NML=1.0>\n<ParticleModel=<TTL=1.0>>\n");
    WriteFile("s.nms",
              "<NML=1.0>\n<Scene=<Items=<MEmitter=<MItem=<Id=\"Smoke\"><UId=1><Active>><Emitter=<Item>"
              "<ParticleModel=\"@scripts/smoke.npm\">>><MEmitter=<MItem=<Id=\"Hidden\"><UId=2><Active>>"
              "<Emitter=<Item=<ItemFlag=<Invisible>>>>>" +
                  TerrainBlock("1.0") + ">>\n");
    ASSERT_TRUE(scene->LoadFromFile("@scripts/s.nms", nullptr, ImportFlagAll, 0)) << log;
    scene->Setup();
    nMEmitter* smoke = scene->FindEmitter("Smoke");
    ASSERT_TRUE(smoke);
    EXPECT_TRUE(smoke->GetEmitter().HasPool());
    EXPECT_EQ(scene->GetItemKind(smoke->GetItem()), int32_t(ItemTypeEmitter));
    nMTerrain* ground = scene->GetTerrains().GetHead()->value;

    scene->RenderToQueue(0);
    std::vector<nRenderable*> queued;
    for (auto* node = renderer.GetRenderQueue().GetHead(); node; node = node->next)
        queued.push_back(node->value);
    renderer.ResetRenderQueue();
    EXPECT_EQ(queued,
              (std::vector<nRenderable*>{&smoke->GetEmitter(), &ground->GetTerrain(),
                                         const_cast<nSimpleCullingSystem*>(&scene->GetSimpleCulling()),
                                         const_cast<nOctreeCullingSystem*>(&scene->GetOctreeCulling())}));

    // The frame draws what the queue holds: the emitter, the terrain's root, the camera culled.
    nMCamera* camera = scene->FindCamera("Default");
    ASSERT_TRUE(camera);
    camera->GetItem()->SetPosition(nVector(0, 1, -10));
    scene->RenderSetup(0);
    scene->RenderToQueue(0);
    nAutoList<nRenderablePrimitive*> primitives;
    renderer.CollectRenderPrimitives(0, primitives);
    renderer.ResetRenderQueue();
    std::vector<uint32_t> kinds;
    for (auto* node = primitives.GetHead(); node; node = node->next)
        kinds.push_back(node->value->kind);
    EXPECT_EQ(kinds, (std::vector<uint32_t>{nRenderablePrimitive::KindEmitter,
                                            nRenderablePrimitive::KindTerrainNode}));
    EXPECT_TRUE(smoke->GetEmitter().IsUpdatedSinceRender());

    ground->SetFlag(MItemFlagRenderHidden, true);
    engine.SetMode(1);
    scene->RenderToQueue(0);
    EXPECT_EQ(renderer.GetRenderQueue().GetCount(), 3u);
    renderer.ResetRenderQueue();
    engine.SetMode(0);
    scene->SetRenderFlag(SceneRenderFlagRenderless, true);
    scene->RenderToQueue(0);
    EXPECT_EQ(renderer.GetRenderQueue().GetCount(), 2u);
    renderer.ResetRenderQueue();

    // Written and read back through the scene file, both kinds keep their blocks.
    nMetaFile saved;
    nMetaTag* root = scene->Serialize(saved, nullptr, ImportFlagAll);
    ASSERT_TRUE(root);
    std::vector<std::string> items = ChildNames(*root->GetTag("Items"));
    EXPECT_EQ(std::count(items.begin(), items.end(), "MEmitter"), 2);
    EXPECT_EQ(std::count(items.begin(), items.end(), "MTerrain"), 1);
    EXPECT_EQ(scene->DuplicateItem(smoke), nullptr);
}

// Four emitters at the largest pool would take about 360 MB: the scene's pools share 256 MB, and
// each emitter past it is named once and has no pool.
TEST_F(SceneEmitterTerrain, ParticlePoolsPastTheScenesBudgetAreRefused)
{
    WriteFile("smoke.npm", "<NML=1.0>\n<ParticleModel=<TTL=1.0>>\n");
    std::string items;
    for (const char* name : {"A", "B", "C", "D"})
        items += std::string("<MEmitter=<MItem=<Id=\"") + name +
                 "\"><Active>><Emitter=<Item><PoolSize=" + std::to_string(nEmitter::MaxPoolSize) +
                 "><ParticleModel=\"@scripts/smoke.npm\">>>";
    WriteFile("s.nms", "<NML=1.0>\n<Scene=<Items=" + items + ">>\n");
    ASSERT_TRUE(scene->LoadFromFile("@scripts/s.nms", nullptr, ImportFlagAll, 0)) << log;
    scene->Setup();

    const nMemoryBudget& budget = scene->GetParticlePoolBudget();
    const size_t poolBytes = size_t(nEmitter::MaxPoolSize) * (sizeof(nParticle) + sizeof(nKeyValuePair));
    const size_t fitting = nScene::ParticlePoolBudgetBytes / poolBytes;
    ASSERT_GE(fitting, 1u);
    ASSERT_LT(fitting, 4u);
    EXPECT_EQ(budget.GetUsed(), fitting * poolBytes);
    size_t refusals = 0;
    for (const char* name : {"A", "B", "C", "D"})
    {
        nMEmitter* emitter = scene->FindEmitter(name);
        ASSERT_TRUE(emitter);
        const std::string line =
            std::string("[!] The particle pool of emitter '") + name +
            "' (size 1048576) "
            "would pass the 256 MB that its scene's particle pools may take: the emitter "
            "has no pool.\n";
        const bool refused = log.find(line) != std::string::npos;
        EXPECT_NE(refused, emitter->GetEmitter().HasPool()) << name << log;
        refusals += refused;
    }
    EXPECT_EQ(refusals, 4 - fitting);

    // A pool let go returns its bytes.
    scene->FindEmitter("A")->GetEmitter().FreePool();
    EXPECT_EQ(budget.GetUsed(), (fitting - 1) * poolBytes);
}

TEST_F(SceneEmitterTerrain, ObjectsInTheSceneQueueTheirGeometryThroughTheRenderer)
{
    nSharedPtr<nGeometry> box = new nGeometry(nullptr);
    box->box = nMinMax(nVector(-1, -1, -1), nVector(1, 1, 1));
    nMObject* near = scene->NewObject("Near", box.Get());
    near->GetItem()->SetPosition(nVector(0, 0, 10));
    nMObject* behind = scene->NewObject("Behind", box.Get());
    behind->GetItem()->SetPosition(nVector(0, 0, -10));
    behind->SetFlag(MItemFlagStatic, true);
    nMCamera* camera = scene->NewCamera("View");
    scene->SetCurrentCamera(camera->GetItem());
    RunFrame();
    scene->RenderSetup(0);
    scene->RenderToQueue(0);
    nAutoList<nRenderablePrimitive*> primitives;
    renderer.CollectRenderPrimitives(0, primitives);
    renderer.ResetRenderQueue();
    ASSERT_EQ(primitives.GetCount(), 2u); // the tree holds one leaf: drawn whole
    EXPECT_EQ(primitives.GetHead()->value->item, static_cast<nItem*>(&near->GetObject()));
    EXPECT_EQ(primitives.GetHead()->value->payload, box.Get());
}
} // namespace
