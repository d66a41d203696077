#pragma once

#include "script/units/nScriptUnit.h"

// The methods of a managed item's class that its unit caches, by their place in the unit.
enum nItemScriptMethod : uint32_t
{
    ItemMethodLogicUpdate,
    ItemMethodUpdate,
    ItemMethodTrigger,
    ItemMethodActivate,
    ItemMethodPhysicStep,
    ItemMethodPhysicSleepStep,
    ItemMethodCollision,
    ItemMethodCollisionEx,
    ItemMethodRenderDone,
    ItemMethodCount,
};

// The unit of a managed item, with the methods that its frequent events call cached; "OnRenderDone"
// runs for every item every frame, so it is cached too.
class nManagerScriptUnit : public nScriptUnit
{
public:
    using nScriptUnit::nScriptUnit;
    ~nManagerScriptUnit() override;

    bool Instantiate() override;
    void ReleaseInstance() override;
    uint32_t GetCachedMethods() const override;

    // Null when the class lacks the method.
    nScriptObject* GetMethod(uint32_t method) const { return m_methods[method]; }

private:
    nScriptObject* m_methods[ItemMethodCount] = {};
};
