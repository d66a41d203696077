#include "PhysicsTestSupport.h"

#include "render/nNullRenderer.h"

namespace
{
class LineRecorder : public nNullRenderer
{
public:
    LineRecorder() : nNullRenderer(nullptr) {}
    void DrawLines(uint32_t count, const nVector*, const nVector* colours, int32_t, uint32_t) override
    {
        lines += count;
        if (colours)
            lastAlpha = colours[0].w;
    }
    uint32_t lines = 0;
    float lastAlpha = 0.0f;
};
} // namespace

TEST_F(PhysicsWorldFixture, DebugDrawDrawsTheWorldThroughTheRenderer)
{
    LineRecorder renderer;
    ASSERT_TRUE(renderer.Open(64, 64, 32, true, nullptr));
    world.DrawDebug(0, nullptr, nullptr); // no drawer yet: nothing happens
    world.CreateDebugDraw(&renderer);
    nBulletPhysicItem* floor = NewItem(PhysicModeStatic);
    AddBox(floor, nVector(20, 1, 20), 0.0f);
    ASSERT_TRUE(floor->Build());
    nBulletPhysicItem* box = NewItem(PhysicModeDynamic);
    AddBox(box, nVector(1, 1, 1), 1.0f, nVector(0, 1, 0));
    ASSERT_TRUE(box->Build());
    for (int i = 0; i < 30; ++i)
        world.Step(1.0f / 60.0f);

    world.DrawDebug(0, nullptr, nullptr);
    // Two boxes of twelve edges each, crosses of three lines at the contacts, and more.
    EXPECT_GE(renderer.lines, 24u + 3u);
    EXPECT_EQ(1.0f, renderer.lastAlpha);
    renderer.Close();
}
