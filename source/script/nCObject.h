#pragma once

#include "core/base/nLinkedList.h"
#include "squirrel/squirrel.h"

#include <cstdint>

struct nScriptClassDescriptor;

// The native record behind one script "CObject" handle: the kind of engine object, the object,
// and whether the handle owns it. Every record is in one process-wide list from construction to
// destruction, so the engine can turn the handles of an object it deletes into dead handles
// instead of leaving them dangling. The record is its own node in that list.
//
// Handles on textures, geometries and materials hold a reference for as long as they live. An
// owned object is not destroyed by the record itself: it is queued, and the script machine
// destroys the queue once the host call that released the handle has returned (or when it
// closes), so no object goes away under a running script or inside the collector.
class nCObject : public nLinkedListEntry
{
public:
    nCObject(int32_t type, void* object, bool owned = false);
    nCObject(const nCObject&) = delete;
    nCObject& operator=(const nCObject&) = delete;
    ~nCObject() override;

    int32_t GetType() const { return m_type; }
    void* GetObject() const { return m_object; }
    bool IsOwned() const { return m_owned; }

    // A record outlives what it points at: Unbind gives back what it holds (queueing an owned
    // object as the destructor does) and leaves the handle list, so invalidation walks skip it;
    // Bind points it at another object and joins the list again. A handle keeps its record for
    // life, so a record no script can reach any more may serve another handle.
    void Bind(int32_t type, void* object, bool owned = false);
    void Unbind();

    // Every handle on the object becomes "Deleted native" with a null object; answers how many.
    static uint32_t Invalidate(const void* object);
    // The same for every handle of the type whose object the test picks, in one walk over the
    // handles. The test runs under the handle list's lock: it must not make or release handles.
    static uint32_t Invalidate(int32_t type, bool (*picked)(const void* object, const void* context),
                               const void* context);
    // Destroys the owned objects of the handles released since the last call.
    static void DestroyReleasedObjects();

    static const nScriptClassDescriptor& GetClassDescriptor();
    // The type tag of the script class, which tells a handle from any other instance.
    static SQUserPointer GetClassTag();

private:
    template <typename Picked> static uint32_t InvalidateWhere(Picked picked);
    void Join();
    void Leave();

    bool m_owned;
    int32_t m_type;
    void* m_object;
};

// Declares the script class "CObject" in the root table.
bool DeclareCObjectClass(HSQUIRRELVM vm);

// Pushes a new handle instance that holds a new record; nothing is pushed when that fails.
bool PushCObject(HSQUIRRELVM vm, void* object, int32_t type, bool owned = false);
// Points the record of the handle instance at the index at the object, giving up what it held (the
// class's constructor runs on an instance that may already hold one); false for any other value.
bool ResetCObject(HSQUIRRELVM vm, SQInteger index, void* object, int32_t type, bool owned = false);
