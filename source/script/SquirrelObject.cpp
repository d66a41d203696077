#include "script/SquirrelObject.h"

namespace
{
bool IsKey(SQInteger)
{
    return true;
}

bool IsKey(const SQChar* key)
{
    return key != nullptr;
}

bool IsKey(const SquirrelObject&)
{
    return true;
}

void Push(HSQUIRRELVM vm, SQInteger value)
{
    sq_pushinteger(vm, value);
}

void Push(HSQUIRRELVM vm, SQFloat value)
{
    sq_pushfloat(vm, value);
}

void Push(HSQUIRRELVM vm, bool value)
{
    sq_pushbool(vm, value ? SQTrue : SQFalse);
}

void Push(HSQUIRRELVM vm, const SQChar* value)
{
    sq_pushstring(vm, value, -1);
}

void Push(HSQUIRRELVM vm, const SquirrelObject& value)
{
    sq_pushobject(vm, value.GetObjectHandle());
}

// A raw set: delegates and metamethods are not consulted.
template <typename Key, typename Value>
bool WriteKey(HSQUIRRELVM vm, const HSQOBJECT& object, const Key& key, const Value& value)
{
    if (!vm || !IsKey(key) || !IsKey(value))
        return false;
    const SQInteger top = sq_gettop(vm);
    sq_pushobject(vm, object);
    Push(vm, key);
    Push(vm, value);
    const bool set = SQ_SUCCEEDED(sq_rawset(vm, -3));
    sq_settop(vm, top);
    return set;
}

// Looks the key up with delegation and hands the value, on top of the stack, to read.
template <typename Key, typename Read>
bool ReadKey(HSQUIRRELVM vm, const HSQOBJECT& object, Key key, Read read)
{
    if (!vm || !IsKey(key))
        return false;
    const SQInteger top = sq_gettop(vm);
    sq_pushobject(vm, object);
    Push(vm, key);
    const bool found = SQ_SUCCEEDED(sq_get(vm, -2));
    if (found)
        read();
    sq_settop(vm, top);
    return found;
}

template <typename Key> SquirrelObject ReadObject(HSQUIRRELVM vm, const HSQOBJECT& object, Key key)
{
    SquirrelObject value(vm);
    ReadKey(vm, object, key, [&] { value.AttachToStackObject(-1); });
    return value;
}

template <typename Key> SQFloat ReadFloat(HSQUIRRELVM vm, const HSQOBJECT& object, Key key)
{
    SQFloat number = 0.0f;
    ReadKey(vm, object, key, [&] { sq_getfloat(vm, -1, &number); });
    return number;
}

template <typename Key> SQInteger ReadInt(HSQUIRRELVM vm, const HSQOBJECT& object, Key key)
{
    SQInteger number = 0;
    ReadKey(vm, object, key, [&] { sq_getinteger(vm, -1, &number); });
    return number;
}

template <typename Key> nString ReadString(HSQUIRRELVM vm, const HSQOBJECT& object, Key key)
{
    nString text;
    ReadKey(vm, object, key,
            [&]
            {
                const SQChar* found = nullptr;
                if (SQ_SUCCEEDED(sq_getstring(vm, -1, &found)))
                    text = found;
            });
    return text;
}

template <typename Key> bool ReadBool(HSQUIRRELVM vm, const HSQOBJECT& object, Key key)
{
    SQBool flag = SQFalse;
    ReadKey(vm, object, key, [&] { sq_getbool(vm, -1, &flag); });
    return flag != SQFalse;
}
} // namespace

SquirrelObject::SquirrelObject(HSQUIRRELVM vm) : m_vm(vm)
{
    sq_resetobject(&m_object);
}

SquirrelObject::SquirrelObject(HSQUIRRELVM vm, const HSQOBJECT& object) : m_object(object), m_vm(vm)
{
    sq_addref(m_vm, &m_object);
}

SquirrelObject::SquirrelObject(const SquirrelObject& other) : SquirrelObject(other.m_vm, other.m_object) {}

SquirrelObject::~SquirrelObject()
{
    sq_release(m_vm, &m_object);
}

void SquirrelObject::Store(HSQUIRRELVM vm, const HSQOBJECT& object)
{
    HSQOBJECT taken = object;
    sq_addref(vm, &taken);
    sq_release(m_vm, &m_object);
    m_object = taken;
    m_vm = vm;
}

