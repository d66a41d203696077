#include "script/nSquirrelVM.h"

#include "core/base/nLog.h"
#include "platform/nPlatform.h"
#include "script/nCObject.h"
#include "script/nObjectType.h"
#include "script/nScriptValue.h"
#include "script/nSquirrelObject.h"

// Every operation here restores the stack top it found, whatever path it leaves by; only a
// prepared call keeps its function and arguments on the stack until EndCall.

namespace
{
// A handle of another machine, or one whose machine was closed, names nothing in this one.
const HSQOBJECT* FindObject(const nScriptVM* machine, nScriptObject* object)
{
    if (!object || object->GetMachine() != machine)
        return nullptr;
    const nSquirrelObject* held = static_cast<nSquirrelObject*>(object);
    return held->IsAttached() ? &held->GetHandle() : nullptr;
}
const nCObject* HandleAt(HSQUIRRELVM vm, SQInteger index)
{
    SQUserPointer pointer = nullptr;
    if (sq_gettype(vm, index) != OT_INSTANCE ||
        SQ_FAILED(sq_getinstanceup(vm, index, &pointer, nCObject::GetClassTag())))
        return nullptr;
    return static_cast<const nCObject*>(pointer);
}

bool IsDeadHandle(HSQUIRRELVM vm, SQInteger index)
{
    const nCObject* handle = HandleAt(vm, index);
    return handle && handle->GetType() == ObjectTypeDeletedNative;
}
} // namespace

bool nSquirrelVM::PushParent(nScriptObject* parent)
{
    if (!parent)
    {
        sq_pushroottable(m_vm);
        return true;
    }
    const HSQOBJECT* object = FindObject(this, parent);
    if (!object)
    {
        nLogHolder::Get() << "[!] The script object does not belong to this script machine.\n";
        return false;
    }
    sq_pushobject(m_vm, *object);
    return true;
}

bool nSquirrelVM::PushValue(const nScriptValue& value)
{
    switch (value.GetKind())
    {
    case ScriptValuePlain:
    {
        const nVariant& plain = value.GetValue();
        switch (plain.GetType())
        {
        case TagTypeReal:
        {
            float number = 0.0f;
            plain.GetFloat(number);
            sq_pushfloat(m_vm, number);
            return true;
        }
        case TagTypeBool:
        {
            bool flag = false;
            plain.GetBool(flag);
            sq_pushbool(m_vm, flag ? SQTrue : SQFalse);
            return true;
        }
        case TagTypeInteger:
        {
            int32_t number = 0;
            plain.GetInt(number);
            sq_pushinteger(m_vm, number);
            return true;
        }
        case TagTypeString:
        {
            nString text;
            plain.GetString(text);
            sq_pushstring(m_vm, text.GetText() ? text.GetText() : "",
                          static_cast<SQInteger>(text.GetLength()));
            return true;
        }
        default:
            break;
        }
        break;
    }
    case ScriptValueObject:
        if (const HSQOBJECT* object = FindObject(this, value.GetScriptObject()))
        {
            sq_pushobject(m_vm, *object);
            return true;
        }
        break;
    case ScriptValueNative:
        return PushCObject(m_vm, value.GetNativeObject(), value.GetNativeType());
    default:
        break;
    }
    nLogHolder::Get() << "[!] The value has no script form.\n";
    return false;
}

void nSquirrelVM::ReadValue(SQInteger index, nScriptValue& out)
{
    switch (sq_gettype(m_vm, index))
    {
    case OT_FLOAT:
    {
        SQFloat number = 0.0f;
        sq_getfloat(m_vm, index, &number);
        out.SetFloat(number);
        break;
    }
    case OT_BOOL:
    {
        SQBool flag = SQFalse;
        sq_getbool(m_vm, index, &flag);
        out.SetBool(flag != SQFalse);
        break;
    }
    case OT_INTEGER:
    {
        SQInteger number = 0;
        sq_getinteger(m_vm, index, &number);
        out.SetInt(static_cast<int32_t>(number));
        break;
    }
    case OT_STRING:
    {
        const SQChar* text = "";
        sq_getstring(m_vm, index, &text);
        out.SetString(text);
        break;
    }
    default:
    {
        HSQOBJECT object;
        sq_getstackobj(m_vm, index, &object);
        out.SetObject(new nSquirrelObject(this, object), true);
        break;
    }
    }
}

