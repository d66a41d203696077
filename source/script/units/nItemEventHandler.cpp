#include "script/units/nItemEventHandler.h"

#include "script/units/nManagerScriptUnit.h"
#include "script/units/nScriptEvent.h"
#include "script/units/nScriptedObject.h"

namespace
{
using CachedMethod = nScriptObject* (nManagerScriptUnit::*)() const;

// Units without the cached method are skipped before any call.
void SendCached(nScriptedObject* item, const char* name, CachedMethod method, const nScriptEventArguments& arguments = {})
{
    nScriptDispatch dispatch(item);
    while (nScriptUnit* unit = dispatch.Next())
    {
        nScriptObject* handle = (static_cast<nManagerScriptUnit*>(unit)->*method)();
        if (handle)
            SendScriptEvent(unit, name, handle, arguments);
    }
}

nScriptEventArguments ItemArgument(void* item)
{
    nScriptEventArguments arguments;
    arguments.kind = nScriptEventArguments::Item;
    arguments.item = item;
    return arguments;
}
} // namespace

nItemEventHandler& nItemEventHandler::Get()
{
    static nItemEventHandler handler;
    return handler;
}

void nItemEventHandler::OnSetup(nScriptedObject* item)
{
    SendScriptSetup(item, "OnSetup");
}

void nItemEventHandler::OnSetupDone(nScriptedObject* item)
{
    SendScriptEventByName(item, "OnSetupDone");
}

void nItemEventHandler::OnReset(nScriptedObject* item)
{
    SendScriptEventByName(item, "OnReset");
}

void nItemEventHandler::OnActivate(nScriptedObject* item, bool enabled)
{
    nScriptEventArguments arguments;
    arguments.kind = nScriptEventArguments::Bool;
    arguments.flag = enabled;
    SendCached(item, "OnActivate", &nManagerScriptUnit::GetOnActivate, arguments);
}

void nItemEventHandler::OnPhysicStep(nScriptedObject* item, bool step)
{
    nScriptEventArguments arguments;
    arguments.kind = nScriptEventArguments::Bool;
    arguments.flag = step;
    SendCached(item, "OnPhysicStep", &nManagerScriptUnit::GetOnPhysicStep, arguments);
}

void nItemEventHandler::OnPhysicSleepStep(nScriptedObject* item)
{
    SendCached(item, "OnPhysicSleepStep", &nManagerScriptUnit::GetOnPhysicSleepStep);
}

void nItemEventHandler::OnItemEnter(nScriptedObject* trigger, void* item)
{
    SendScriptEventByName(trigger, "OnItemEnter", ItemArgument(item));
}

void nItemEventHandler::OnItemExit(nScriptedObject* trigger, void* item)
{
    SendScriptEventByName(trigger, "OnItemExit", ItemArgument(item));
}

void nItemEventHandler::OnEnterTrigger(nScriptedObject* item, void* trigger)
{
    SendScriptEventByName(item, "OnEnterTrigger", ItemArgument(trigger));
}

void nItemEventHandler::OnTrigger(nScriptedObject* item, void* trigger)
{
    SendScriptEventByName(item, "OnTrigger", ItemArgument(trigger));
}

void nItemEventHandler::OnExitTrigger(nScriptedObject* item, void* trigger)
{
    SendScriptEventByName(item, "OnExitTrigger", ItemArgument(trigger));
}

void nItemEventHandler::OnUpdate(nScriptedObject* item)
{
    SendCached(item, "OnUpdate", &nManagerScriptUnit::GetOnUpdate);
}

void nItemEventHandler::OnLogicUpdate(nScriptedObject* item, float seconds)
{
    nScriptEventArguments arguments;
    arguments.kind = nScriptEventArguments::Float;
    arguments.number = seconds;
    SendCached(item, "OnLogicUpdate", &nManagerScriptUnit::GetOnLogicUpdate, arguments);
}

void nItemEventHandler::OnDelete(nScriptedObject* item)
{
    SendScriptEventByName(item, "OnDelete");
}

void nItemEventHandler::OnRenderDone(nScriptedObject* item)
{
    SendScriptEventByName(item, "OnRenderDone");
}

void nItemEventHandler::OnCollisionEx(nScriptedObject* item, void* other, const void*, nScriptObject* contactTable)
{
    nScriptEventArguments arguments;
    arguments.kind = nScriptEventArguments::ItemContacts;
    arguments.item = other;
    arguments.contacts = contactTable;
    SendCached(item, "OnCollisionEx", &nManagerScriptUnit::GetOnCollisionEx, arguments);
}

void nItemEventHandler::OnCollision(nScriptedObject* item, void* other, const void*)
{
    SendCached(item, "OnCollision", &nManagerScriptUnit::GetOnCollision, ItemArgument(other));
}
