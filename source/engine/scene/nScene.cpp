#include "engine/scene/nScene.h"

#include "core/base/nLog.h"
#include "engine/Quenvar.h"
#include "engine/items/nMCamera.h"
#include "engine/items/nMConstraint.h"
#include "engine/items/nMEmitter.h"
#include "engine/items/nMItem.h"
#include "engine/items/nMLight.h"
#include "engine/items/nMObject.h"
#include "engine/items/nMTerrain.h"
#include "engine/items/nTrigger.h"
#include "engine/scene/nGroup.h"
#include "engine/scene/nInstance.h"
#include "geometry/nTexture.h"
#include "physics/nBulletWorld.h"
#include "physics/nGeometryPhysicSource.h"
#include "physics/nPhysicWorld.h"
#include "script/nObjectType.h"
#include "script/nObjectTypeLifetime.h"
#include "script/nScriptObject.h"
#include "script/nScriptVM.h"
#include "script/units/nSceneEventHandler.h"
#include "script/units/nSceneScriptUnit.h"
#include "ui/nScene2D.h"

#include "render/nRenderer.h"

#include <algorithm>
#include <climits>
#include <new>
#include <vector>

namespace
{
// A scene a script made and owns goes with the script's last handle. The handle holds no counted
// reference (the scene is made with none), so a release would find nothing to drop and leak it.
void DeleteOwnedScene(void* scene)
{
    static_cast<nScene*>(scene)->DestroyWhenUnused();
}
} // namespace

nScene::nScene(Quenvar* engine, nScriptVM* vm)
    : m_engine(engine), m_vm(vm), m_physicCallback(this), m_eventHandler(&nSceneEventHandler::Get()),
      m_ui(std::make_unique<nScene2D>(engine, vm))
{
    // The command vocabulary of managed items; nMItem::ExecuteCommand gives these codes their meaning.
    Define("toposition", ItemCommandToPosition, 3);
    Define("offsetposition", ItemCommandOffsetPosition, 3);
    Define("tooffset", ItemCommandToOffset, 3);
    Define("toscale", ItemCommandToScale, 3);
    Define("torotation", ItemCommandToRotation, 3);
    Define("toalpha", ItemCommandToAlpha, 1);
    nObjectTypeLifetime lifetime;
    lifetime.destroy = DeleteOwnedScene;
    SetObjectTypeLifetime(ObjectTypeScene, lifetime);
    if (m_vm)
        LiveScenes().PushBack(this);
}

nScene::~nScene()
{
    // "OnDelete" handlers see this scene as "g_scene"; unless one of them named another scene,
    // "g_scene" then names again what this scene displaced there, a scene that may still run
    // (null when that is gone too), whoever ends the scene (its project or a script's handle).
    if (m_vm)
        HandOverDisplaced();
    SetGlobal();
    DeleteContent(false);
    m_ui.reset();
    m_physicWorld.Reset();
    if (m_vm)
    {
        m_vm->InvalidateNativeObject(this);
        RestoreDisplacedGlobal();
        LiveScenes().Remove(this);
    }
    m_displacedGlobal.reset();
    if (m_renderer && m_renderer->GetEnvironment() == this)
        m_renderer->SetEnvironment(nullptr);
}

void nScene::DestroyWhenUnused()
{
    if (!IsInUse())
    {
        delete this;
        return;
    }
    m_destroyWhenUnused = true;
    if (m_vm)
        m_vm->InvalidateNativeObject(this);
}

bool nScene::CreatePhysicWorld()
{
    DeleteContent(false);
    m_physicWorld.Reset();
    auto* world = new (std::nothrow) nBulletWorld(m_engine);
    if (!world)
        return false;
    if (m_engine && !m_physicGeometrySource)
        m_physicGeometrySource.reset(new (std::nothrow) nGeometryPhysicSource(*m_engine));
    world->SetGeometrySource(m_physicGeometrySource.get());
    if (!world->Open())
    {
        delete world;
        return false;
    }
    if (m_engine)
        world->CreateDebugDraw(m_engine->GetRenderer());
    SetPhysicWorld(world);
    return true;
}

nScriptUnit* nScene::CreateScriptUnit()
{
    auto* unit = new (std::nothrow) nSceneScriptUnit(m_vm);
    if (unit)
        unit->SetOwner(this, ObjectTypeScene);
    return AppendScriptUnit(unit, m_name.GetText() ? m_name.GetText() : "");
}

void nScene::SetPhysicWorld(nPhysicWorld* world)
{
    m_physicWorld = world;
    if (world)
        world->SetCallback(&m_physicCallback);
}

