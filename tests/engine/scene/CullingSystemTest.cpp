#include "engine/items/nCamera.h"
#include "engine/scene/RecordingRenderable.h"
#include "engine/scene/nOctreeCullingSystem.h"
#include "engine/scene/nSimpleCullingSystem.h"
#include "support/CapturedLog.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace
{
using DrawCall = RecordingRenderable::Draw;

class CullingSystems : public ::testing::Test
{
protected:
    void SetUp() override
    {
        camera.SetAspectRatio(1.0f);
        camera.ComputeViewFrustum();
    }

    RecordingRenderable& Make(const std::string& name, const nMinMax& box)
    {
        boxes.push_back(std::make_unique<RecordingRenderable>(drawn, name, box));
        return *boxes.back();
    }

    std::vector<std::string> DrawnNames() const
    {
        std::vector<std::string> names;
        for (const DrawCall& call : drawn)
            names.push_back(call.name);
        return names;
    }

    size_t CountRebuilds() const
    {
        size_t count = 0;
        for (size_t at = log.text.find("Done, in "); at != std::string::npos;
             at = log.text.find("Done, in ", at + 1))
            ++count;
        return count;
    }

    // The default camera at the origin looks along +z.
    nCamera camera{nullptr};
    CapturedLog log;
    std::vector<DrawCall> drawn;
    std::vector<std::unique_ptr<RecordingRenderable>> boxes;
};
} // namespace

TEST_F(CullingSystems, SimpleSystemDrawsReadyMembersInOrderWithTheCallersArguments)
{
    nSimpleCullingSystem system;
    nMinMax box(nVector(9.0f, 9.0f, 9.0f), nVector(9.0f, 9.0f, 9.0f));
    system.GetWorldMinMax(box);
    EXPECT_FLOAT_EQ(box.min.x, 9.0f);

    system.Add(&Make("b", CubeAt(0.0f, 0.0f, -50.0f)));
    RecordingRenderable& hidden = Make("hidden", CubeAt(4.0f, 0.0f, 10.0f));
    hidden.ready = false;
    system.Add(&hidden);
    system.Add(&Make("a", CubeAt(-3.0f, 2.0f, 10.0f)));
    system.Render(&camera, nullptr, nullptr, 1, true);
    ASSERT_EQ(DrawnNames(), (std::vector<std::string>{"b", "a"}));
    EXPECT_TRUE(drawn[0].cull);
    EXPECT_EQ(drawn[0].pass, 1);

    system.GetWorldMinMax(box);
    EXPECT_FLOAT_EQ(box.min.x, -3.5f);
    EXPECT_FLOAT_EQ(box.max.x, 4.5f);
    EXPECT_FLOAT_EQ(box.min.z, -50.5f);
    system.Remove(&hidden);
    EXPECT_EQ(system.GetMembers().GetCount(), 2u);
}

TEST_F(CullingSystems, FewMembersMakeOneLeafDrawnWholeEvenOutsideTheView)
{
    nOctreeCullingSystem system;
    for (int index = 0; index < 4; ++index)
        system.Add(&Make(std::to_string(index), CubeAt(float(index) * 10.0f, 0.0f, -100.0f)));
    system.Render(&camera, nullptr, nullptr, 0, true);
    ASSERT_TRUE(system.GetRoot());
    EXPECT_TRUE(system.GetRoot()->IsLeaf());
    EXPECT_EQ(DrawnNames(), (std::vector<std::string>{"0", "1", "2", "3"}));
    EXPECT_FALSE(drawn[0].cull);
    nMinMax box;
    system.GetWorldMinMax(box);
    EXPECT_FLOAT_EQ(box.max.x, 30.5f);
}

TEST_F(CullingSystems, MembersLargerThanHalfTheExtentStayTogether)
{
    nOctreeCullingSystem system;
    for (int index = 0; index < 6; ++index)
        system.Add(&Make(std::to_string(index), CubeAt(float(index) * 0.1f, 0.0f, 10.0f, 10.0f)));
    ASSERT_TRUE(system.Rebuild());
    ASSERT_TRUE(system.GetRoot());
    EXPECT_TRUE(system.GetRoot()->IsLeaf());
    EXPECT_EQ(system.GetRoot()->items.GetCount(), 6u);
}

