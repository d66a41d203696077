#include "engine/items/nMCamera.h"
#include "engine/scene/RecordingRenderable.h"
#include "engine/scene/SceneFileFixture.h"

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
