#include "script/nCObject.h"

#include "core/base/nList.h"
#include "core/base/nLog.h"
#include "platform/nMutex.h"
#include "script/binding/nScriptRegistrar.h"
#include "script/nObjectType.h"
#include "script/nObjectTypeLifetime.h"

#include <atomic>

namespace
{
struct nReleasedObject
{
    int32_t type;
    void* object;
};

struct nCObjectList
{
    nCObjectList() { handles.SetNotOwner(true); }

    nMutex mutex;
    nLinkedList handles;
    nList<nReleasedObject> released;      // owned objects waiting for destruction
    std::atomic<bool> hasReleased{false}; // lets the end of every call skip the lock
};

nCObjectList& GetHandleList()
{
    static nCObjectList list;
    return list;
}

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

const nScriptClassMethod CObjectMethods[] = {
    {"_SCypeof", TypeOfCObject, 1, nullptr},
    {nullptr, nullptr, 0, nullptr},
};

const nScriptClassDescriptor CObjectClass = {"CObject", nullptr, CObjectMethods};

void DestroyOwnedObject(const nReleasedObject& released)
{
    const nObjectTypeLifetime* lifetime = GetObjectTypeLifetime(released.type);
    if (lifetime && lifetime->destroy)
        lifetime->destroy(released.object);
    else
        nLogHolder::Get() << "[!] Type " << GetObjectTypeDescription(released.type)
                          << " lifetime should not be managed by the VM.\n";
}
} // namespace

nCObject::nCObject(int32_t type, void* object, bool owned) : m_owned(owned), m_type(type), m_object(object)
{
    Join();
}

nCObject::~nCObject()
{
    Leave();
}

void nCObject::Bind(int32_t type, void* object, bool owned)
{
    m_owned = owned;
    m_type = type;
    m_object = object;
    Join();
}

void nCObject::Unbind()
{
    Leave();
    m_owned = false;
    m_type = ObjectTypeUndefined;
    m_object = nullptr;
}

void nCObject::Join()
{
    nCObjectList& list = GetHandleList();
    list.mutex.Lock();
    if (m_object)
        if (const nObjectTypeLifetime* lifetime = GetObjectTypeLifetime(m_type);
            lifetime && lifetime->addReference)
            lifetime->addReference(m_object);
    list.handles.Add(this, true, true);
    list.mutex.Unlock();
}

// A handle that went dead keeps the reference it took, but has nothing left to give it back to.
void nCObject::Leave()
{
    nCObjectList& list = GetHandleList();
    list.mutex.Lock();
    list.handles.Unlink(this);
    if (m_object)
    {
        if (const nObjectTypeLifetime* lifetime = GetObjectTypeLifetime(m_type);
            lifetime && lifetime->releaseReference)
            lifetime->releaseReference(m_object);
    }
    if (m_owned && m_object)
    {
        if (list.released.PushBack({m_type, m_object}))
            list.hasReleased.store(true, std::memory_order_release);
        else
            nLogHolder::Get() << "[!] Could not queue the owned object of a released handle.\n";
    }
    list.mutex.Unlock();
}

template <typename Picked> uint32_t nCObject::InvalidateWhere(Picked picked)
{
    nCObjectList& list = GetHandleList();
    uint32_t changed = 0;
    list.mutex.Lock();
    for (nLinkedListEntry* entry = list.handles.GetHead(); entry; entry = entry->GetNext())
    {
        nCObject* handle = static_cast<nCObject*>(entry);
        if (picked(*handle))
        {
            handle->m_type = ObjectTypeDeletedNative;
            handle->m_object = nullptr;
            ++changed;
        }
    }
    list.mutex.Unlock();
    return changed;
}

uint32_t nCObject::Invalidate(const void* object)
{
    return InvalidateWhere([object](const nCObject& handle) { return handle.m_object == object; });
}

uint32_t nCObject::Invalidate(int32_t type, bool (*picked)(const void* object, const void* context),
                              const void* context)
{
    return InvalidateWhere(
        [=](const nCObject& handle)
        { return handle.m_type == type && handle.m_object && picked(handle.m_object, context); });
}

// Each entry is taken out under the lock and destroyed outside it: a destroyed object may delete
// objects that other handles point at, and invalidating those takes the lock again.
void nCObject::DestroyReleasedObjects()
{
    nCObjectList& list = GetHandleList();
    while (list.hasReleased.load(std::memory_order_acquire))
    {
        list.mutex.Lock();
        nListNode<nReleasedObject>* head = list.released.GetHead();
        const nReleasedObject released = head ? head->value : nReleasedObject{0, nullptr};
        list.released.RemoveNode(head);
        if (list.released.IsEmpty())
            list.hasReleased.store(false, std::memory_order_release);
        list.mutex.Unlock();
        if (released.object)
            DestroyOwnedObject(released);
    }
}

const nScriptClassDescriptor& nCObject::GetClassDescriptor()
{
    return CObjectClass;
}

SQUserPointer nCObject::GetClassTag()
{
    return const_cast<nScriptClassDescriptor*>(&CObjectClass);
}

bool DeclareCObjectClass(HSQUIRRELVM vm)
{
    if (DeclareScriptClass(vm, CObjectClass))
        return true;
    nLogHolder::Get() << "[!] Could not declare the script class 'CObject'.\n";
    return false;
}

bool PushCObject(HSQUIRRELVM vm, void* object, int32_t type, bool owned)
{
    nCObject* record = new nCObject(type, object, owned);
    if (PushClassInstance(vm, "CObject", record, ReleaseCObject))
        return true;
    nLogHolder::Get() << "[!] Could not allocate C Object.\n";
    delete record;
    return false;
}

bool ResetCObject(HSQUIRRELVM vm, SQInteger index, void* object, int32_t type, bool owned)
{
    SQUserPointer previous = nullptr;
    if (SQ_FAILED(sq_getinstanceup(vm, index, &previous, nCObject::GetClassTag(), SQFalse)))
        return false;
    if (previous)
    {
        nCObject* record = static_cast<nCObject*>(previous);
        record->Unbind();
        record->Bind(type, object, owned);
        return true;
    }
    sq_setinstanceup(vm, index, new nCObject(type, object, owned));
    sq_setreleasehook(vm, index, ReleaseCObject);
    return true;
}
