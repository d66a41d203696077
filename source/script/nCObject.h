#pragma once

#include "core/base/nList.h"
#include "squirrel/squirrel.h"

#include <cstdint>

// The native record behind one script "CObject" handle: the kind of engine object and the object.
// Every record is in one process-wide list from construction to destruction, so the engine can
// turn the handles of an object it deletes into dead handles instead of leaving them dangling.
class nCObject
{
public:
    nCObject(int32_t type, void* object);
    nCObject(const nCObject&) = delete;
    nCObject& operator=(const nCObject&) = delete;
    ~nCObject();

    int32_t GetType() const { return m_type; }
    void* GetObject() const { return m_object; }

    // Every handle on the object becomes "Deleted native" with a null object; answers how many.
    static uint32_t Invalidate(const void* object);

    // The type tag of the script class, which tells a handle from any other instance.
    static SQUserPointer GetClassTag();

private:
    nListNode<nCObject*>* m_node = nullptr;
    int32_t m_type;
    void* m_object;
};

// Declares the script class "CObject" in the root table.
bool DeclareCObjectClass(HSQUIRRELVM vm);

// Pushes a new handle instance that holds a new record; nothing is pushed when that fails.
bool PushCObject(HSQUIRRELVM vm, void* object, int32_t type);
