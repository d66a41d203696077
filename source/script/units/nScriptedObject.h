#pragma once

#include "core/base/nList.h"

#include <cstdint>

class nMetaTag;
class nScriptUnit;
class nScriptDispatch;

// Base of every engine object that carries script units (scenes, managed items). Owns its units
// in file order; the derived class decides which kind of unit it creates.
//
// Scripts may delete units, or their whole owner, from inside an event that walks the units.
// While a dispatch runs, removed units are retired rather than deleted, and a dispatch learns
// that the list changed or its owner went away (nScriptDispatch), so it never touches freed units.
class nScriptedObject
{
public:
    nScriptedObject() = default;
    nScriptedObject(const nScriptedObject&) = delete;
    nScriptedObject& operator=(const nScriptedObject&) = delete;
    virtual ~nScriptedObject();

    // Creates a unit of the derived class's kind with its owner set and appends it; null after an
    // error line when it cannot be allocated.
    virtual nScriptUnit* CreateScriptUnit() = 0;

    bool Parse(const nMetaTag* tag);
    // Null when there are no units.
    nMetaTag* Serialize() const;
    void DeleteScriptUnits();

    const nList<nScriptUnit*>& GetScriptUnits() const { return m_units; }
    // Whether some unit has cached the method (by its place in the units' kind): a frame sends
    // several events to every item, and those no unit handles then skip the walk over the units.
    bool HasCachedMethod(uint32_t method) const { return (m_cachedMethods >> method) & 1u; }
    uint32_t GetCachedMethods() const { return m_cachedMethods; }
    void RefreshCachedMethods();

protected:
    // For CreateScriptUnit: takes ownership of the unit, allocated with new (std::nothrow). A
    // null unit, or one that cannot be appended, logs the allocation error with the owner's name.
    nScriptUnit* AppendScriptUnit(nScriptUnit* unit, const char* ownerName);
    // Told once the cached-method bits changed.
    virtual void OnCachedMethodsChanged() {}

private:
    friend class nScriptDispatch;

    nList<nScriptUnit*> m_units;
    nList<nScriptUnit*> m_retiredUnits;
    uint32_t m_unitsGeneration = 0;
    uint32_t m_cachedMethods = 0;
    nScriptDispatch* m_dispatch = nullptr; // innermost running dispatch
};

// One walk over the units of an object while events are sent to them. Create it on the stack
// for the whole walk and ask Next for each unit; Next answers null once the list changed, the
// owner was destroyed or the walk is over.
class nScriptDispatch
{
public:
    explicit nScriptDispatch(nScriptedObject* object);
    nScriptDispatch(const nScriptDispatch&) = delete;
    nScriptDispatch& operator=(const nScriptDispatch&) = delete;
    ~nScriptDispatch();

    nScriptUnit* Next();
    // False once the list changed or the owner was destroyed since the walk began.
    bool IsCurrent() const;

private:
    friend class nScriptedObject;

    nScriptedObject* m_object;
    nScriptDispatch* m_outer;
    nListNode<nScriptUnit*>* m_next;
    uint32_t m_generation;
    nList<nScriptUnit*> m_orphans; // units of an owner destroyed during the walk
};
