#include "engine/project/nProjectScriptUnit.h"

#include "script/nScriptObject.h"

nProjectScriptUnit::~nProjectScriptUnit()
{
    nProjectScriptUnit::ReleaseInstance();
}

bool nProjectScriptUnit::Instantiate()
{
    if (!nScriptUnit::Instantiate())
        return false;
    CacheMethod(m_onSetup, "OnSetup");
    CacheMethod(m_onUpdate, "OnUpdate");
    return true;
}

void nProjectScriptUnit::ReleaseInstance()
{
    delete m_onSetup;
    delete m_onUpdate;
    m_onSetup = nullptr;
    m_onUpdate = nullptr;
    nScriptUnit::ReleaseInstance();
}
