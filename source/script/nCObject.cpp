#include "script/nCObject.h"

#include "core/base/nLog.h"
#include "platform/nMutex.h"
#include "script/nObjectType.h"

namespace
{
struct nCObjectList
{
    nMutex mutex;
    nList<nCObject*> handles;
};

nCObjectList& GetHandleList()
{
    static nCObjectList list;
    return list;
}

const char classTag = 0;

SQInteger ReleaseCObject(SQUserPointer record, SQInteger)
{
    delete static_cast<nCObject*>(record);
    return 1;
}

SQInteger TypeOfCObject(HSQUIRRELVM vm)
{
    sq_pushstring(vm, "CObject", -1);
    return 1;
}
} // namespace

nCObject::nCObject(int32_t type, void* object) : m_type(type), m_object(object)
{
    nCObjectList& list = GetHandleList();
    list.mutex.Lock();
    m_node = list.handles.PushBack(this);
    list.mutex.Unlock();
}

nCObject::~nCObject()
{
    nCObjectList& list = GetHandleList();
    list.mutex.Lock();
    list.handles.RemoveNode(m_node);
    list.mutex.Unlock();
}

uint32_t nCObject::Invalidate(const void* object)
{
    nCObjectList& list = GetHandleList();
    uint32_t changed = 0;
    list.mutex.Lock();
    for (auto* node = list.handles.GetHead(); node; node = node->next)
    {
        nCObject* handle = node->value;
        if (handle->m_object == object)
        {
            handle->m_type = ObjectTypeDeletedNative;
            handle->m_object = nullptr;
            ++changed;
        }
    }
    list.mutex.Unlock();
    return changed;
}

SQUserPointer nCObject::GetClassTag()
{
    return const_cast<char*>(&classTag);
}

bool DeclareCObjectClass(HSQUIRRELVM vm)
{
    const SQInteger top = sq_gettop(vm);
    sq_pushroottable(vm);
    sq_pushstring(vm, "CObject", -1);
    bool declared = SQ_SUCCEEDED(sq_newclass(vm, SQFalse)) &&
                    SQ_SUCCEEDED(sq_settypetag(vm, -1, nCObject::GetClassTag()));
    if (declared)
    {
        sq_pushstring(vm, "_SCypeof", -1);
        sq_newclosure(vm, TypeOfCObject, 0);
        declared = SQ_SUCCEEDED(sq_setparamscheck(vm, 1, nullptr)) &&
                   SQ_SUCCEEDED(sq_setnativeclosurename(vm, -1, "_SCypeof")) &&
                   SQ_SUCCEEDED(sq_newslot(vm, -3, SQFalse)) && SQ_SUCCEEDED(sq_newslot(vm, -3, SQFalse));
    }
    sq_settop(vm, top);
    if (!declared)
        nLogHolder::Get() << "[!] Could not declare the script class 'CObject'.\n";
    return declared;
}

bool PushCObject(HSQUIRRELVM vm, void* object, int32_t type)
{
    const SQInteger top = sq_gettop(vm);
    sq_pushroottable(vm);
    sq_pushstring(vm, "CObject", -1);
    if (SQ_SUCCEEDED(sq_rawget(vm, -2)) && SQ_SUCCEEDED(sq_createinstance(vm, -1)))
    {
        nCObject* record = new nCObject(type, object);
        sq_setinstanceup(vm, -1, record);
        sq_setreleasehook(vm, -1, ReleaseCObject);
        sq_remove(vm, -2);
        sq_remove(vm, -2);
        return true;
    }
    sq_settop(vm, top);
    nLogHolder::Get() << "[!] Could not allocate C Object.\n";
    return false;
}
