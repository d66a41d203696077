#pragma once

#include "squirrel/squirrel.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class nCObject;

// The handles on engine objects that host calls pass as arguments (an event's owner, the other
// item of a collision). A script sees a new "CObject" handle in every call; but one that no script
// kept once its call returned (no other reference, no weak one) cannot be told from a new one, so
// it is parked, out of the handle list, and serves a later argument. An event then neither makes
// nor frees a script instance and its record for each argument.
class nArgumentHandles
{
public:
    // Pushes a not owned handle on the object and counts it as lent; false, with nothing pushed,
    // when no handle can be made.
    bool Push(HSQUIRRELVM vm, void* object, int32_t type);
    // A call notes this before it pushes its arguments, and takes back from there.
    size_t GetLentCount() const { return m_lent.size(); }
    // Takes back the handles lent from the noted count on, once the stack no longer holds them.
    void TakeBack(HSQUIRRELVM vm, size_t from);
    // Gives up every handle; before the machine closes.
    void Clear(HSQUIRRELVM vm);

private:
    struct Handle
    {
        HSQOBJECT instance;
        nCObject* record; // the instance's, for life
    };

    std::vector<Handle> m_lent;
    std::vector<Handle> m_parked;
};
