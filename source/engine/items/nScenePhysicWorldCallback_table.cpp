#include "engine/items/nScenePhysicWorldCallback.h"

#include "engine/scene/nScene.h"
#include "physics/nPhysicContact.h"
#include "script/nScriptObject.h"
#include "script/nScriptVM.h"
#include "script/nScriptValue.h"

#include <algorithm>

namespace
{
// A new "Vector" object, made as a script would make one, or null.
nScriptObject* NewVector(nScriptVM& machine, const nVector& value)
{
    nScriptValue result;
    if (!machine.BeginCall("Vector", nullptr, nullptr) || !machine.PushArgument(nScriptValue(value.x)) ||
        !machine.PushArgument(nScriptValue(value.y)) || !machine.PushArgument(nScriptValue(value.z)) ||
        !machine.EndCall(&result) || result.GetKind() != ScriptValueObject || !result.OwnsObject())
        return nullptr;
    return result.TakeObject();
}

// An array of "Vector" objects, one per point; null when the machine cannot make one.
nScriptObject* NewVectorArray(nScriptVM& machine, const nVector* vectors, int32_t count)
{
    nScriptObject* array = machine.NewArray();
    if (!array)
        return nullptr;
    for (int32_t index = 0; index < count; ++index)
    {
        const nScriptValue element(NewVector(machine, vectors[index]), true);
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
    nScriptVM* machine = m_scene->GetVM();
    nScriptObject* table = machine ? machine->NewTable() : nullptr;
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
