#include "script/units/nScriptEvent.h"

#include "script/nObjectType.h"
#include "script/nScriptValue.h"
#include "script/units/nScriptUnit.h"
#include "script/units/nScriptedObject.h"

void SendScriptEvent(nScriptUnit* unit, const char* name, nScriptObject* method, const nScriptEventArguments& arguments)
{
    if (!unit->BeginCall(name, method))
        return;
    switch (arguments.kind)
    {
    case nScriptEventArguments::None:
        break;
    case nScriptEventArguments::Bool:
        unit->PushArgument(nScriptValue(arguments.flag));
        break;
    case nScriptEventArguments::Float:
        unit->PushArgument(nScriptValue(arguments.number));
        break;
    case nScriptEventArguments::Item:
        unit->PushArgument(nScriptValue(ObjectTypeItem, arguments.item));
        break;
    case nScriptEventArguments::ItemContacts:
        unit->PushArgument(nScriptValue(ObjectTypeItem, arguments.item));
        unit->PushArgument(nScriptValue(arguments.contacts, false));
        unit->PushArgument(nScriptValue(true));
        break;
    }
    unit->EndCall(nullptr);
}

void SendScriptEventByName(nScriptedObject* owner, const char* name, const nScriptEventArguments& arguments)
{
    nScriptDispatch dispatch(owner);
    while (nScriptUnit* unit = dispatch.Next())
        SendScriptEvent(unit, name, nullptr, arguments);
}

void SendScriptSetup(nScriptedObject* owner, const char* name)
{
    nScriptDispatch dispatch(owner);
    while (nScriptUnit* unit = dispatch.Next())
        if (!unit->GetInstance() && unit->Instantiate() && dispatch.IsCurrent())
            SendScriptEvent(unit, name, nullptr, {});
}

nScriptEventArguments BoolEventArgument(bool flag)
{
    nScriptEventArguments arguments;
    arguments.kind = nScriptEventArguments::Bool;
    arguments.flag = flag;
    return arguments;
}
