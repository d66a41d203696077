#pragma once

#include <cstdint>

class nScriptedObject;
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
void SendScriptEvent(nScriptUnit* unit, const char* name, nScriptObject* method, const nScriptEventArguments& arguments);

// Sends the event by name to every unit of the owner, in list order.
void SendScriptEventByName(nScriptedObject* owner, const char* name, const nScriptEventArguments& arguments = {});
// Instantiates every unit that has no instance yet and sends it the event by name.
void SendScriptSetup(nScriptedObject* owner, const char* name);