void nScene::Broadcast(nSceneMessage message, const void* data)
{
    m_listeners.Broadcast(message, data);
}

// The counter never wraps. Past the top it takes the lowest UID that no item holds, so the UIDs
// of files keep their values; an item keeps -1 only when no UID is free. An item read from a file
// has no name yet: its reader tells.
void nScene::AssignUid(nMItem* item)
{
    if (item->GetUid() != -1)
    {
        nLogHolder::Get() << "[!] (Critical error) item '" << item->GetName() << "' already has an uid ("
                          << item->GetUid() << ").\n";
        return;
    }
    if (m_uidsFromFile)
        return;
    const int32_t uid =
        m_nextUid <= static_cast<uint32_t>(INT32_MAX) ? static_cast<int32_t>(m_nextUid++) : FindFreeUid();
    if (uid >= 0)
        item->SetUid(uid);
    else if (!item->GetName().IsEmpty())
        ReportNoUid(*item);
}

void nScene::ReportNoUid(const nMItem& item) const
{
    nLogHolder::Get() << "[!] No unique identifier is left for item '" << item.GetName() << "' in scene '"
                      << m_name << "'.\n";
}

// Searches on from where the last search stopped, and once more from 0 before it gives up (items
// deleted meanwhile may have freed lower UIDs).
int32_t nScene::FindFreeUid()
{
    for (const uint32_t from : {m_freeUidFrom, 0u})
    {
        std::vector<int32_t> used;
        used.reserve(m_allItems.GetCount());
        nWalkList<nMItem*>::Walk items(m_allItems);
        while (nMItem* item = items.Next())
            if (item->GetUid() >= 0 && static_cast<uint32_t>(item->GetUid()) >= from)
                used.push_back(item->GetUid());
        std::sort(used.begin(), used.end());
        int64_t candidate = from;
        for (const int32_t uid : used)
        {
            if (uid > candidate)
                break;
            if (uid == candidate)
                ++candidate;
        }
        if (candidate <= INT32_MAX)
        {
            m_freeUidFrom = static_cast<uint32_t>(candidate) + 1;
            return static_cast<int32_t>(candidate);
        }
        if (from == 0)
            break;
    }
    m_freeUidFrom = 0;
    return -1;
}

void nScene::AddMItem(nMItem* item)
{
    m_activeItems.PushBack(item);
    m_allItems.PushBack(item);
    m_itemScriptMethodsStale = true;
}

// Gathered again only after some item's methods changed; removed items may leave bits behind,
// which costs one walk and loses nothing.
bool nScene::SomeItemHasScriptMethod(uint32_t method)
{
    if (m_itemScriptMethodsStale)
    {
        m_itemScriptMethodsStale = false;
        m_itemScriptMethods = 0;
        nWalkList<nMItem*>::Walk items(m_allItems);
        while (nMItem* item = items.Next())
            m_itemScriptMethods |= item->GetCachedMethods();
    }
    return (m_itemScriptMethods >> method) & 1u;
}

void nScene::RemoveMItem(nMItem* item)
{
    nPhysicItem* physicItem = item->GetPhysicItem();
    if (physicItem && m_physicWorld)
        m_physicWorld->RemoveItem(physicItem);
    if (m_vm)
    {
        m_vm->InvalidateNativeObject(item);
        // Motion handles point into the item's player, which dies with the item.
        for (const auto* motion = item->GetMotionList().GetHead(); motion; motion = motion->next)
            m_vm->InvalidateNativeObject(motion->value);
    }
    // Whatever path destroys the item, nothing in the scene keeps pointing at it.
    nListIterator<nTrigger*> triggers;
    while (nTrigger* trigger = m_triggers.Next(triggers))
        trigger->ForgetItem(item);
    if (physicItem)
    {
        nListIterator<nMConstraint*> constraints;
        while (nMConstraint* constraint = m_constraints.Next(constraints))
            constraint->ForgetPhysicItem(physicItem);
    }
    if (m_currentCamera == item->GetItem())
        m_currentCamera = nullptr;
    // Only an item that was ever bound carries the bone flag, so emptying a large scene does not
    // walk every object for every item.
    if (item->GetItem()->GetFlags() & ItemFlagSkinBone)
    {
        nListIterator<nMObject*> objects;
        while (nMObject* object = m_objects.Next(objects))
            object->GetObject().UnbindItem(item->GetItem());
    }
    m_allItems.Remove(item);
    m_activeItems.Remove(item);
    m_pendingActivate.Remove(item);
    m_pendingDeactivate.Remove(item);
    m_deletionQueue.Remove(item); // a script that queued the dying item again
    RemoveFromKindList(item);
    if (auto* renderable = dynamic_cast<nRenderable*>(item->GetItem()))
        RemoveRenderable(renderable);
    RemoveItemFromGroups(item);
}

