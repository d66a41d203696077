#include "script/binding/nScriptRegistrar.h"

#include "platform/nstring/nString.h"
#include "script/classes/ScriptMatrix.h"
#include "script/classes/ScriptUV.h"
#include "script/classes/ScriptVector.h"
#include "script/nCObject.h"
#include "script/nObjectType.h"
#include "script/nSquirrelVM.h"

namespace
{
SQInteger TypeOfGeometryTemplate(HSQUIRRELVM vm)
{
    sq_pushstring(vm, "GeometryTemplate", -1);
    return 1;
}

const nScriptClassMethod GeometryTemplateMethods[] = {
    {"_SCypeof", TypeOfGeometryTemplate, 1, nullptr},
    {nullptr, nullptr, 0, nullptr},
};

// Expects the class on top of the stack.
bool AddMethod(HSQUIRRELVM vm, const char* slotName, const nScriptClassMethod& method)
{
    sq_pushstring(vm, slotName, -1);
    sq_newclosure(vm, method.function, 0);
    return SQ_SUCCEEDED(sq_setparamscheck(vm, method.parameterCount, method.typeMask)) &&
           SQ_SUCCEEDED(sq_setnativeclosurename(vm, -1, method.name)) &&
           SQ_SUCCEEDED(sq_newslot(vm, -3, SQFalse));
}
// Leaves the class of the descriptor's name on the stack when the root table (at -1) holds it.
bool PushDeclaredClass(HSQUIRRELVM vm, const nScriptClassDescriptor& descriptor)
{
    sq_pushstring(vm, descriptor.name, -1);
    SQUserPointer tag = nullptr;
    if (SQ_SUCCEEDED(sq_rawget(vm, -2)))
    {
        if (sq_gettype(vm, -1) == OT_CLASS && SQ_SUCCEEDED(sq_gettypetag(vm, -1, &tag)) && tag == &descriptor)
            return true;
        sq_pop(vm, 1);
    }
    return false;
}
} // namespace

const nScriptClassDescriptor GeometryTemplateClass = {"GeometryTemplate", nullptr, GeometryTemplateMethods};

void RegisterNative(HSQUIRRELVM vm, SQFUNCTION function, const char* name, const char* typeMask)
{
    sq_pushroottable(vm);
    sq_pushstring(vm, name, -1);
    sq_newclosure(vm, function, 0);
    sq_setnativeclosurename(vm, -1, name);
    sq_setparamscheck(vm, SQ_MATCHTYPEMASKSTRING, typeMask);
    sq_newslot(vm, -3, SQFalse);
    sq_pop(vm, 1);
}

bool DeclareScriptClass(HSQUIRRELVM vm, const nScriptClassDescriptor& descriptor)
{
    const SQInteger top = sq_gettop(vm);
    sq_pushroottable(vm);
    if (PushDeclaredClass(vm, descriptor))
    {
        sq_settop(vm, top);
        return true;
    }
    sq_pushstring(vm, descriptor.name, -1);
    if (descriptor.baseName)
    {
        sq_pushstring(vm, descriptor.baseName, -1);
        if (SQ_FAILED(sq_get(vm, -3)))
        {
            sq_settop(vm, top);
            return false;
        }
    }
    bool declared = SQ_SUCCEEDED(sq_newclass(vm, descriptor.baseName ? SQTrue : SQFalse)) &&
                    SQ_SUCCEEDED(sq_settypetag(vm, -1, const_cast<nScriptClassDescriptor*>(&descriptor)));
    for (const nScriptClassMethod* method = descriptor.methods; declared && method->name; ++method)
    {
        declared = AddMethod(vm, method->name, *method);
        if (declared && method == descriptor.methods)
            declared = AddMethod(vm, "_typeof", *method);
    }
    declared = declared && SQ_SUCCEEDED(sq_newslot(vm, -3, SQFalse));
    sq_settop(vm, top);
    return declared;
}

bool AddScriptClassMethods(HSQUIRRELVM vm, const nScriptClassDescriptor& descriptor,
                           const nScriptClassMethod* methods)
{
    const SQInteger top = sq_gettop(vm);
    sq_pushroottable(vm);
    bool added = PushDeclaredClass(vm, descriptor);
    for (const nScriptClassMethod* method = methods; added && method->name; ++method)
        added = AddMethod(vm, method->name, *method);
    sq_settop(vm, top);
    return added;
}

