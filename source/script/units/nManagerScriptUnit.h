#pragma once

#include "script/units/nScriptUnit.h"

// The unit of a managed item, with the methods that its frequent events call cached; "OnRenderDone"
// runs for every item every frame, so it is cached too.
class nManagerScriptUnit : public nScriptUnit
{
public:
    using nScriptUnit::nScriptUnit;
    ~nManagerScriptUnit() override;

    bool Instantiate() override;
    void ReleaseInstance() override;

    nScriptObject* GetOnLogicUpdate() const { return m_onLogicUpdate; }
    nScriptObject* GetOnUpdate() const { return m_onUpdate; }
    nScriptObject* GetOnTrigger() const { return m_onTrigger; }
    nScriptObject* GetOnActivate() const { return m_onActivate; }
    nScriptObject* GetOnPhysicStep() const { return m_onPhysicStep; }
    nScriptObject* GetOnPhysicSleepStep() const { return m_onPhysicSleepStep; }
    nScriptObject* GetOnCollision() const { return m_onCollision; }
    nScriptObject* GetOnCollisionEx() const { return m_onCollisionEx; }
    nScriptObject* GetOnRenderDone() const { return m_onRenderDone; }

private:
    void ReleaseMethods();

    nScriptObject* m_onLogicUpdate = nullptr;
    nScriptObject* m_onUpdate = nullptr;
    nScriptObject* m_onTrigger = nullptr;
    nScriptObject* m_onActivate = nullptr;
    nScriptObject* m_onPhysicStep = nullptr;
    nScriptObject* m_onPhysicSleepStep = nullptr;
    nScriptObject* m_onCollision = nullptr;
    nScriptObject* m_onCollisionEx = nullptr;
    nScriptObject* m_onRenderDone = nullptr;
};
