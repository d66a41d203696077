#include "ui/nScene2DScriptUnit.h"

#include "script/nScriptObject.h"

nScene2DScriptUnit::~nScene2DScriptUnit()
{
    nScene2DScriptUnit::ReleaseInstance();
}

bool nScene2DScriptUnit::Instantiate()
{
    if (!nScriptUnit::Instantiate())
        return false;
    CacheMethod(m_onUpdate, "OnUpdate");
    return true;
}

void nScene2DScriptUnit::ReleaseInstance()
{
    delete m_onUpdate;
    m_onUpdate = nullptr;
    nScriptUnit::ReleaseInstance();
}
