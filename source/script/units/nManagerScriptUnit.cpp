#include "script/units/nManagerScriptUnit.h"

#include "script/nScriptObject.h"

nManagerScriptUnit::~nManagerScriptUnit()
{
    ReleaseMethods();
}

bool nManagerScriptUnit::Instantiate()
{
    if (!nScriptUnit::Instantiate())
        return false;
    CacheMethod(m_onLogicUpdate, "OnLogicUpdate");
    CacheMethod(m_onUpdate, "OnUpdate");
    CacheMethod(m_onTrigger, "OnTrigger");
    CacheMethod(m_onActivate, "OnActivate");
    CacheMethod(m_onPhysicStep, "OnPhysicStep");
    CacheMethod(m_onPhysicSleepStep, "OnPhysicSleepStep");
    CacheMethod(m_onCollision, "OnCollision");
    CacheMethod(m_onCollisionEx, "OnCollisionEx");
    CacheMethod(m_onRenderDone, "OnRenderDone");
    return true;
}

void nManagerScriptUnit::ReleaseInstance()
{
    ReleaseMethods();
    nScriptUnit::ReleaseInstance();
}

void nManagerScriptUnit::ReleaseMethods()
{
    for (nScriptObject** method : {&m_onLogicUpdate, &m_onUpdate, &m_onTrigger, &m_onActivate, &m_onPhysicStep,
                                   &m_onPhysicSleepStep, &m_onCollision, &m_onCollisionEx, &m_onRenderDone})
    {
        delete *method;
        *method = nullptr;
    }
}
