#include "script/units/nSceneScriptUnit.h"

#include "script/nScriptObject.h"

namespace
{
const char* const MethodNames[SceneMethodCount] = {"OnRenderDone", "OnRenderUI", "OnPhysicStep", "OnUpdate"};
} // namespace

nSceneScriptUnit::~nSceneScriptUnit()
{
    DeleteMethods(m_methods, SceneMethodCount);
}

bool nSceneScriptUnit::Instantiate()
{
    if (!nScriptUnit::Instantiate())
        return false;
    m_updateSuspend = 0;
    for (uint32_t method = 0; method < SceneMethodCount; ++method)
        CacheMethod(m_methods[method], MethodNames[method]);
    CachedMethodsChanged();
    return true;
}

void nSceneScriptUnit::ReleaseInstance()
{
    DeleteMethods(m_methods, SceneMethodCount);
    nScriptUnit::ReleaseInstance();
    CachedMethodsChanged();
}

uint32_t nSceneScriptUnit::GetCachedMethods() const
{
    return CachedMethodBits(m_methods, SceneMethodCount);
}

bool nSceneScriptUnit::ConsumeUpdateSuspend(int32_t frameTicks)
{
    if (m_updateSuspend <= 0)
        return false;
    m_updateSuspend -= frameTicks;
    return true;
}