void nScene::RemoveFromKindList(nMItem* item)
{
    switch (item->GetKind())
    {
    case ItemTypeCamera:
        m_cameras.Remove(static_cast<nMCamera*>(item));
        break;
    case ItemTypeObject:
        m_objects.Remove(static_cast<nMObject*>(item));
        break;
    case ItemTypeLight:
        m_lights.Remove(static_cast<nMLight*>(item));
        break;
    case ItemTypeTrigger:
        m_triggers.Remove(static_cast<nTrigger*>(item));
        break;
    case ItemTypeConstraint:
        m_constraints.Remove(static_cast<nMConstraint*>(item));
        break;
    case ItemTypeInstance:
        m_instances.Remove(static_cast<nInstance*>(item));
        break;
    case ItemTypeEmitter:
        m_emitters.Remove(static_cast<nMEmitter*>(item));
        break;
    case ItemTypeTerrain:
        m_terrains.Remove(static_cast<nMTerrain*>(item));
        break;
    default:
        break;
    }
}

void nScene::SortItems()
{
    bool moved = true;
    while (moved)
    {
        moved = false;
        for (nList<nMLight*>::Node* node = m_lights.GetHead(); node && node->next;)
        {
            nList<nMLight*>::Node* next = node->next;
            if (next->value->GetPriority() > node->value->GetPriority())
            {
                nMLight* light = node->value;
                m_lights.RemoveNode(node);
                m_lights.InsertAfter(light, next);
                moved = true;
            }
            node = next;
        }
    }
}

template <typename Kind>
Kind* nScene::Register(Kind* item, nList<Kind*>& kindList, const char* name, const char* failure)
{
    if (!item)
    {
        nLogHolder::Get() << "[!] " << failure;
        return nullptr;
    }
    item->SetName(name);
    kindList.PushBack(item);
    AssignUid(item);
    Broadcast(SceneMessageItemAdded, static_cast<nMItem*>(item));
    return item;
}

nMCamera* nScene::NewCamera(const char* name)
{
    Broadcast(SceneMessageItemAdding, nullptr);
    return Register(new nMCamera(this), m_cameras, name, "Scene could not allocate new camera!\n");
}

nMObject* nScene::NewObject(const char* name, nGeometry* geometry)
{
    Broadcast(SceneMessageItemAdding, nullptr);
    nMObject* object = Register(new nMObject(this), m_objects, name, "Scene could not allocate new object!\n");
    if (object)
        object->GetObject().SetGeometry(geometry);
    return object;
}

nMLight* nScene::NewLight(const char* name, int32_t lightType, float priority)
{
    Broadcast(SceneMessageItemAdding, nullptr);
    nMLight* light = Register(new nMLight(this), m_lights, name, "scene could not allocate new light!\n");
    if (light)
    {
        light->GetLight().SetType(lightType);
        light->SetPriority(priority);
    }
    return light;
}

nMConstraint* nScene::NewConstraint(const char* name)
{
    Broadcast(SceneMessageItemAdding, nullptr);
    // A constraint is made by the physics world: without one there is nothing to hold.
    nMConstraint* constraint = m_physicWorld ? new nMConstraint(this) : nullptr;
    if (constraint && !constraint->GetPhysicConstraint())
    {
        delete constraint;
        constraint = nullptr;
    }
    return Register(constraint, m_constraints, name, "Failed to allocate constraint.\n");
}

nTrigger* nScene::NewTrigger(const char* name)
{
    Broadcast(SceneMessageItemAdding, nullptr);
    return Register(new nTrigger(this), m_triggers, name, "Scene could not allocate new trigger!\n");
}

nInstance* nScene::NewInstance(const char* name, const char* templatePath)
{
    Broadcast(SceneMessageItemAdding, nullptr);
    nInstance* instance = new nInstance(this);
    if (instance && templatePath)
        instance->SetTemplate(templatePath);
    return Register(instance, m_instances, name, "Scene could not allocate new instance.\n");
}

nMEmitter* nScene::NewEmitter(const char* name)
{
    Broadcast(SceneMessageItemAdding, nullptr);
    return Register(new nMEmitter(this), m_emitters, name, "scene could not allocate new emitter.\n");
}

nMTerrain* nScene::NewTerrain(const char* name)
{
    Broadcast(SceneMessageItemAdding, nullptr);
    return Register(new nMTerrain(this), m_terrains, name, "scene could not allocate new terrain.\n");
}
