#pragma once

class nScriptVM;

// The host's handle on one object inside a script machine (an instance, a function, a table, an
// array). Destroying the handle releases the machine's object; handles that the machine hands
// out belong to the caller.
class nScriptObject
{
public:
    explicit nScriptObject(nScriptVM* machine) : m_machine(machine) {}
    nScriptObject(const nScriptObject&) = delete;
    nScriptObject& operator=(const nScriptObject&) = delete;
    virtual ~nScriptObject() = default;

    nScriptVM* GetMachine() const { return m_machine; }

private:
    nScriptVM* m_machine;
};
