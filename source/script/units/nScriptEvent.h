#pragma once

#include "script/units/nScriptedObject.h"

#include <cstdint>

class nScriptObject;
class nScriptUnit;

// The further arguments of one event, pushed after the owner in this order.
struct nScriptEventArguments
{
    enum Kind : uint8_t
    {
        None,
        Bool,
        Float,
        Item,
        ItemContacts,
    };

    Kind kind = None;
    bool flag = false;
    float number = 0.0f;
    void* item = nullptr;
    nScriptObject* contacts = nullptr;
};

// Sends the event to one unit: by name when method is null, else through the cached handle.
void SendScriptEvent(nScriptUnit* unit, const char* name, nScriptObject* method,
                     const nScriptEventArguments& arguments);

// Sends the event through the unit's cached handle of the method (its place in the unit's kind);
// units without it are skipped before any call, and an owner none of whose units has it is not
// walked at all. Unit is the kind of unit the owner creates.
template <typename Unit>
void SendCachedScriptEvent(nScriptedObject* owner, const char* name, uint32_t method,
                           const nScriptEventArguments& arguments = {})
{
    if (!owner->HasCachedMethod(method))
        return;
    nScriptDispatch dispatch(owner);
    while (nScriptUnit* unit = dispatch.Next())
        if (nScriptObject* handle = static_cast<Unit*>(unit)->GetMethod(method))
            SendScriptEvent(unit, name, handle, arguments);
}

nScriptEventArguments BoolEventArgument(bool flag);

// Sends the event by name to every unit of the owner, in list order.
void SendScriptEventByName(nScriptedObject* owner, const char* name,
                           const nScriptEventArguments& arguments = {});
// Instantiates every unit that has no instance yet and sends it the event by name.
void SendScriptSetup(nScriptedObject* owner, const char* name);
