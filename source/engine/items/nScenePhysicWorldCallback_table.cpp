#include "engine/items/nScenePhysicWorldCallback.h"

#include "engine/scene/nScene.h"
#include "physics/nPhysicContact.h"
#include "script/classes/ScriptVector.h"
#include "script/nScriptValue.h"
#include "script/nSquirrelObject.h"
#include "script/nSquirrelVM.h"

#include <algorithm>
#include <new>

namespace
{
nScriptObject* NewVector(nSquirrelVM& machine, const nVector& value)
{
    HSQUIRRELVM vm = machine.GetHandle();
    if (!PushVector(vm, value))
        return nullptr;
    HSQOBJECT object;
    sq_resetobject(&object);
    sq_getstackobj(vm, -1, &object);
    nScriptObject* handle = new (std::nothrow) nSquirrelObject(&machine, object);
    sq_poptop(vm);
    return handle;
}

// An array of "Vector" objects, one per point; null when the machine cannot make one.
nScriptObject* NewVectorArray(nSquirrelVM& machine, const nVector* vectors, int32_t count)
{
    nScriptObject* array = machine.NewArray();
    if (!array)
        return nullptr;
    for (int32_t index = 0; index < count; ++index)
    {
        nScriptValue element(NewVector(machine, vectors[index]), true);
        if (!element.GetScriptObject() || !machine.ArrayAppend(element, array))
        {
            delete array;
            return nullptr;
        }
    }
    return array;
}
} // namespace

nScriptObject* nScenePhysicWorldCallback::NewContactTable(const nPhysicContact& contact)
{
    auto* machine = dynamic_cast<nSquirrelVM*>(m_scene->GetVM());
    if (!machine)
        return nullptr;
    nScriptObject* table = machine->NewTable();
    if (!table)
        return nullptr;
    const int32_t count = std::clamp(contact.pointCount, 0, nPhysicContact::MaxPoints);
    const nScriptValue countValue(count);
    const nScriptValue positions(NewVectorArray(*machine, contact.positions, count), true);
    const nScriptValue normals(NewVectorArray(*machine, contact.normals, count), true);
    if (!positions.GetScriptObject() || !normals.GetScriptObject() || !machine->SetSlot("count", countValue, table) ||
        !machine->SetSlot("p", positions, table) || !machine->SetSlot("n", normals, table))
    {
        delete table;
        return nullptr;
    }
    return table;
}
