#pragma once

#include "squirrel/sqobject.h"

#include <vector>

struct SQTable;

struct SQClassMember {
    SQObjectPtr val;
    SQObjectPtr attrs;
};

// Member names map to a handle in _members: fields (one value per instance) and class-level
// members (methods and statics) are numbered separately; the low bit tells which.
inline bool sqIsField(SQInteger handle) { return (handle & 1) == 0; }
inline SQInteger sqMemberIndex(SQInteger handle) { return handle >> 1; }
inline bool sqIsField(const SQObject& handle) { return sqIsField(_integer(handle)); }
inline SQInteger sqMemberIndex(const SQObject& handle) { return sqMemberIndex(_integer(handle)); }

struct SQClass : SQRefCounted {
    SQClass* _base = nullptr;
    SQTable* _members = nullptr;
    SQVector<SQClassMember> _fields;
    SQVector<SQClassMember> _methods;
    SQObjectPtr _metamethods[MT_LAST];
    SQObjectPtr _constructor;
    SQObjectPtr _attributes;
    SQUserPointer _typetag = nullptr;
    SQRELEASEHOOK _hook = nullptr;
    SQInteger _udsize = 0;
    uint64_t _layout = 0;  // see SQLookupCache
    bool _locked = false;

    static SQClass* Create(SQSharedState* ss, SQClass* base);
    ~SQClass() override;
    void Finalize() override;
    void Traverse(SQCollector& gc) override;
    // Adds or replaces a member; fails (false) when a new field is added after instantiation.
    bool NewSlot(const SQObject& key, const SQObject& val, bool isStatic);
    bool Get(const SQObject& key, SQObjectPtr& out);
    bool SetMemberAttributes(const SQObject& key, const SQObject& attrs);
    bool GetMemberAttributes(const SQObject& key, SQObjectPtr& out);
    SQInteger Next(SQInteger from, SQObjectPtr& key, SQObjectPtr& val);
};

// An instance and the values of its fields are one block: the values follow the object.
struct SQInstance : SQRefCounted {
    SQClass* _class = nullptr;
    SQUserPointer _userpointer = nullptr;
    SQRELEASEHOOK _hook = nullptr;
    SQObjectPtr* _values = nullptr;
    SQInteger _nvalues = 0;  // the class's field count when the instance was made; fixed since
    unsigned char* _udbuffer = nullptr;

    static SQInstance* Create(SQSharedState* ss, SQClass* c);
    ~SQInstance() override;
    void Finalize() override;
    void Destroy() override;
    void Traverse(SQCollector& gc) override;
    bool Get(const SQObject& key, SQObjectPtr& out);
    // The slot a member handle of the class names: a field of this instance, or a method or
    // static of the class.
    SQObjectPtr& Member(SQInteger handle) {
        return sqIsField(handle) ? _values[sqMemberIndex(handle)] : _class->_methods[(size_t)sqMemberIndex(handle)].val;
    }
    SQObjectPtr& Member(const SQObject& handle) { return Member(_integer(handle)); }
    // Assigns an existing field; false when the key is no field.
    bool Set(const SQObject& key, const SQObject& val);
    bool InstanceOf(const SQClass* c) const;
    const SQObjectPtr& MetaMethod(SQMetaMethod mm) const { return _class->_metamethods[mm]; }
    SQInstance* Clone();
    void RunReleaseHook();
};
