#pragma once

#include "core/base/nLinkedList.h"
#include "script/nScriptObject.h"
#include "squirrel/squirrel.h"

class nSquirrelVM;

// A handle that holds one reference on a Squirrel object. Its machine keeps every live handle in
// a list: closing the machine releases their references while the machine still exists, and the
// handles stay behind detached, holding null.
class nSquirrelObject : public nScriptObject, public nLinkedListEntry
{
public:
    nSquirrelObject(nSquirrelVM* machine, const HSQOBJECT& object);
    ~nSquirrelObject() override;

    const HSQOBJECT& GetHandle() const { return m_object; }
    bool IsAttached() const { return GetList() != nullptr; }

private:
    friend class nSquirrelVM;
    void Detach(HSQUIRRELVM vm);

    HSQOBJECT m_object;
};
