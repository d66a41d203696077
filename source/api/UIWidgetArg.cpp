#include "api/UIApiGroups.h"

#include "script/binding/nScriptRegistrar.h"
#include "script/nObjectType.h"
#include "ui/nWidget.h"

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
