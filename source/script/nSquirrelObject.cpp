#include "script/nSquirrelObject.h"

#include "script/nSquirrelVM.h"

nSquirrelObject::nSquirrelObject(nSquirrelVM* machine, const HSQOBJECT& object)
    : nScriptObject(machine), m_object(object)
{
    sq_addref(machine->GetHandle(), &m_object);
    machine->AttachObject(this);
}

nSquirrelObject::~nSquirrelObject()
{
    if (IsAttached())
        Detach(static_cast<nSquirrelVM*>(GetMachine())->GetHandle());
}

// Unlinks before releasing: the release may run script release hooks that walk the list.
void nSquirrelObject::Detach(HSQUIRRELVM vm)
{
    GetList()->Unlink(this);
    HSQOBJECT object = m_object;
    sq_resetobject(&m_object);
    sq_release(vm, &object);
}
