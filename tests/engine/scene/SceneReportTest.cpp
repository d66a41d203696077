#include "core/math/nMinMax.h"
#include "engine/items/nItem.h"
#include "engine/items/nMCamera.h"
#include "engine/items/nMLight.h"
#include "engine/items/nMObject.h"
#include "engine/scene/SceneFileFixture.h"
#include "engine/scene/nGroup.h"
#include "geometry/nGeometry.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
// Camera "Cam", objects "A" and "B" sharing "box.geo" at (1, 2, 3), "C" with "tri.geo" linked
// to "A", light "L".
class SceneReport : public SceneFileFixture
{
protected:
    void SetUp() override
    {
        SceneFileFixture::SetUp();
        box = NewGeometry("box.geo");
        scene->NewCamera("Cam");
        a = scene->NewObject("A", box);
        b = scene->NewObject("B", box);
        c = scene->NewObject("C", NewGeometry("tri.geo"));
        light = scene->NewLight("L", LightTypePoint, 0.5f);
        a->GetItem()->SetPosition(nVector(1, 2, 3));
        b->GetItem()->SetPosition(nVector(1, 2, 3));
        c->GetItem()->SetParent(a->GetItem());
        log.clear();
    }

    nGeometry* NewGeometry(const char* name)
    {
        auto* geometry = new nGeometry(&engine);
        geometry->name = name;
        geometry->box = nMinMax(nVector(-1, -1, -1), nVector(1, 1, 1));
        return geometry;
    }

    nGeometry* box = nullptr;
    nMObject* a = nullptr;
    nMObject* b = nullptr;
    nMObject* c = nullptr;
    nMLight* light = nullptr;
};

const char* const FullDump = "[|] Dumping scene content\n"
                             "[|] \n"
                             "[|] Camera list follows (1 entries) :\n"
                             "[|]   - Cam\n"
                             "[|] \n"
                             "[|] Object list follows (3 entries) :\n"
                             "[|]   - A\n"
                             "[|]   - B\n"
                             "[|]   - C\n"
                             "[|] \n"
                             "[|] Light list follows (1 entries) :\n"
                             "[|]   - L\n"
                             "[|] \n"
                             "[|] Group list follows (1 entries) :\n"
                             "[|]   - G\n"
                             "[|] \n"
                             "[|] -------------------\n"
                             "[|] \n"
                             "[|] Global item list follows (5 entries) :\n"
                             "[|]   - Cam\n"
                             "[|]   - A\n"
                             "[|]   - B\n"
                             "[|]   - C (Linked to 'A'), (Active: yes, Invisible: yes)\n"
                             "[|]   - L\n"
                             "[|] \n";

const char* const AuditHead = "\nRunning scene audit:\n--------------------\n\n(1/2) Geometry usage:\n\n";
const char* const AuditMiddle = "\n(2/2) Check for duplicate geometries:\n\n";
const char* const AuditTail = "\nAudit complete.\n\n";
} // namespace

TEST_F(SceneReport, DumpListsEachKindThenEveryItemWithItsLink)
{
    scene->NewGroup("G");
    c->GetItem()->SetFlag(ItemFlagInvisible, true);
    scene->Dump();
    EXPECT_EQ(log, FullDump);

    // The link line reports the item's own state.
    log.clear();
    c->SetEnabledField(false);
    c->GetItem()->SetFlag(ItemFlagInvisible, false);
    scene->Dump();
    EXPECT_EQ(CountLines("[|]   - C (Linked to 'A'), (Active: no, Invisible: no)"), 1u) << log;
}

TEST_F(SceneReport, AuditListsGeometryUsersAndReportsEachDuplicatePairBothWays)
{
    scene->Audit();
    EXPECT_EQ(log, std::string(AuditHead) +
                       "'box.geo' used by 2 object(s).\n - Object 'A'\n - Object 'B'\n"
                       "'tri.geo' used by 1 object(s).\n - Object 'C'\n" +
                       AuditMiddle +
                       "[*]  - Object 'A' and 'B' might be duplicates.\n"
                       "[*]  - Object 'B' and 'A' might be duplicates.\n" +
                       AuditTail);

    // Standing elsewhere (or turned) they are no longer suspects, but still share the geometry.
    for (const nVector& rotation : {nVector(0, 0.001f, 0), nVector(0, 0, 0)})
    {
        log.clear();
        b->GetItem()->SetRotation(rotation);
        b->GetItem()->SetPosition(rotation.y > 0.0f ? nVector(1, 2, 3) : nVector(1, 2, 3.5f));
        scene->Audit();
        EXPECT_EQ(log.find("might be duplicates"), std::string::npos) << log;
        EXPECT_EQ(CountLines(" - Object 'B'"), 1u) << log;
    }
}

TEST_F(SceneReport, EmptySceneReportsEmptyListsAndNoGeometry)
{
    scene->DeleteContent(false);
    log.clear();
    scene->Dump();
    for (const char* kind : {"Camera", "Object", "Light", "Group"})
        EXPECT_EQ(CountLines(std::string("[|] ") + kind + " list follows (0 entries) :"), 1u) << kind;
    EXPECT_EQ(CountLines("[|] Global item list follows (0 entries) :"), 1u);
    log.clear();
    scene->Audit();
    EXPECT_EQ(log, std::string(AuditHead) + AuditMiddle + AuditTail);
}

TEST_F(SceneReport, DebugOverlayColoursBySelectionAndSkipsExcludedItems)
{
    const nVector orange(1.0f, 0.65f, 0.16f, 1.0f);
    const nVector grey(0.72f, 0.72f, 0.72f, 1.0f);
    const nVector yellow(1.0f, 1.0f, 0.0f, 0.35f);
    auto count = [this](const nVector& colour)
    {
        size_t lines = 0;
        for (const RecordingRenderer::Batch& batch : renderer.lineBatches)
            for (const nVector& drawn : batch.colours)
                lines += !drawn.DiffersFrom(colour);
        return lines / 2;
    };
    nList<nMItem*> selected;
    nList<nMItem*> excluded;
    selected.PushBack(a);
    excluded.PushBack(c);
    ASSERT_TRUE(renderer.Open(64, 64, 32, true, nullptr)); // a closed renderer draws no crosses

    scene->DrawDebugOverlay(&renderer, selected, excluded, 0);
    EXPECT_EQ(count(orange), 3u);         // A's cross
    EXPECT_EQ(count(grey), 8u + 3u + 3u); // the camera, B's cross, the light's cross
    EXPECT_EQ(count(yellow), 0u);

    // With boxes: one for each object drawn, in translucent yellow, placed by its world matrix.
    renderer.lineBatches.clear();
    excluded.Clear();
    scene->DrawDebugOverlay(&renderer, selected, excluded, SceneDebugOverlayObjectBoxes);
    EXPECT_EQ(count(yellow), 3u * 12u);
    EXPECT_EQ(count(grey), 8u + 3u + 3u + 3u);
    bool boxAtA = false;
    for (const RecordingRenderer::Batch& batch : renderer.lineBatches)
        if (batch.blendMode == nRenderer::BlendAlpha && !batch.colours[0].DiffersFrom(yellow))
            boxAtA = boxAtA || !batch.vertices[0].DiffersFrom(nVector(0, 1, 2));
    EXPECT_TRUE(boxAtA);
}
