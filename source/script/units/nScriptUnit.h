#pragma once

#include "core/base/nList.h"
#include "core/nml/nVariant.h"
#include "platform/nstring/nString.h"

#include <cstdint>

class nMetaTag;
class nScriptObject;
class nScriptedObject;
class nScriptValue;
class nScriptVM;

// One script file and one script class, with named parameters, bound to an engine object (its
// owner). Instantiating runs the file and calls the class; events are then calls of the
// instance's methods, always with the owner as the first argument, as a handle of ownerType.
class nScriptUnit
{
public:
    explicit nScriptUnit(nScriptVM* vm);
    nScriptUnit(const nScriptUnit&) = delete;
    nScriptUnit& operator=(const nScriptUnit&) = delete;
    virtual ~nScriptUnit();

    virtual bool Instantiate();
    virtual void ReleaseInstance();
    // False when there is no instance or the machine refuses the call; otherwise the owner is
    // already pushed as the first argument.
    virtual bool BeginCall(const char* name, nScriptObject* function);
    virtual bool PushArgument(const nScriptValue& value);
    virtual bool EndCall(nScriptValue* out);
    // One bit per method the unit has cached, by the method's place in the unit's kind.
    virtual uint32_t GetCachedMethods() const { return 0; }

    void SetOwner(void* owner, int32_t ownerType);
    // The scripted object whose list holds the unit, told when the cached methods change; null
    // once the unit left that list.
    void SetHolder(nScriptedObject* holder) { m_holder = holder; }
    bool Parse(const nMetaTag* tag);
    // Null when there is nothing to write.
    nMetaTag* Serialize() const;

    nScriptVM* GetVM() const { return m_vm; }
    void* GetOwner() const { return m_owner; }
    int32_t GetOwnerType() const { return m_ownerType; }
    nScriptObject* GetInstance() const { return m_instance; }
    const nList<nVariant*>& GetParameters() const { return m_parameters; }
    const nString& GetScript() const { return m_script; }
    const nString& GetClassName() const { return m_className; }
    void SetScript(const nString& script)
    {
        m_script = script;
        m_missingClassReported = false;
    }
    void SetClassName(const nString& className)
    {
        m_className = className;
        m_missingClassReported = false;
    }
    void AddParameter(const nVariant& parameter);

protected:
    // Replaces the cached handle by the instance's member of that name (null when missing).
    void CacheMethod(nScriptObject*& handle, const char* name);
    void CachedMethodsChanged();
    static uint32_t CachedMethodBits(nScriptObject* const* methods, uint32_t count);
    static void DeleteMethods(nScriptObject** methods, uint32_t count);

private:
    // One "[*] " line per unit whose class the root table lacks after its file ran.
    void ReportMissingClass();
    bool ParseParameters(const nMetaTag* list);
    void ClearParameters();

    nScriptVM* m_vm;
    nScriptedObject* m_holder = nullptr;
    int32_t m_ownerType = 0;
    void* m_owner = nullptr;
    nScriptObject* m_instance = nullptr;
    nList<nVariant*> m_parameters;
    nString m_script;
    nString m_className;
    bool m_missingClassReported = false;
};
