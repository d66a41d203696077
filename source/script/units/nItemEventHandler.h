#pragma once

class nScriptedObject;
class nScriptObject;

// Turns engine events of a managed item into calls of its units' methods. Stateless: one
// instance for the process, which every item points at. "item" is the item whose units hear the
// event; other items are passed as the engine pointers their handles hold (type 24).
class nItemEventHandler
{
public:
    static nItemEventHandler& Get();

    virtual ~nItemEventHandler() = default;
    virtual void OnSetup(nScriptedObject* item);
    virtual void OnSetupDone(nScriptedObject* item);
    virtual void OnReset(nScriptedObject* item);
    virtual void OnActivate(nScriptedObject* item, bool enabled);
    virtual void OnPhysicStep(nScriptedObject* item, bool step);
    virtual void OnPhysicSleepStep(nScriptedObject* item);
    virtual void OnItemEnter(nScriptedObject* trigger, void* item);
    virtual void OnItemExit(nScriptedObject* trigger, void* item);
    virtual void OnEnterTrigger(nScriptedObject* item, void* trigger);
    virtual void OnTrigger(nScriptedObject* item, void* trigger);
    virtual void OnExitTrigger(nScriptedObject* item, void* trigger);
    virtual void OnUpdate(nScriptedObject* item);
    virtual void OnLogicUpdate(nScriptedObject* item, float seconds);
    virtual void OnDelete(nScriptedObject* item);
    virtual void OnRenderDone(nScriptedObject* item);
    // The contact record is not used; the contact table reaches the script without being owned.
    virtual void OnCollisionEx(nScriptedObject* item, void* other, const void* contact, nScriptObject* contactTable);
    virtual void OnCollision(nScriptedObject* item, void* other, const void* contact);
};
