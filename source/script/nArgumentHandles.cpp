#include "script/nArgumentHandles.h"

#include "script/nCObject.h"

namespace
{
// Arguments of nested calls that are all in flight at once; more than this are simply freed.
constexpr size_t MaxParked = 64;

bool IsUnreachable(HSQUIRRELVM vm, HSQOBJECT& instance)
{
    return sq_getrefcount(vm, &instance) == 1 && !sq_hasweakref(&instance);
}
} // namespace

bool nArgumentHandles::Push(HSQUIRRELVM vm, void* object, int32_t type)
{
    Handle handle;
    if (!m_parked.empty())
    {
        handle = m_parked.back();
        m_parked.pop_back();
        handle.record->Bind(type, object);
        sq_pushobject(vm, handle.instance);
    }
    else
    {
        SQUserPointer record = nullptr;
        if (!PushCObject(vm, object, type))
            return false;
        sq_getinstanceup(vm, -1, &record, nCObject::GetClassTag());
        sq_getstackobj(vm, -1, &handle.instance);
        sq_addref(vm, &handle.instance);
        handle.record = static_cast<nCObject*>(record);
    }
    m_lent.push_back(handle);
    return true;
}

void nArgumentHandles::TakeBack(HSQUIRRELVM vm, size_t from)
{
    while (m_lent.size() > from)
    {
        Handle handle = m_lent.back();
        m_lent.pop_back();
        if (m_parked.size() < MaxParked && IsUnreachable(vm, handle.instance))
        {
            handle.record->Unbind();
            m_parked.push_back(handle);
        }
        else
            sq_release(vm, &handle.instance);
    }
}

void nArgumentHandles::Clear(HSQUIRRELVM vm)
{
    for (std::vector<Handle>* handles : {&m_lent, &m_parked})
    {
        for (Handle& handle : *handles)
            sq_release(vm, &handle.instance);
        handles->clear();
    }
}
