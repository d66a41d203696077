#pragma once

#include "script/units/nScriptUnit.h"

// The unit of a 3D scene: caches its per-frame methods, and can hold back "OnUpdate" for a
// number of clock ticks.
class nSceneScriptUnit : public nScriptUnit
{
public:
    using nScriptUnit::nScriptUnit;
    ~nSceneScriptUnit() override;

    bool Instantiate() override;
    void ReleaseInstance() override;

    void SuspendUpdate(int32_t ticks) { m_updateSuspend = ticks; }
    int32_t GetUpdateSuspend() const { return m_updateSuspend; }
    // Counts one frame of the suspension down; answers whether updates are still held back.
    bool ConsumeUpdateSuspend(int32_t frameTicks);

    nScriptObject* GetOnRenderDone() const { return m_onRenderDone; }
    nScriptObject* GetOnRenderUI() const { return m_onRenderUI; }
    nScriptObject* GetOnPhysicStep() const { return m_onPhysicStep; }
    nScriptObject* GetOnUpdate() const { return m_onUpdate; }

private:
    void ReleaseMethods();

    int32_t m_updateSuspend = 0;
    nScriptObject* m_onRenderDone = nullptr;
    nScriptObject* m_onRenderUI = nullptr;
    nScriptObject* m_onPhysicStep = nullptr;
    nScriptObject* m_onUpdate = nullptr;
};
