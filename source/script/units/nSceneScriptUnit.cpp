#include "script/units/nSceneScriptUnit.h"

#include "script/nScriptObject.h"

nSceneScriptUnit::~nSceneScriptUnit()
{
    ReleaseMethods();
}

bool nSceneScriptUnit::Instantiate()
{
    if (!nScriptUnit::Instantiate())
        return false;
    m_updateSuspend = 0;
    CacheMethod(m_onRenderDone, "OnRenderDone");
    CacheMethod(m_onRenderUI, "OnRenderUI");
    CacheMethod(m_onUpdate, "OnUpdate");
    CacheMethod(m_onPhysicStep, "OnPhysicStep");
    return true;
}

void nSceneScriptUnit::ReleaseInstance()
{
    ReleaseMethods();
    nScriptUnit::ReleaseInstance();
}

void nSceneScriptUnit::ReleaseMethods()
{
    for (nScriptObject** method : {&m_onRenderDone, &m_onRenderUI, &m_onPhysicStep, &m_onUpdate})
    {
        delete *method;
        *method = nullptr;
    }
}

bool nSceneScriptUnit::ConsumeUpdateSuspend(int32_t frameTicks)
{
    if (m_updateSuspend <= 0)
        return false;
    m_updateSuspend -= frameTicks;
    return true;
}
