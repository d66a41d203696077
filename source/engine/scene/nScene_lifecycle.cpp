#include "engine/scene/nScene.h"

#include "animation/nAnimationPlayer.h"
#include "animation/nMotion.h"
#include "animation/nMotionChannel.h"
#include "core/base/nLog.h"
#include "engine/Quenvar.h"
#include "engine/items/nItem.h"
#include "engine/items/nMCamera.h"
#include "engine/items/nMConstraint.h"
#include "engine/items/nMLight.h"
#include "engine/items/nMObject.h"
#include "engine/items/nTrigger.h"
#include "engine/scene/nGroup.h"
#include "engine/scene/nInstance.h"
#include "engine/scene/nItemMotions.h"
#include "geometry/nTexture.h"
#include "platform/nPlatform.h"
#include "platform/nStopSignal.h"
#include "script/nObjectType.h"
#include "script/nScriptObject.h"
#include "script/nScriptVM.h"
#include "script/nScriptValue.h"
#include "script/units/nManagerScriptUnit.h"
#include "script/units/nSceneEventHandler.h"
#include "ui/nScene2D.h"

bool nScene::IsModeOne() const
{
    return m_engine && m_engine->GetMode() == 1;
}

void nScene::DestroyItems()
{
    nListIterator<nTrigger*> triggers;
    while (nTrigger* trigger = m_triggers.Next(triggers))
        trigger->ClearEntries();
    m_activeItems.Clear();
    // The destructor takes the item out of the list; it finds it first at once, so emptying a
    // large scene stays linear.
    while (nMItem* item = m_allItems.GetFirst())
    {
        delete item;
        if (m_allItems.GetFirst() == item)
            m_allItems.Remove(item);
    }
}

// The events of the items and of the scene that run meanwhile may not load or make groups: what
// they made after the groups were freed would survive the emptying (see IsRefusedWhileDeleting).
void nScene::DeleteContent(bool keepScripts)
{
    const ItemWalk walk(*this);
    const bool nested = m_deletingContent;
    m_deletingContent = true;
    Broadcast(SceneMessageContentDeleting, nullptr);
    m_eventHandler->OnDelete(this);
    m_pendingActivate.Clear();
    m_pendingDeactivate.Clear();
    m_deletionQueue.Clear();
    m_name = "";
    DestroyGroups();
    DestroyItems();
    m_cameras.Clear();
    m_objects.Clear();
    m_lights.Clear();
    m_triggers.Clear();
    m_instances.Clear();
    m_emitters.Clear();
    m_terrains.Clear();
    m_constraints.Clear();
    m_nextUid = 0;
    m_freeUidFrom = 0;
    if (m_ui)
        m_ui->Clear();
    if (!keepScripts)
        DeleteScriptUnits();
    m_fogNear = 0.0f;
    m_fogFar = 0.0f;
    m_fogColor = nColor(0.0f, 0.0f, 0.0f, 1.0f);
    m_currentCamera = nullptr;
    m_deletingContent = nested;
    Broadcast(SceneMessageContentDeleted, nullptr);
}

bool nScene::IsRefusedWhileDeleting(const char* operation) const
{
    if (!m_deletingContent)
        return false;
    nLogHolder::Get() << "[!] A scene cannot " << operation << " while it deletes its content.\n";
    return true;
}

void nScene::Setup(bool optimize, int32_t octreeParameter)
{
    nLogHolder::Get() << "[H] Setup scene '" << m_name << "'.\n";
    const UseScope use(*this);
    const bool scripts = !IsModeOne();
    if (scripts)
        m_eventHandler->OnPreSetup(this);
    {
        const ItemWalk walk(*this);
        // Templates may hold instances of their own, which join the list behind the walk.
        for (nList<nInstance*>::Node* node = m_instances.GetHead(); node; node = node->next)
            node->value->SetupInstance(node->value->GetDepth());
        if (optimize)
            OptimizeGeometries(octreeParameter);
        if (scripts)
        {
            nWalkList<nMItem*>::Walk items(m_allItems);
            while (nMItem* item = items.Next())
                item->SetupScript();
        }
    }
    if (scripts)
        m_eventHandler->OnSetup(this);
    {
        const ItemWalk walk(*this);
        nWalkList<nMItem*>::Walk items(m_allItems);
        while (nMItem* item = items.Next())
            item->Setup();
        nListIterator<nMConstraint*> constraints;
        while (nMConstraint* constraint = m_constraints.Next(constraints))
            constraint->Setup();
    }
    if (scripts)
        m_eventHandler->OnSetupDone(this);
    m_endSurvivesReset = (m_renderFlags & SceneRenderFlagEnded) != 0;
    SortItems();
}

