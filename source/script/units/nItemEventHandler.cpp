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
    SendCachedScriptEvent(item, "OnActivate", &nManagerScriptUnit::GetOnActivate, BoolEventArgument(enabled));
}

void nItemEventHandler::OnPhysicStep(nScriptedObject* item, bool step)
{
    SendCachedScriptEvent(item, "OnPhysicStep", &nManagerScriptUnit::GetOnPhysicStep, BoolEventArgument(step));
}

void nItemEventHandler::OnPhysicSleepStep(nScriptedObject* item)
{
    SendCachedScriptEvent(item, "OnPhysicSleepStep", &nManagerScriptUnit::GetOnPhysicSleepStep);
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
    SendCachedScriptEvent(item, "OnUpdate", &nManagerScriptUnit::GetOnUpdate);
}

void nItemEventHandler::OnLogicUpdate(nScriptedObject* item, float seconds)
{
    nScriptEventArguments arguments;
    arguments.kind = nScriptEventArguments::Float;
    arguments.number = seconds;
    SendCachedScriptEvent(item, "OnLogicUpdate", &nManagerScriptUnit::GetOnLogicUpdate, arguments);
}

void nItemEventHandler::OnDelete(nScriptedObject* item)
{
    SendScriptEventByName(item, "OnDelete");
}

void nItemEventHandler::OnRenderDone(nScriptedObject* item)
{
    SendCachedScriptEvent(item, "OnRenderDone", &nManagerScriptUnit::GetOnRenderDone);
}

void nItemEventHandler::OnCollisionEx(nScriptedObject* item, void* other, const void*, nScriptObject* contactTable)
{
    nScriptEventArguments arguments;
    arguments.kind = nScriptEventArguments::ItemContacts;
    arguments.item = other;
    arguments.contacts = contactTable;
    SendCachedScriptEvent(item, "OnCollisionEx", &nManagerScriptUnit::GetOnCollisionEx, arguments);
}

void nItemEventHandler::OnCollision(nScriptedObject* item, void* other, const void*)
{
    SendCachedScriptEvent(item, "OnCollision", &nManagerScriptUnit::GetOnCollision, ItemArgument(other));
}