SquirrelObject& SquirrelObject::operator=(const SquirrelObject& other)
{
    Store(other.m_vm, other.m_object);
    return *this;
}

SquirrelObject& SquirrelObject::operator=(SQInteger value)
{
    HSQOBJECT number;
    number._type = OT_INTEGER;
    number._unVal.raw = 0;
    number._unVal.nInteger = value;
    Store(m_vm, number);
    return *this;
}

bool SquirrelObject::AttachToStackObject(SQInteger index)
{
    HSQOBJECT object;
    if (!m_vm || SQ_FAILED(sq_getstackobj(m_vm, index, &object)))
        return false;
    Store(m_vm, object);
    return true;
}

void SquirrelObject::Reset()
{
    HSQOBJECT null;
    sq_resetobject(&null);
    Store(m_vm, null);
}

SQInteger SquirrelObject::Len() const
{
    if (!m_vm || (m_object._type != OT_ARRAY && m_object._type != OT_TABLE && m_object._type != OT_STRING))
        return 0;
    sq_pushobject(m_vm, m_object);
    const SQInteger size = sq_getsize(m_vm, -1);
    sq_poptop(m_vm);
    return size;
}

bool SquirrelObject::ArrayAppend(const SquirrelObject& value)
{
    if (!m_vm || m_object._type != OT_ARRAY)
        return false;
    const SQInteger top = sq_gettop(m_vm);
    sq_pushobject(m_vm, m_object);
    sq_pushobject(m_vm, value.m_object);
    const bool appended = SQ_SUCCEEDED(sq_arrayappend(m_vm, -2));
    sq_settop(m_vm, top);
    return appended;
}

bool SquirrelObject::SetValue(SQInteger key, const SquirrelObject& value)
{
    return WriteKey(m_vm, m_object, key, value);
}

bool SquirrelObject::SetValue(SQInteger key, SQInteger value)
{
    return WriteKey(m_vm, m_object, key, value);
}

bool SquirrelObject::SetValue(SQInteger key, SQFloat value)
{
    return WriteKey(m_vm, m_object, key, value);
}

bool SquirrelObject::SetValue(SQInteger key, const SQChar* value)
{
    return WriteKey(m_vm, m_object, key, value);
}

bool SquirrelObject::SetValue(SQInteger key, bool value)
{
    return WriteKey(m_vm, m_object, key, value);
}

bool SquirrelObject::SetValue(const SquirrelObject& key, const SquirrelObject& value)
{
    return WriteKey(m_vm, m_object, key, value);
}

bool SquirrelObject::SetValue(const SQChar* key, const SquirrelObject& value)
{
    return WriteKey(m_vm, m_object, key, value);
}

bool SquirrelObject::SetValue(const SQChar* key, SQInteger value)
{
    return WriteKey(m_vm, m_object, key, value);
}

bool SquirrelObject::SetValue(const SQChar* key, SQFloat value)
{
    return WriteKey(m_vm, m_object, key, value);
}

// Without this overload a text value would silently convert to the bool one.
bool SquirrelObject::SetValue(const SQChar* key, const SQChar* value)
{
    return WriteKey(m_vm, m_object, key, value);
}

bool SquirrelObject::SetValue(const SQChar* key, bool value)
{
    return WriteKey(m_vm, m_object, key, value);
}

bool SquirrelObject::Exists(SQInteger key) const
{
    return ReadKey(m_vm, m_object, key, [] {});
}

bool SquirrelObject::Exists(const SQChar* key) const
{
    return ReadKey(m_vm, m_object, key, [] {});
}

SquirrelObject SquirrelObject::GetValue(SQInteger key) const
{
    return ReadObject(m_vm, m_object, key);
}

SquirrelObject SquirrelObject::GetValue(const SQChar* key) const
{
    return ReadObject(m_vm, m_object, key);
}

SQFloat SquirrelObject::GetFloat(SQInteger key) const
{
    return ReadFloat(m_vm, m_object, key);
}

SQFloat SquirrelObject::GetFloat(const SQChar* key) const
{
    return ReadFloat(m_vm, m_object, key);
}

SQInteger SquirrelObject::GetInt(SQInteger key) const
{
    return ReadInt(m_vm, m_object, key);
}

SQInteger SquirrelObject::GetInt(const SQChar* key) const
{
    return ReadInt(m_vm, m_object, key);
}