nScriptObject* nSquirrelVM::WrapTop()
{
    HSQOBJECT object;
    sq_getstackobj(m_vm, -1, &object);
    return new nSquirrelObject(this, object);
}

nScriptObject* nSquirrelVM::GetObject(const char* name, nScriptObject* parent)
{
    if (!IsOpen() || !name)
        return nullptr;
    RunScope scope(*this);
    const SQInteger top = sq_gettop(m_vm);
    nScriptObject* result = nullptr;
    if (PushParent(parent))
    {
        sq_pushstring(m_vm, name, -1);
        if (SQ_SUCCEEDED(sq_get(m_vm, -2)))
            result = WrapTop();
    }
    sq_settop(m_vm, top);
    return result;
}

bool nSquirrelVM::RunFile(const nString& path, bool)
{
    if (!IsOpen())
    {
        nLogHolder::Get() << "[!] Cannot run '" << path << "': the script machine is not open.\n";
        return false;
    }
    nAutoArray<uint8_t> text(MemCategoryGeneral);
    if (!nPlatform::Get().GetIOSystem().LoadFile(path, text))
        return false;
    RunScope scope(*this);
    const SQInteger top = sq_gettop(m_vm);
    const char* source = text.GetCount() ? reinterpret_cast<const char*>(text.GetData()) : "";
    if (m_compiledScripts.Push(m_vm, path.GetText() ? path.GetText() : "", source, text.GetCount()))
    {
        sq_pushroottable(m_vm);
        ++m_fileNesting;
        sq_call(m_vm, 1, SQFalse, SQTrue);
        --m_fileNesting;
    }
    if (m_vm)
        sq_settop(m_vm, top);
    DestroyReleasedObjectsAtOutermostEnd();
    return true;
}

nScriptObject* nSquirrelVM::NewTable()
{
    if (!IsOpen())
        return nullptr;
    sq_newtable(m_vm);
    nScriptObject* table = WrapTop();
    sq_poptop(m_vm);
    return table;
}

nScriptObject* nSquirrelVM::NewArray()
{
    if (!IsOpen())
        return nullptr;
    sq_newarray(m_vm, 0);
    nScriptObject* array = WrapTop();
    sq_poptop(m_vm);
    return array;
}

// Tables and classes gain missing slots; an instance keeps the members its class declared, so a
// name it lacks is left unwritten.
bool nSquirrelVM::SetSlot(const char* name, const nScriptValue& value, nScriptObject* parent)
{
    if (!IsOpen() || !name)
        return false;
    RunScope scope(*this);
    const SQInteger top = sq_gettop(m_vm);
    if (!PushParent(parent))
        return false;
    const SQObjectType type = sq_gettype(m_vm, -1);
    sq_pushstring(m_vm, name, -1);
    const bool pushed = PushValue(value);
    if (pushed)
    {
        if (type == OT_TABLE || type == OT_CLASS)
            sq_newslot(m_vm, -3, SQFalse);
        else
            sq_set(m_vm, -3);
    }
    sq_settop(m_vm, top);
    return pushed;
}

bool nSquirrelVM::GetSlot(const char* name, nScriptValue& out, nScriptObject* parent)
{
    if (!IsOpen() || !name)
        return false;
    RunScope scope(*this);
    const SQInteger top = sq_gettop(m_vm);
    bool found = false;
    if (PushParent(parent))
    {
        sq_pushstring(m_vm, name, -1);
        found = SQ_SUCCEEDED(sq_get(m_vm, -2));
        if (found)
            ReadValue(-1, out);
    }
    sq_settop(m_vm, top);
    return found;
}

void nSquirrelVM::ClearDeadNativeGlobal(const char* name, nScriptObject* replacement)
{
    if (!IsOpen() || !name)
        return;
    const SQInteger top = sq_gettop(m_vm);
    sq_pushroottable(m_vm);
    sq_pushstring(m_vm, name, -1);
    if (SQ_SUCCEEDED(sq_get(m_vm, -2)) && IsDeadHandle(m_vm, -1))
    {
        sq_poptop(m_vm);
        sq_pushstring(m_vm, name, -1);
        const HSQOBJECT* previous = FindObject(this, replacement);
        if (previous)
            sq_pushobject(m_vm, *previous);
        if (!previous || IsDeadHandle(m_vm, -1))
        {
            if (previous)
                sq_poptop(m_vm);
            sq_pushnull(m_vm);
        }
        sq_set(m_vm, -3);
    }
    sq_settop(m_vm, top);
}

