#include "api/UIApiGroups.h"

#include "core/base/nLog.h"
#include "script/binding/ScriptArgs.h"
#include "script/binding/nScriptRegistrar.h"
#include "script/nObjectType.h"
#include "script/nSquirrelObject.h"
#include "script/nSquirrelVM.h"
#include "ui/nEventTable.h"
#include "ui/nWidget.h"

#include <memory>
#include <new>

nWidget* GetWidgetArg(HSQUIRRELVM vm, SQInteger index)
{
    int32_t type = ObjectTypeUndefined;
    void* object = nullptr;
    if (!GetCObjectType(vm, index, type) || !GetCObject(vm, index, object, 0))
        return nullptr;
    if (type < ObjectTypeWidget || type > ObjectTypeCheckWidget)
    {
        sq_throwerror(vm, "Object is not a widget");
        return nullptr;
    }
    if (!object)
    {
        sq_throwerror(vm, "Widget is null");
        return nullptr;
    }
    return static_cast<nWidget*>(object);
}

namespace
{
// A handle of the host on the value at the index, or null after an "[!]" line.
nScriptObject* HoldValue(HSQUIRRELVM vm, SQInteger index)
{
    auto* machine = static_cast<nSquirrelVM*>(sq_getforeignptr(vm));
    HSQOBJECT value;
    sq_resetobject(&value);
    if (!machine || SQ_FAILED(sq_getstackobj(vm, index, &value)))
    {
        nLogHolder::Get() << "[!] An event handler can only be kept by the engine's script machine.\n";
        return nullptr;
    }
    auto* held = new (std::nothrow) nSquirrelObject(machine, value);
    if (!held)
        nLogHolder::Get() << "[!] Failed to allocate new event handler.\n";
    return held;
}
} // namespace

bool SetEventHandlerArgs(HSQUIRRELVM vm, nEventTable& table, SQInteger eventIndex, SQInteger contextIndex,
                         SQInteger closureIndex)
{
    const int32_t event = ScriptArgs(vm).GetInt(int32_t(eventIndex));
    std::unique_ptr<nScriptObject> handler(HoldValue(vm, closureIndex));
    if (!handler)
        return false;
    std::unique_ptr<nScriptObject> context;
    if (contextIndex != 0 && sq_gettype(vm, contextIndex) != OT_NULL)
    {
        context.reset(HoldValue(vm, contextIndex));
        if (!context)
            return false;
    }
    // The table takes both handles, even when it fails.
    return table.SetEventHandler(event, handler.release(), context.release());
}