bool DeclareScriptClasses(HSQUIRRELVM vm)
{
    const nScriptClassDescriptor* const classes[] = {&nCObject::GetClassDescriptor(), &GeometryTemplateClass,
                                                     &Matrix3Class, &Matrix4Class, &VectorClass, &UVClass};
    bool declared = true;
    for (const nScriptClassDescriptor* descriptor : classes)
        declared = DeclareScriptClass(vm, *descriptor) && declared;
    return declared;
}

bool PushClassInstance(HSQUIRRELVM vm, const char* className, SQUserPointer native, SQRELEASEHOOK releaseHook)
{
    const SQInteger top = sq_gettop(vm);
    sq_pushroottable(vm);
    sq_pushstring(vm, className, -1);
    if (SQ_FAILED(sq_rawget(vm, -2)) || sq_gettype(vm, -1) != OT_CLASS || SQ_FAILED(sq_createinstance(vm, -1)))
    {
        sq_settop(vm, top);
        return false;
    }
    sq_setinstanceup(vm, -1, native);
    sq_setreleasehook(vm, -1, releaseHook);
    sq_remove(vm, -2);
    sq_remove(vm, -2);
    return true;
}

bool InstantiateScriptClass(HSQUIRRELVM vm, const char* className, bool callConstructor)
{
    const SQInteger top = sq_gettop(vm);
    sq_pushroottable(vm);
    sq_pushstring(vm, className, -1);
    if (SQ_FAILED(sq_get(vm, -2)) || sq_gettype(vm, -1) != OT_CLASS)
    {
        sq_settop(vm, top);
        return BindingError(vm, nString::Format("Class '%s' is not declared.", className).GetText());
    }
    bool created;
    if (callConstructor)
    {
        sq_pushroottable(vm);
        created = SQ_SUCCEEDED(sq_call(vm, 1, SQTrue, SQFalse)) && sq_gettype(vm, -1) == OT_INSTANCE;
    }
    else
    {
        created = SQ_SUCCEEDED(sq_createinstance(vm, -1));
    }
    if (!created)
    {
        sq_settop(vm, top);
        return BindingError(vm, nString::Format("Failed to instantiate class '%s'.", className).GetText());
    }
    sq_remove(vm, -2);
    sq_remove(vm, -2);
    return true;
}

bool BindingError(HSQUIRRELVM vm, const char* text)
{
    nSquirrelVM::PrintCallStack(vm, nString::Format("Binding error: %s", text).GetText(), nullptr);
    return false;
}

namespace
{
nCObject* GetRecord(HSQUIRRELVM vm, SQInteger index)
{
    SQUserPointer record = nullptr;
    if (SQ_FAILED(sq_getinstanceup(vm, index, &record, nCObject::GetClassTag(), SQTrue)))
        return nullptr;
    return static_cast<nCObject*>(record);
}
} // namespace

bool GetCObject(HSQUIRRELVM vm, SQInteger index, void*& object, int32_t expectedType)
{
    const nCObject* record = GetRecord(vm, index);
    if (!record)
        return false;
    if (expectedType != 0 && record->GetType() != expectedType)
    {
        const nString expected = GetObjectTypeDescription(expectedType);
        const nString actual = GetObjectTypeDescription(record->GetType());
        sq_throwerror(vm, nString::Format("Expected '%s' got '%s'", expected.GetText(), actual.GetText()).GetText());
        return false;
    }
    object = record->GetObject();
    return true;
}

bool GetCObjectType(HSQUIRRELVM vm, SQInteger index, int32_t& type)
{
    const nCObject* record = GetRecord(vm, index);
    if (!record)
        return false;
    type = record->GetType();
    return true;
}

SQUserPointer GetClassInstanceValue(HSQUIRRELVM vm, SQInteger index, const nScriptClassDescriptor& descriptor)
{
    SQUserPointer value = nullptr;
    if (SQ_FAILED(sq_getinstanceup(vm, index, &value, const_cast<nScriptClassDescriptor*>(&descriptor), SQFalse)))
        return nullptr;
    return value;
}

bool IsClassInstance(HSQUIRRELVM vm, SQInteger index, const nScriptClassDescriptor& descriptor)
{
    SQUserPointer value = nullptr;
    return SQ_SUCCEEDED(sq_getinstanceup(vm, index, &value, const_cast<nScriptClassDescriptor*>(&descriptor), SQFalse));
}