int32_t nSquirrelVM::GetNativeGlobal(const char* name, const void*& object)
{
    object = nullptr;
    if (!IsOpen() || !name)
        return ObjectTypeUndefined;
    const SQInteger top = sq_gettop(m_vm);
    sq_pushroottable(m_vm);
    sq_pushstring(m_vm, name, -1);
    const nCObject* handle = SQ_SUCCEEDED(sq_get(m_vm, -2)) ? HandleAt(m_vm, -1) : nullptr;
    sq_settop(m_vm, top);
    if (!handle)
        return ObjectTypeUndefined;
    object = handle->GetObject();
    return handle->GetType();
}

bool nSquirrelVM::ArrayAppend(const nScriptValue& value, nScriptObject* array)
{
    if (!IsOpen())
        return false;
    const SQInteger top = sq_gettop(m_vm);
    bool appended = false;
    if (PushParent(array))
    {
        if (sq_gettype(m_vm, -1) != OT_ARRAY)
            nLogHolder::Get() << "[!] Cannot append to a script object that is not an array.\n";
        else if (PushValue(value))
            appended = SQ_SUCCEEDED(sq_arrayappend(m_vm, -2));
    }
    sq_settop(m_vm, top);
    return appended;
}

bool nSquirrelVM::BeginCall(const char* name, nScriptObject* function, nScriptObject* self)
{
    if (!IsOpen() || GetState() != ScriptVMRunning)
        return false;
    AbandonCall();
    const SQInteger top = sq_gettop(m_vm);
    if (function)
    {
        const HSQOBJECT* callee = FindObject(this, function);
        if (!callee)
            return false;
        sq_pushobject(m_vm, *callee);
    }
    else
    {
        if (!name || !PushParent(self))
            return false;
        sq_pushstring(m_vm, name, -1);
        if (SQ_FAILED(sq_get(m_vm, -2)))
        {
            sq_settop(m_vm, top);
            return false;
        }
        sq_remove(m_vm, -2);
    }
    if (!PushParent(self))
    {
        sq_settop(m_vm, top);
        return false;
    }
    m_callBase = top;
    m_callLentBase = m_argumentHandles.GetLentCount();
    m_argumentCount = 1;
    m_callPending = true;
    return true;
}

// A value without a script form still takes its argument's place, as null, so the script
// function sees its parameters where it expects them.
bool nSquirrelVM::PushArgument(const nScriptValue& value)
{
    if (!m_callPending || !IsOpen())
        return false;
    ++m_argumentCount;
    const bool pushed = value.GetKind() == ScriptValueNative
                            ? m_argumentHandles.Push(m_vm, value.GetNativeObject(), value.GetNativeType())
                            : PushValue(value);
    if (pushed)
        return true;
    sq_pushnull(m_vm);
    return false;
}

bool nSquirrelVM::EndCall(nScriptValue* out)
{
    if (!m_callPending)
        return false;
    if (!IsOpen() || GetState() != ScriptVMRunning)
    {
        AbandonCall();
        return false;
    }
    RunScope scope(*this);
    const SQInteger base = m_callBase;
    const size_t lentBase = m_callLentBase;
    m_callPending = false;
    const bool called = SQ_SUCCEEDED(sq_call(m_vm, m_argumentCount, SQTrue, SQTrue));
    if (called && out)
        ReadValue(-1, *out);
    if (m_vm)
    {
        sq_settop(m_vm, base);
        m_argumentHandles.TakeBack(m_vm, lentBase);
    }
    DestroyReleasedObjectsAtOutermostEnd();
    return called;
}

// A nested call (an event sent from a native) ends inside the outer call's native, which may still
// walk the objects a script released: only the outermost end destroys them.
void nSquirrelVM::DestroyReleasedObjectsAtOutermostEnd()
{
    if (m_runDepth == 1)
        nCObject::DestroyReleasedObjects();
}

void nSquirrelVM::AbandonCall()
{
    if (!m_callPending)
        return;
    m_callPending = false;
    if (!m_vm)
        return;
    sq_settop(m_vm, m_callBase);
    m_argumentHandles.TakeBack(m_vm, m_callLentBase);
}