// A reset starts the scene over, so it ends an earlier end request; but not one made before or
// during the set-up it directly follows (a script's "OnSetup" may decide the run is over), nor
// one made by its own "OnReset" handlers: either would otherwise be lost and the run not end.
void nScene::Reset()
{
    nLogHolder::Get() << "[H] Reset scene '" << m_name << "'.\n";
    const UseScope use(*this);
    if (!m_endSurvivesReset)
        m_renderFlags &= ~SceneRenderFlagEnded;
    m_endSurvivesReset = false;
    {
        const ItemWalk walk(*this);
        {
            nWalkList<nMItem*>::Walk items(m_allItems);
            while (nMItem* item = items.Next())
                item->RestoreLocation();
        }
        {
            nWalkList<nMItem*>::Walk items(m_allItems);
            while (nMItem* item = items.Next())
                item->Reset();
        }
        if (!IsModeOne())
        {
            nWalkList<nMItem*>::Walk items(m_allItems);
            while (nMItem* item = items.Next())
                if (!IsStopRequested())
                    item->SendReset();
        }
    }
    m_eventHandler->OnReset(this);
    for (nPerfCounter& timer : m_timers)
        timer.Reset();
    if (m_engine)
    {
        m_engine->ResetClock();
        m_engine->GetFrameCounter().Reset();
        m_engine->GetRenderQueueCounter().Reset();
        m_engine->GetCullingCounter().Reset();
    }
}

void nScene::RecordLocation()
{
    nWalkList<nMItem*>::Walk items(m_allItems);
    while (nMItem* item = items.Next())
        item->RecordLocation();
}

void nScene::SetMotion(const char* name, nAnimationSourceList** outSources, float fadeTime, bool add, float weight)
{
    StartItemMotions(m_activeItems, name, outSources, fadeTime, add, weight);
}

void nScene::SetGlobal(nScriptVM* vm)
{
    if (!vm)
        vm = m_vm;
    if (!vm || !vm->IsOpen())
        return;
    // A dead handle there is nothing to give back: most often this scene's own, invalidated as
    // it goes.
    const void* named = nullptr;
    const int32_t type = vm == m_vm ? vm->GetNativeGlobal("g_scene", named) : ObjectTypeUndefined;
    if (vm == m_vm && type != ObjectTypeDeletedNative && named != this)
    {
        m_displacedGlobal.reset(vm->GetObject("g_scene", nullptr));
        m_displacedScene = type == ObjectTypeScene ? static_cast<nScene*>(const_cast<void*>(named)) : nullptr;
    }
    vm->SetSlot("g_scene", nScriptValue(ObjectTypeScene, this), nullptr);
    vm->SetSlot("g_clock_fq", nScriptValue(static_cast<int32_t>(nPlatform::Get().GetClockFrequency())),
                nullptr);
}

// Scenes of one machine that displaced each other in "g_scene" form a chain; a scene that goes
// hands its place in it to the scenes that displaced it, so "g_scene" always falls back on a
// scene that still runs.
void nScene::HandOverDisplaced()
{
    for (nList<nScene*>::Node* node = LiveScenes().GetHead(); node; node = node->next)
    {
        nScene* other = node->value;
        if (other == this || other->m_displacedScene != this)
            continue;
        other->m_displacedScene = m_displacedScene != other ? m_displacedScene : nullptr;
        other->m_displacedGlobal.reset();
    }
}

// Called once this scene's handles are dead: "g_scene" named it, or a scene already gone.
void nScene::RestoreDisplacedGlobal()
{
    const void* named = nullptr;
    if (m_displacedScene && m_vm->GetNativeGlobal("g_scene", named) == ObjectTypeDeletedNative)
        m_vm->SetSlot("g_scene", nScriptValue(ObjectTypeScene, m_displacedScene), nullptr);
    else
        m_vm->ClearDeadNativeGlobal("g_scene", m_displacedGlobal.get());
}

nList<nScene*>& nScene::LiveScenes()
{
    static nList<nScene*> scenes;
    return scenes;
}

void nScene::SetFog(float nearDistance, float farDistance, const nColor& color)
{
    m_fogNear = nearDistance;
    m_fogFar = farDistance;
    m_fogColor = color;
}

void nScene::SetIrradiance(nTexture* texture)
{
    m_irradiance = texture;
}

void nScene::SetRadiance(nTexture* texture)
{
    m_radiance = texture;
}

void nScene::PrintMemoryLayout()
{
    nLog& log = nLogHolder::Get();
    log << "Scene memory layout:\n\n";
    log << "    sizeof(nScene) = " << static_cast<uint32_t>(sizeof(nScene)) << "\n";
    log << "    sizeof(nMItem) = " << static_cast<uint32_t>(sizeof(nMItem)) << "\n";
    log << "    sizeof(nChannel) = " << static_cast<uint32_t>(sizeof(nMotionChannel)) << "\n";
    log << "    sizeof(nMotion) = " << static_cast<uint32_t>(sizeof(nMotion)) << "\n";
    log << "    sizeof(nMotionPlayer) = " << static_cast<uint32_t>(sizeof(nAnimationPlayer)) << "\n";
    log << "    sizeof(nMObject) = " << static_cast<uint32_t>(sizeof(nMObject)) << "\n";
    log << "    sizeof(nMCamera) = " << static_cast<uint32_t>(sizeof(nMCamera)) << "\n";
    log << "    sizeof(nMLight) = " << static_cast<uint32_t>(sizeof(nMLight)) << "\n";
    log << "    sizeof(nManagerScriptUnit) = " << static_cast<uint32_t>(sizeof(nManagerScriptUnit)) << "\n";
    log << "\n";
}
