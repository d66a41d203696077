#pragma once

#include "platform/nstring/nString.h"
#include "squirrel/squirrel.h"

// A value-type holder of one reference on a Squirrel object, for natives that work on the
// machine handle directly. Storing a new object takes its reference before the old one is
// released, so assigning a holder to itself is safe. Keyed reads and writes restore the stack top
// they found.
class SquirrelObject
{
public:
    explicit SquirrelObject(HSQUIRRELVM vm = nullptr);
    SquirrelObject(HSQUIRRELVM vm, const HSQOBJECT& object);
    SquirrelObject(const SquirrelObject& other);
    virtual ~SquirrelObject();

    SquirrelObject& operator=(const SquirrelObject& other);
    SquirrelObject& operator=(SQInteger value);

    bool AttachToStackObject(SQInteger index);
    void Reset();

    HSQUIRRELVM GetVM() const { return m_vm; }
    const HSQOBJECT& GetObjectHandle() const { return m_object; }
    SQObjectType GetType() const { return m_object._type; }
    bool IsNull() const { return m_object._type == OT_NULL; }
    bool IsNumeric() const { return (m_object._type & SQOBJECT_NUMERIC) != 0; }
    SQInteger Len() const;

    bool ArrayAppend(const SquirrelObject& value);

    bool SetValue(SQInteger key, const SquirrelObject& value);
    bool SetValue(SQInteger key, SQInteger value);
    bool SetValue(SQInteger key, SQFloat value);
    bool SetValue(SQInteger key, const SQChar* value);
    bool SetValue(SQInteger key, bool value);
    bool SetValue(const SquirrelObject& key, const SquirrelObject& value);
    bool SetValue(const SQChar* key, const SquirrelObject& value);
    bool SetValue(const SQChar* key, SQInteger value);
    bool SetValue(const SQChar* key, SQFloat value);
    bool SetValue(const SQChar* key, const SQChar* value);
    bool SetValue(const SQChar* key, bool value);

    bool Exists(SQInteger key) const;
    bool Exists(const SQChar* key) const;
    SquirrelObject GetValue(SQInteger key) const;
    SquirrelObject GetValue(const SQChar* key) const;
    SQFloat GetFloat(SQInteger key) const;
    SQFloat GetFloat(const SQChar* key) const;
    SQInteger GetInt(SQInteger key) const;
    SQInteger GetInt(const SQChar* key) const;
    // A copy, since a value made by a delegate lives only as long as the lookup.
    nString GetString(SQInteger key) const;
    nString GetString(const SQChar* key) const;
    bool GetBool(SQInteger key) const;
    bool GetBool(const SQChar* key) const;

    SQUserPointer GetUserPointer(SQUserPointer typeTag) const;
    bool SetUserPointer(SQUserPointer pointer);
    SquirrelObject GetAttributes(const SQChar* member = nullptr) const;
    SquirrelObject GetDelegate() const;
    bool SetDelegate(const SquirrelObject& table);

    // Leaves the object and a null iterator on the stack for sq_next(vm, -2); EndIterate pops both.
    bool BeginIterate() const;
    void EndIterate() const;

    const SQChar* ToString() const;
    SQInteger ToInteger() const;
    SQFloat ToFloat() const;
    bool ToBool() const;
    // The language's text form of a table or array; a null holder for other kinds.
    SquirrelObject ToStringObject() const;

private:
    void Store(HSQUIRRELVM vm, const HSQOBJECT& object);

    HSQOBJECT m_object;
    HSQUIRRELVM m_vm;
};
