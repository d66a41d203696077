#include "core/math/nMinMax.h"
#include "render/nRenderView.h"
#include "support/RecordingRenderer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
// Adds one entry naming itself for every render call and remembers what it was given.
class NamedRenderable : public nRenderable
{
public:
    NamedRenderable(std::vector<std::string>& order, const char* name) : m_order(order), m_name(name) {}
    void GetWorldMinMax(nMinMax&) const override {}
    void Render(nCamera* camera, nItem* viewItem, nAutoList<nRenderablePrimitive*>* drawList, int32_t pass,
                bool cull) override
    {
        m_order.push_back(m_name);
        lastCamera = camera;
        lastViewItem = viewItem;
        lastPass = pass;
        lastCull = cull;
        drawList->PushBack(new nRenderablePrimitive{nRenderablePrimitive::KindObject, nullptr, this});
    }
    nCamera* lastCamera = nullptr;
    nItem* lastViewItem = nullptr;
    int32_t lastPass = -1;
    bool lastCull = false;

private:
    std::vector<std::string>& m_order;
    const char* m_name;
};

class TestView : public nRenderView
{
public:
    nCamera* GetCamera() override { return reinterpret_cast<nCamera*>(this); }
    void UpdateView() override { ++updates; }
    const nMatrix4& GetViewWorldMatrix() const override { return world; }
    const nMatrix4& GetViewInverseWorldMatrix() const override { return inverse; }
    void ComputeProjectionMatrix(nMatrix4& projection) override { projection = this->projection; }
    void ComputeViewFrustum() override { frustum.corners[0] = nVector(7, 8, 9); }
    const nFrustum& GetViewFrustum() const override { return frustum; }
    float GetViewZNear() const override { return 1.0f; }
    float GetViewZFar() const override { return 100.0f; }
    float GetViewZoom() const override { return 1.0f; }

    int updates = 0;
    nMatrix4 world = nMatrix4::FromTranslation(1, 2, 3);
    nMatrix4 inverse = nMatrix4::FromTranslation(-1, -2, -3);
    nMatrix4 projection = nMatrix4::FromScale(2, 2, 1);
    nFrustum frustum;
};

nItem* const ViewItem = reinterpret_cast<nItem*>(0x10);
} // namespace

TEST(RenderQueue, CollectsNothingWithoutAViewItem)
{
    RecordingRenderer renderer(nullptr);
    std::vector<std::string> order;
    NamedRenderable first(order, "first");
    renderer.AddToRenderQueue(&first);
    nAutoList<nRenderablePrimitive*> primitives;
    primitives.PushBack(new nRenderablePrimitive{});
    renderer.CollectRenderPrimitives(0, primitives);
    EXPECT_EQ(primitives.GetCount(), 0u);
    EXPECT_TRUE(order.empty());
}

TEST(RenderQueue, AsksEveryRenderableInQueueOrderFromTheViewCamera)
{
    RecordingRenderer renderer(nullptr);
    TestView view;
    renderer.SetViewItem(ViewItem, &view);
    std::vector<std::string> order;
    NamedRenderable first(order, "first");
    NamedRenderable second(order, "second");
    renderer.AddToRenderQueue(&first);
    renderer.AddToRenderQueue(&second);
    renderer.AddToRenderQueue(&first);
    nAutoList<nRenderablePrimitive*> primitives;
    renderer.CollectRenderPrimitives(1, primitives);

    EXPECT_EQ(order, (std::vector<std::string>{"first", "second", "first"}));
    EXPECT_EQ(primitives.GetCount(), 3u);
    EXPECT_EQ(second.lastCamera, view.GetCamera());
    EXPECT_EQ(second.lastViewItem, ViewItem);
    EXPECT_EQ(second.lastPass, 1);
    EXPECT_TRUE(second.lastCull);

    renderer.ResetRenderQueue();
    EXPECT_EQ(renderer.GetRenderQueue().GetCount(), 0u);
}

TEST(RenderQueue, ApplyViewSendsTheCamerasMatricesAndCopiesItsFrustum)
{
    RecordingRenderer renderer(nullptr);
    renderer.ApplyView();
    EXPECT_TRUE(renderer.calls.empty());

    TestView view;
    renderer.SetViewItem(ViewItem, &view);
    renderer.ApplyView();
    EXPECT_EQ(view.updates, 1);
    EXPECT_EQ(renderer.calls, (std::vector<std::string>{"SetViewMatrix", "SetProjectionMatrix"}));
    EXPECT_FALSE(renderer.viewMatrix->DiffersFrom(view.world));
    EXPECT_FALSE(renderer.projectionMatrix->DiffersFrom(view.projection));
    EXPECT_FLOAT_EQ(renderer.GetViewFrustum().corners[0].y, 8.0f);

    renderer.SetViewItem(nullptr, &view);
    EXPECT_EQ(renderer.GetViewItem(), nullptr);
    EXPECT_EQ(renderer.GetViewCamera(), nullptr);
}
