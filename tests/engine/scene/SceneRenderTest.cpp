#include "engine/items/nMCamera.h"
#include "engine/scene/RecordingRenderable.h"
#include "engine/scene/SceneFileFixture.h"
#include "geometry/nTexture.h"
#include "render/nFontPair.h"
#include "ui/nScene2D.h"
#include "ui/nWindow.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using SceneRender = SceneFileFixture;

TEST_F(SceneRender, CullingSystemsAreQueuedEvenWhenRenderlessAndDrawTheirMembers)
{
    std::vector<RecordingRenderable::Draw> drawn;
    RecordingRenderable moving(drawn, "moving", CubeAt(0.0f, 0.0f, 10.0f));
    RecordingRenderable fixed(drawn, "fixed", CubeAt(0.0f, 0.0f, 12.0f));
    scene->AddRenderable(&moving, false);
    scene->AddRenderable(&fixed, true);
    EXPECT_TRUE(scene->GetSimpleCulling().GetMembers().Find(&moving));
    EXPECT_TRUE(scene->GetOctreeCulling().GetMembers().Find(&fixed));

    scene->SetRenderFlag(SceneRenderFlagRenderless, true);
    scene->RenderToQueue(0);
    const nList<nRenderable*>& queue = renderer.GetRenderQueue();
    ASSERT_EQ(queue.GetCount(), 2u);
    EXPECT_EQ(queue.GetHead()->value, &scene->GetSimpleCulling());
    EXPECT_EQ(queue.GetTail()->value, &scene->GetOctreeCulling());
    renderer.ResetRenderQueue();

    scene->SetRenderFlag(SceneRenderFlagRenderless, false);
    nMCamera* camera = scene->NewCamera("View");
    camera->GetCamera().SetAspectRatio(1.0f);
    scene->SetCurrentCamera(camera->GetItem());
    scene->Update();
    scene->RenderSetup(0);
    scene->RenderToQueue(0);
    nAutoList<nRenderablePrimitive*> primitives;
    renderer.CollectRenderPrimitives(0, primitives);
    ASSERT_EQ(drawn.size(), 2u);
    EXPECT_EQ(drawn[0].name, "moving");
    EXPECT_TRUE(drawn[0].cull);
    EXPECT_EQ(drawn[1].name, "fixed");
    renderer.ResetRenderQueue();

    scene->RemoveRenderable(&moving);
    scene->RemoveRenderable(&fixed);
    EXPECT_TRUE(scene->GetSimpleCulling().GetMembers().IsEmpty());
    EXPECT_TRUE(scene->GetOctreeCulling().GetMembers().IsEmpty());
}

TEST_F(SceneRender, TheSceneDrawsItsOwn2DLayerOnceARenderUnlessRenderless)
{
    WriteScript("class Layer { function OnUpdate(ui, dt) { print(\"ui update\"); } }");
    nScene2D* ui = scene->GetUI();
    ui->GetScriptUnit().SetScript("@scripts/items.nut");
    ui->GetScriptUnit().SetClassName("Layer");
    ASSERT_TRUE(ui->Setup());
    nSharedPtr<nTexture> texture(new nTexture(&engine, 0, 1));
    texture->Allocate(4, 4, PixelFormatBGRA8);
    ui->AddItem(new nSprite2D(ui, texture.Get(), nullptr, "a"));
    ui->AddItem(new nWindow(ui, nullptr, "b", "Window"));

    scene->RenderUI(0);
    EXPECT_EQ(renderer.triangleBatches.size(), 4u);
    scene->RenderUI(SceneRenderDisableScript);
    EXPECT_EQ(renderer.triangleBatches.size(), 8u);
    EXPECT_EQ(TakePrinted(), std::vector<std::string>{"ui update"});
    scene->SetRenderFlag(SceneRenderFlagRenderless, true);
    scene->RenderUI(0);
    EXPECT_EQ(renderer.triangleBatches.size(), 8u);
    EXPECT_TRUE(TakePrinted().empty());

    float x = 0.0f, y = 0.0f;
    scene->PrintStats(nFontPair(), x, y);
    EXPECT_EQ(renderer.texts[6].text.find("(2 window(s))\n"), renderer.texts[6].text.size() - 14);

    scene->DeleteContent(false);
    EXPECT_EQ(ui->GetItemCount(), 0u);
}
