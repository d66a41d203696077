#include "engine/scene/nScene.h"

#include "engine/Quenvar.h"
#include "engine/items/nItem.h"
#include "engine/items/nMItem.h"
#include "engine/items/nMObject.h"
#include "engine/items/nTrigger.h"
#include "physics/nPhysicItem.h"
#include "physics/nPhysicWorld.h"
#include "platform/nStopSignal.h"
#include "script/units/nItemEventHandler.h"
#include "script/units/nManagerScriptUnit.h"
#include "script/units/nSceneEventHandler.h"

#include <algorithm>

namespace
{
// A long frame hands no more than this to physics and to the logic loop.
constexpr float MaxFrameSeconds = 0.2f;

bool HasLogicUpdate(const nMItem& item)
{
    return item.HasCachedMethod(ItemMethodLogicUpdate);
}

bool IsCopiedBack(const nPhysicItem* body)
{
    return body && (body->GetMode() == PhysicModeDynamic || body->GetMode() == PhysicModeVehicle);
}
} // namespace

// Script events may add items, triggers and content: each walk covers what the scene held when it
// began, so the frame ends; a stop asked for meanwhile ends it after the current event.
void nScene::Update(uint32_t flags)
{
    const UseScope use(*this, UseUpdate);
    m_timers[TimerEvaluate].Begin();
    ApplyPendingActivation();
    if (!m_deletionQueueKept)
        FlushDeletionQueue();

    nWalkList<nMItem*>::Walk all(m_allItems);
    while (nMItem* item = all.Next())
    {
        nItem* node = item->GetItem();
        node->Update();
        node->SetPreviousWorldMatrix(node->GetStoredWorldMatrix());
    }

    const float frame = m_engine ? m_engine->GetDeltaFrame() : 0.0f;
    const float dt = std::clamp(frame, 0.0f, MaxFrameSeconds);
    nPerfCounter& scriptTimer = m_timers[TimerScript];
    if (flags & SceneUpdateScript)
    {
        scriptTimer.NextFrame();
        scriptTimer.Begin(true);
        m_eventHandler->OnUpdate(this, m_engine ? static_cast<int32_t>(m_engine->GetFrameStep()) : 0);
        scriptTimer.End();
    }
    const ItemWalk walk(*this); // the scene's own "OnUpdate" above may still flush
    if (flags & SceneUpdatePhysic)
    {
        m_timers[TimerPhysic].Begin();
        if (m_physicWorld)
            m_physicWorld->Step(dt);
        m_timers[TimerPhysic].End();
        nWalkList<nMItem*>::Walk active(m_activeItems);
        while (nMItem* item = active.Next())
            if (IsCopiedBack(item->GetPhysicItem()))
            {
                nMatrix4 matrix;
                item->GetPhysicItem()->GetMotionStateMatrix(matrix);
                item->GetItem()->SetMatrix(matrix);
            }
    }
    if (flags & SceneUpdateTrigger)
    {
        nListWalk<nTrigger*> triggers = m_triggers.BeginWalk();
        while (nTrigger* trigger = m_triggers.Next(triggers))
            if (!IsStopRequested())
                trigger->Evaluate();
    }
    {
        nWalkList<nMItem*>::Walk active(m_activeItems);
        while (nMItem* item = active.Next())
            item->nACEUnit::Update(dt);
    }
    if (flags & SceneUpdateScript)
    {
        scriptTimer.Begin(true);
        nWalkList<nMItem*>::Walk active(m_activeItems);
        while (nMItem* item = active.Next())
            if (!item->GetScriptUnits().IsEmpty() && !IsStopRequested()) // most items have no script
                item->GetEventHandler()->OnUpdate(item);
        scriptTimer.End();
        m_timers[TimerLogicCallback].Begin();
        RunLogic(dt);
        m_timers[TimerLogicCallback].End();
    }
    {
        nWalkList<nMItem*>::Walk active(m_activeItems);
        while (nMItem* item = active.Next())
            item->Update();
    }
    // Read once: no item's animation or preparation moves the engine clock.
    const float animationStep = m_engine ? m_engine->GetDeltaFrame() : 0.0f;
    {
        nWalkList<nMItem*>::Walk active(m_activeItems);
        while (nMItem* item = active.Next())
            UpdateItem(item, flags, animationStep);
    }
    // Bones are placed by now, so skins follow them in this frame.
    nWalkList<nMItem*>::Walk objects(m_activeItems);
    while (nMItem* item = objects.Next())
        if (item->GetKind() == ItemTypeObject)
            static_cast<nMObject*>(item)->GetObject().UpdateSkin();
    m_timers[TimerEvaluate].End();
}

void nScene::RunLogic(float dt)
{
    if (!SomeItemHasScriptMethod(ItemMethodLogicUpdate))
        return;
    bool anyLogic = false;
    nWalkList<nMItem*>::Walk logic(m_activeItems);
    while (nMItem* item = logic.Next())
    {
        if (!HasLogicUpdate(*item))
            continue;
        anyLogic = true;
        const float step = 1.0f / std::clamp(item->GetLogicRate(), nMItem::MinimumLogicRate, MaxLogicRate);
        float clock = item->GetLogicClock() - dt;
        while (clock <= 0.0f && !IsStopRequested())
        {
            clock += step;
            item->SetLogicClock(clock);
            const nMatrix4 previous = item->GetLogicMatrix();
            item->GetEventHandler()->OnLogicUpdate(item, step);
            item->SetLogicMatrices(item->GetItem()->GetLocalMatrix(), previous);
            clock = item->GetLogicClock();
        }
        item->SetLogicClock(clock);
    }
    // Without a logic event nothing could have given an item one since the walk above.
    if (!anyLogic)
        return;
    nWalkList<nMItem*>::Walk blend(m_activeItems);
    while (nMItem* item = blend.Next())
    {
        if (item->GetPhysicItem() || !HasLogicUpdate(*item))
            continue;
        const float t = item->GetLogicClock() * std::min(item->GetLogicRate(), MaxLogicRate);
        const nMatrix4 shown =
            nMatrix4::Interpolate(item->GetLogicMatrix(), item->GetPreviousLogicMatrix(), t, false);
        item->GetItem()->SnapshotMatrix(shown, true, false);
    }
}

void nScene::UpdateItem(nMItem* item, uint32_t flags, float animationStep)
{
    if ((flags & SceneUpdateAnimation) && m_engine)
        item->nAnimationPlayer::Update(animationStep);
    if (!(flags & SceneUpdatePrepare))
        return;
    if (item->GetFlags() & MItemFlagBillboard)
        OrientBillboard(*item->GetItem());
    item->PrepareRender();
}

void nScene::OrientBillboard(nItem& item)
{
    nVector position = item.GetPosition();
    nVector scale = item.GetScale();
    if (nItem* parent = item.GetParent())
    {
        const nMatrix4& parentWorld = parent->GetWorldMatrix();
        nVector local(position.x, position.y, position.z, 1.0f);
        parentWorld.TransformVector4Array(&position, &local, 1);
        nVector parentScale;
        parentWorld.Decompose(nullptr, &parentScale, nullptr);
        scale = nVector(scale.x * parentScale.x, scale.y * parentScale.y, scale.z * parentScale.z);
    }
    nMatrix3 rotation;
    if (m_currentCamera)
        rotation = m_currentCamera->GetWorldMatrix().Orthonormalize().GetMatrix3();
    rotation = rotation * nMatrix3::RotationZ(item.GetRotation().z);
    item.SnapshotMatrix(nMatrix4::Compose(position, rotation, scale), false, true);
}
