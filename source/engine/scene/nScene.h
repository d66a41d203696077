#pragma once

#include "core/base/MessageBroadcaster.h"
#include "core/base/nAutoPtr.h"
#include "core/base/nList.h"
#include "core/base/nSharedObject.h"
#include "engine/items/nScenePhysicWorldCallback.h"
#include "engine/scene/nSceneListener.h"
#include "platform/nstring/nString.h"
#include "script/units/nScriptedObject.h"

#include <cstdint>

class Quenvar;
class nItem;
class nMCamera;
class nMConstraint;
class nMItem;
class nMLight;
class nMObject;
class nPhysicWorld;
class nSceneEventHandler;
class nScriptVM;
class nTrigger;

// The 3D scene: owner of every managed item, of its physics world and of its scene scripts.
// Items enter through the kind constructors and are listed in creation order; every item gets
// the next unique id of the scene.
class nScene : public nSharedObject, public nScriptedObject
{
public:
    nScene(Quenvar* engine, nScriptVM* vm);
    ~nScene() override;

    nScriptUnit* CreateScriptUnit() override;

    Quenvar* GetEngine() const { return m_engine; }
    nScriptVM* GetVM() const { return m_vm; }
    nSceneEventHandler* GetEventHandler() const { return m_eventHandler; }
    const nString& GetName() const { return m_name; }
    void SetName(const char* name) { m_name = name; }
    nItem* GetCurrentCamera() const { return m_currentCamera; }
    void SetCurrentCamera(nItem* camera) { m_currentCamera = camera; }
    nPhysicWorld* GetPhysicWorld() const { return m_physicWorld.Get(); }
    // Takes the world, destroying any former one, and makes the scene's callback its callback.
    void SetPhysicWorld(nPhysicWorld* world);

    nMCamera* NewCamera(const char* name);
    nMObject* NewObject(const char* name);
    nMLight* NewLight(const char* name, int32_t lightType, float priority);
    nMConstraint* NewConstraint(const char* name);
    nTrigger* NewTrigger(const char* name);

    // Gives the item the next unique id, unless it already has one.
    void AssignUid(nMItem* item);
    uint32_t GetNextUid() const { return m_nextUid; }
    void SetNextUid(uint32_t uid) { m_nextUid = uid; }
    // Called by the managed item's constructor and destructor.
    void AddMItem(nMItem* item);
    void RemoveMItem(nMItem* item);
    // Orders the lights by priority, largest first; equal priorities keep their order.
    void SortItems();
    // Queues the item (once); it stays listed, updated and drawn until the next flush.
    bool DeleteItem(nMItem* item);
    // Destroys the queued items in order; triggers send the exit events of those inside them.
    void FlushDeletionQueue();
    bool IsDeletionQueued(const nMItem* item) const { return m_deletionQueue.Find(const_cast<nMItem*>(item)); }

    void Broadcast(nSceneMessage message, const void* data);
    MessageBroadcaster<nSceneMessage, nSceneListener>& GetListeners() { return m_listeners; }

    const nList<nMItem*>& GetAllItems() const { return m_allItems; }
    nList<nMItem*>& GetActiveItems() { return m_activeItems; }
    nList<nMCamera*>& GetCameras() { return m_cameras; }
    nList<nMObject*>& GetObjects() { return m_objects; }
    nList<nMLight*>& GetLights() { return m_lights; }
    nList<nTrigger*>& GetTriggers() { return m_triggers; }
    nList<nMConstraint*>& GetConstraints() { return m_constraints; }

private:
    // Names the item, lists it with its kind and announces it.
    template <typename Kind> Kind* Register(Kind* item, nList<Kind*>& kindList, const char* name,
                                            const char* failure);
    void RemoveFromKindList(nMItem* item);
    // Destroys every item without any trigger event: nothing runs on a scene being emptied.
    void DestroyItems();

    Quenvar* m_engine;
    nItem* m_currentCamera = nullptr;
    nScriptVM* m_vm;
    nScenePhysicWorldCallback m_physicCallback;
    nAutoPtr<nPhysicWorld> m_physicWorld;
    nList<nMItem*> m_activeItems;
    nList<nMItem*> m_allItems;
    nList<nMItem*> m_deletionQueue;
    uint32_t m_nextUid = 0;
    nString m_name;
    nSceneEventHandler* m_eventHandler;
    MessageBroadcaster<nSceneMessage, nSceneListener> m_listeners;
    nList<nMCamera*> m_cameras;
    nList<nMObject*> m_objects;
    nList<nMLight*> m_lights;
    nList<nTrigger*> m_triggers;
    nList<nMConstraint*> m_constraints;
};