TEST_F(CullingSystems, TreeSkipsSubtreesOutsideTheViewOnlyWhenCulling)
{
    nOctreeCullingSystem system;
    // Five in front of the camera, five behind it: the split along z separates them.
    for (int index = 0; index < 5; ++index)
    {
        system.Add(&Make("front" + std::to_string(index), CubeAt(0.0f, 0.0f, 20.0f + float(index))));
        system.Add(&Make("back" + std::to_string(index), CubeAt(0.0f, 0.0f, -20.0f - float(index))));
    }
    system.Render(&camera, nullptr, nullptr, 0, true);
    ASSERT_TRUE(system.GetRoot());
    EXPECT_FALSE(system.GetRoot()->IsLeaf());
    EXPECT_EQ(DrawnNames(), (std::vector<std::string>{"front0", "front1", "front2", "front3", "front4"}));
    for (const DrawCall& call : drawn)
        EXPECT_FALSE(call.cull);

    drawn.clear();
    system.Render(&camera, nullptr, nullptr, 0, false);
    EXPECT_EQ(drawn.size(), 10u);

    drawn.clear();
    nMatrix4 behind = nMatrix4::FromTranslation(0.0f, 0.0f, 100.0f);
    camera.SetMatrix(behind);
    camera.ComputeViewFrustum();
    system.Render(&camera, nullptr, nullptr, 0, true);
    EXPECT_TRUE(drawn.empty());
    EXPECT_EQ(CountRebuilds(), 1u);
}

TEST_F(CullingSystems, EveryMembershipChangeRebuildsBeforeTheNextDraw)
{
    nOctreeCullingSystem system;
    RecordingRenderable& leaving = Make("leaving", CubeAt(0.0f, 0.0f, 10.0f));
    system.Add(&leaving);
    system.Add(&Make("staying", CubeAt(1.0f, 0.0f, 10.0f)));
    system.Render(&camera, nullptr, nullptr, 0, true);
    EXPECT_EQ(CountRebuilds(), 1u);
    system.Render(&camera, nullptr, nullptr, 0, true);
    EXPECT_EQ(CountRebuilds(), 1u);

    // As many join as leave: the tree must still forget the one that left.
    system.Remove(&leaving);
    system.Add(&Make("joining", CubeAt(2.0f, 0.0f, 10.0f)));
    boxes.erase(boxes.begin());
    drawn.clear();
    system.Render(&camera, nullptr, nullptr, 0, true);
    EXPECT_EQ(DrawnNames(), (std::vector<std::string>{"staying", "joining"}));
    EXPECT_EQ(CountRebuilds(), 2u);

    system.Remove(boxes[0].get());
    system.Remove(boxes[1].get());
    drawn.clear();
    system.Render(&camera, nullptr, nullptr, 0, true);
    EXPECT_TRUE(drawn.empty());
    EXPECT_EQ(system.GetRoot(), nullptr);
    EXPECT_EQ(CountRebuilds(), 3u);
}

TEST_F(CullingSystems, AMemberAddedTwiceIsDrawnTwiceAndLeavesOneAtATime)
{
    nSimpleCullingSystem system;
    RecordingRenderable& first = Make("first", CubeAt(0.0f, 0.0f, 10.0f));
    RecordingRenderable& twice = Make("twice", CubeAt(1.0f, 0.0f, 10.0f));
    system.Add(&twice);
    system.Add(&first);
    system.Add(&twice);
    EXPECT_FALSE(system.Remove(&Make("stranger", CubeAt(0.0f, 0.0f, 10.0f))));
    EXPECT_TRUE(system.Remove(&twice)); // the first of the two
    system.Render(&camera, nullptr, nullptr, 0, true);
    EXPECT_EQ(DrawnNames(), (std::vector<std::string>{"first", "twice"}));
    EXPECT_TRUE(system.Remove(&twice));
    EXPECT_FALSE(system.Remove(&twice));
    EXPECT_EQ(system.GetMembers().GetCount(), 1u);
}