nString SquirrelObject::GetString(SQInteger key) const
{
    return ReadString(m_vm, m_object, key);
}

nString SquirrelObject::GetString(const SQChar* key) const
{
    return ReadString(m_vm, m_object, key);
}

bool SquirrelObject::GetBool(SQInteger key) const
{
    return ReadBool(m_vm, m_object, key);
}

bool SquirrelObject::GetBool(const SQChar* key) const
{
    return ReadBool(m_vm, m_object, key);
}

SQUserPointer SquirrelObject::GetUserPointer(SQUserPointer typeTag) const
{
    if (!m_vm || m_object._type != OT_INSTANCE)
        return nullptr;
    sq_pushobject(m_vm, m_object);
    SQUserPointer pointer = nullptr;
    if (SQ_FAILED(sq_getinstanceup(m_vm, -1, &pointer, typeTag)))
        pointer = nullptr;
    sq_poptop(m_vm);
    return pointer;
}

bool SquirrelObject::SetUserPointer(SQUserPointer pointer)
{
    if (!m_vm || m_object._type != OT_INSTANCE)
        return false;
    sq_pushobject(m_vm, m_object);
    const bool set = SQ_SUCCEEDED(sq_setinstanceup(m_vm, -1, pointer));
    sq_poptop(m_vm);
    return set;
}

SquirrelObject SquirrelObject::GetAttributes(const SQChar* member) const
{
    SquirrelObject attributes(m_vm);
    if (!m_vm || m_object._type != OT_CLASS)
        return attributes;
    const SQInteger top = sq_gettop(m_vm);
    sq_pushobject(m_vm, m_object);
    if (member)
        sq_pushstring(m_vm, member, -1);
    else
        sq_pushnull(m_vm);
    if (SQ_SUCCEEDED(sq_getattributes(m_vm, -2)))
        attributes.AttachToStackObject(-1);
    sq_settop(m_vm, top);
    return attributes;
}

SquirrelObject SquirrelObject::GetDelegate() const
{
    SquirrelObject delegate(m_vm);
    if (!m_vm || (m_object._type != OT_TABLE && m_object._type != OT_USERDATA))
        return delegate;
    const SQInteger top = sq_gettop(m_vm);
    sq_pushobject(m_vm, m_object);
    if (SQ_SUCCEEDED(sq_getdelegate(m_vm, -1)))
        delegate.AttachToStackObject(-1);
    sq_settop(m_vm, top);
    return delegate;
}

bool SquirrelObject::SetDelegate(const SquirrelObject& table)
{
    if (!m_vm || (m_object._type != OT_TABLE && m_object._type != OT_USERDATA))
        return false;
    if (table.GetType() != OT_TABLE && table.GetType() != OT_NULL)
        return false;
    const SQInteger top = sq_gettop(m_vm);
    sq_pushobject(m_vm, m_object);
    sq_pushobject(m_vm, table.m_object);
    const bool set = SQ_SUCCEEDED(sq_setdelegate(m_vm, -2));
    sq_settop(m_vm, top);
    return set;
}

bool SquirrelObject::BeginIterate() const
{
    if (!m_vm || (m_object._type != OT_TABLE && m_object._type != OT_ARRAY && m_object._type != OT_CLASS))
        return false;
    sq_pushobject(m_vm, m_object);
    sq_pushnull(m_vm);
    return true;
}

void SquirrelObject::EndIterate() const
{
    if (m_vm)
        sq_pop(m_vm, 2);
}

const SQChar* SquirrelObject::ToString() const
{
    return sq_objtostring(&m_object);
}

SQInteger SquirrelObject::ToInteger() const
{
    return sq_objtointeger(&m_object);
}

SQFloat SquirrelObject::ToFloat() const
{
    return sq_objtofloat(&m_object);
}

bool SquirrelObject::ToBool() const
{
    return sq_objtobool(&m_object) != SQFalse;
}

SquirrelObject SquirrelObject::ToStringObject() const
{
    SquirrelObject text(m_vm);
    if (!m_vm || (m_object._type != OT_TABLE && m_object._type != OT_ARRAY))
        return text;
    const SQInteger top = sq_gettop(m_vm);
    sq_pushobject(m_vm, m_object);
    if (SQ_SUCCEEDED(sq_tostring(m_vm, -1)))
        text.AttachToStackObject(-1);
    sq_settop(m_vm, top);
    return text;
}
