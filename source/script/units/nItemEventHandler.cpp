#include "script/units/nItemEventHandler.h"

#include "script/units/nManagerScriptUnit.h"
#include "script/units/nScriptEvent.h"
#include "script/units/nScriptedObject.h"

namespace
{
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
    SendCachedScriptEvent<nManagerScriptUnit>(item, "OnActivate", ItemMethodActivate,
                                              BoolEventArgument(enabled));
}

void nItemEventHandler::OnPhysicStep(nScriptedObject* item, bool step)
{
    SendCachedScriptEvent<nManagerScriptUnit>(item, "OnPhysicStep", ItemMethodPhysicStep,
                                              BoolEventArgument(step));
}

void nItemEventHandler::OnPhysicSleepStep(nScriptedObject* item)
{
    SendCachedScriptEvent<nManagerScriptUnit>(item, "OnPhysicSleepStep", ItemMethodPhysicSleepStep);
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
    SendCachedScriptEvent<nManagerScriptUnit>(item, "OnUpdate", ItemMethodUpdate);
}

void nItemEventHandler::OnLogicUpdate(nScriptedObject* item, float seconds)
{
    nScriptEventArguments arguments;
    arguments.kind = nScriptEventArguments::Float;
    arguments.number = seconds;
    SendCachedScriptEvent<nManagerScriptUnit>(item, "OnLogicUpdate", ItemMethodLogicUpdate, arguments);
}

void nItemEventHandler::OnDelete(nScriptedObject* item)
{
    SendScriptEventByName(item, "OnDelete");
}

void nItemEventHandler::OnRenderDone(nScriptedObject* item)
{
    SendCachedScriptEvent<nManagerScriptUnit>(item, "OnRenderDone", ItemMethodRenderDone);
}

void nItemEventHandler::OnCollisionEx(nScriptedObject* item, void* other, const void*,
                                      nScriptObject* contactTable)
{
    nScriptEventArguments arguments;
    arguments.kind = nScriptEventArguments::ItemContacts;
    arguments.item = other;
    arguments.contacts = contactTable;
    SendCachedScriptEvent<nManagerScriptUnit>(item, "OnCollisionEx", ItemMethodCollisionEx, arguments);
}

void nItemEventHandler::OnCollision(nScriptedObject* item, void* other, const void*)
{
    SendCachedScriptEvent<nManagerScriptUnit>(item, "OnCollision", ItemMethodCollision, ItemArgument(other));
}
