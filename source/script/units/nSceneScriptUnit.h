#pragma once

#include "script/units/nScriptUnit.h"

// The methods of a scene's class that its unit caches, by their place in the unit.
enum nSceneScriptMethod : uint32_t
{
    SceneMethodRenderDone,
    SceneMethodRenderUI,
    SceneMethodPhysicStep,
    SceneMethodUpdate,
    SceneMethodCount,
};

// The unit of a 3D scene: caches its per-frame methods, and can hold back "OnUpdate" for a
// number of clock ticks.
class nSceneScriptUnit : public nScriptUnit
{
public:
    using nScriptUnit::nScriptUnit;
    ~nSceneScriptUnit() override;

    bool Instantiate() override;
    void ReleaseInstance() override;
    uint32_t GetCachedMethods() const override;

    void SuspendUpdate(int32_t ticks) { m_updateSuspend = ticks; }
    int32_t GetUpdateSuspend() const { return m_updateSuspend; }
    // Counts one frame of the suspension down; answers whether updates are still held back.
    bool ConsumeUpdateSuspend(int32_t frameTicks);

    // Null when the class lacks the method.
    nScriptObject* GetMethod(uint32_t method) const { return m_methods[method]; }

private:
    int32_t m_updateSuspend = 0;
    nScriptObject* m_methods[SceneMethodCount] = {};
};
