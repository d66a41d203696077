#include "script/units/nManagerScriptUnit.h"

#include "script/nScriptObject.h"

namespace
{
const char* const MethodNames[ItemMethodCount] = {
    "OnLogicUpdate",     "OnUpdate",    "OnTrigger",     "OnActivate",   "OnPhysicStep",
    "OnPhysicSleepStep", "OnCollision", "OnCollisionEx", "OnRenderDone",
};
} // namespace

nManagerScriptUnit::~nManagerScriptUnit()
{
    DeleteMethods(m_methods, ItemMethodCount);
}

bool nManagerScriptUnit::Instantiate()
{
    if (!nScriptUnit::Instantiate())
        return false;
    for (uint32_t method = 0; method < ItemMethodCount; ++method)
        CacheMethod(m_methods[method], MethodNames[method]);
    CachedMethodsChanged();
    return true;
}

void nManagerScriptUnit::ReleaseInstance()
{
    DeleteMethods(m_methods, ItemMethodCount);
    nScriptUnit::ReleaseInstance();
    CachedMethodsChanged();
}

uint32_t nManagerScriptUnit::GetCachedMethods() const
{
    return CachedMethodBits(m_methods, ItemMethodCount);
}
